// Devices: the host's side of instance lookup, router databases and information drivers.
//
// Built from the site. It answers SD and RN, keeps each information driver's slot texts, the script's
// registrations (IR/IU) and the slots a scenario made silent, and says which revertives a poll (IP) or a
// write (IW) brings. It never delivers anything itself: the host queues what it returns and hands the
// revertives to the script once the script is idle. It owns copies of everything it was given.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "contract_checker.h"
#include "site.h"

struct Revertive {
    int32_t device = 0;
    int32_t slot = 0;
    std::string text;
};

class Devices {
public:
    explicit Devices(const Site& site);

    // SD: "{device} {offset}", or nullopt for a name the host does not know.
    std::optional<std::string> lookup(const std::string& instanceName) const;
    // RN: the name, or nullopt when the database or index is unknown.
    std::optional<std::string> readName(int32_t device, int32_t database, int32_t index) const;

    bool isInfoDriver(int32_t device) const { return drivers_.count(device) != 0; }

    // IR: without add the device's registration becomes this range, with add the range is added.
    void registerSlots(int32_t device, int32_t first, int32_t last, bool add);
    // IU
    void unregister(int32_t device);
    // IP: one revertive for each slot of the range the script is registered for and that is not silent,
    // in slot order (a driver reports to the panels registered for a slot, a poll included). The contract
    // checker has already refused an empty range or one wider than it allows; nothing for such a range.
    std::vector<Revertive> poll(int32_t device, int32_t first, int32_t last) const;
    // IW: stores the text; returns the revertive for the script when it is registered for the slot and
    // the slot is not silent.
    std::optional<Revertive> write(int32_t device, int32_t slot, const std::string& text);

    // --- Scenario steps ----------------------------------------------------------------------------
    // The slot stops reporting: polls skip it and writes to it bring no revertive. False when the device
    // is not an information driver.
    bool makeSilent(int32_t device, int32_t slot);
    // False when the name was not known.
    bool forgetInstance(const std::string& instanceName);

    bool registered(int32_t device, int32_t slot) const;
    std::string slotText(int32_t device, int32_t slot) const;

    // --- Read-only views for the front ends ----------------------------------------------------------
    struct SlotRange {
        int32_t device;
        int32_t first;
        int32_t last;
    };
    // The script's registrations, by device and then in the order it made them.
    std::vector<SlotRange> registeredRanges() const;
    // Whether the slot has stopped reporting (a silent step, or the site's "silent").
    bool silent(int32_t device, int32_t slot) const;
    // The information drivers and their silent slots, by device.
    const std::map<int32_t, SiteInfoDriver>& infoDrivers() const { return drivers_; }

private:
    std::map<std::string, SiteInstance> instances_;
    std::map<std::pair<int32_t, int32_t>, SiteDatabase> databases_;
    std::map<int32_t, SiteInfoDriver> drivers_;
    std::map<int32_t, std::vector<std::pair<int32_t, int32_t>>> registrations_;  // device -> ranges
};
