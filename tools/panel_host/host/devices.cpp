#include "devices.h"

Devices::Devices(const Site& site)
    : instances_(site.instances), databases_(site.databases), drivers_(site.infoDrivers) {}

std::optional<std::string> Devices::lookup(const std::string& instanceName) const {
    auto found = instances_.find(instanceName);
    if (found == instances_.end()) {
        return std::nullopt;
    }
    return std::to_string(found->second.device) + " " + std::to_string(found->second.offset);
}

std::optional<std::string> Devices::readName(int32_t device, int32_t database, int32_t index) const {
    auto db = databases_.find({device, database});
    if (db == databases_.end()) {
        return std::nullopt;
    }
    auto name = db->second.names.find(index);
    if (name == db->second.names.end()) {
        return std::nullopt;
    }
    return name->second;
}

void Devices::registerSlots(int32_t device, int32_t first, int32_t last, bool add) {
    auto& ranges = registrations_[device];
    if (!add) {
        ranges.clear();
    }
    ranges.emplace_back(first, last);
}

void Devices::unregister(int32_t device) {
    registrations_.erase(device);
}

bool Devices::registered(int32_t device, int32_t slot) const {
    auto found = registrations_.find(device);
    if (found == registrations_.end()) {
        return false;
    }
    for (const auto& range : found->second) {
        if (slot >= range.first && slot <= range.second) {
            return true;
        }
    }
    return false;
}

std::vector<Revertive> Devices::poll(int32_t device, int32_t first, int32_t last) const {
    std::vector<Revertive> out;
    auto driver = drivers_.find(device);
    if (driver == drivers_.end() || first > last ||
        int64_t{last} - first + 1 > ContractChecker::kMaxPollSlots) {
        return out;
    }
    for (int64_t slot = first; slot <= last; ++slot) {
        int32_t s = static_cast<int32_t>(slot);
        if (registered(device, s) && driver->second.silent.count(s) == 0) {
            out.push_back({device, s, slotText(device, s)});
        }
    }
    return out;
}

std::optional<Revertive> Devices::write(int32_t device, int32_t slot, const std::string& text) {
    auto driver = drivers_.find(device);
    if (driver == drivers_.end()) {
        return std::nullopt;
    }
    driver->second.slots[slot] = text;
    if (!registered(device, slot) || driver->second.silent.count(slot) != 0) {
        return std::nullopt;
    }
    return Revertive{device, slot, text};
}

bool Devices::makeSilent(int32_t device, int32_t slot) {
    auto driver = drivers_.find(device);
    if (driver == drivers_.end()) {
        return false;
    }
    driver->second.silent.insert(slot);
    return true;
}

bool Devices::forgetInstance(const std::string& instanceName) {
    return instances_.erase(instanceName) != 0;
}

std::string Devices::slotText(int32_t device, int32_t slot) const {
    auto driver = drivers_.find(device);
    if (driver == drivers_.end()) {
        return "";
    }
    auto text = driver->second.slots.find(slot);
    return text == driver->second.slots.end() ? "" : text->second;
}

std::vector<Devices::SlotRange> Devices::registeredRanges() const {
    std::vector<SlotRange> out;
    for (const auto& entry : registrations_) {
        for (const auto& range : entry.second) {
            out.push_back({entry.first, range.first, range.second});
        }
    }
    return out;
}

bool Devices::silent(int32_t device, int32_t slot) const {
    auto driver = drivers_.find(device);
    return driver != drivers_.end() && driver->second.silent.count(slot) != 0;
}
