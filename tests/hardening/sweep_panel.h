// SweepPanel: one Corvane, created through the library's export, on a RecordingHost, for the
// allocation-failure sweep.
//
// Every call into the panel goes through here, so that an exception escaping the export, notify() or
// the destructor is caught and counted instead of ending the sweep. The records and the host's
// bookkeeping are made with the failing allocator paused, so that the allocations counted in a run are
// the library's own. A Site says how long the host's texts are: short ones fit inside the string
// component's inline buffer, long ones make every copy and command text take a heap block.
//
// Each panel gets a host of its own, as the real host gives each script one: a panel created after an
// earlier one ended (its AS sent) starts on a fresh host, and the breaches of the host it leaves are
// kept, so that contractBreaches() holds every breach of the run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "orvo_client_callback.h"
#include "recording_host.h"

struct Site {
    const char* name;
    std::string basePath;   // where the layout files lie
    std::string namePad;    // appended to every destination name the router answers
    std::string slotPad;    // appended (as blanks) to every slot text the driver reports
    std::string paramText;  // the value the host gives myParam
};

// The host's side of the contract, with the failing allocator paused while it works.
class SweepHost : public RecordingHost {
public:
    intptr_t request(void* data, int32_t kind) override;
};

class SweepPanel {
public:
    explicit SweepPanel(const Site& site);
    ~SweepPanel();
    SweepPanel(const SweepPanel&) = delete;
    SweepPanel& operator=(const SweepPanel&) = delete;

    // Through the export, on a fresh host when a panel was created on this one before; false when it
    // answered null.
    bool create();
    // Through the panel's interface, as the host ends it.
    void destroy();
    bool created() const { return panel_ != nullptr; }

    // --- Events, each one notify() call -----------------------------------------------------------
    void chooseRow3();  // the list answers selectedindex=2
    void pickDest(int32_t dest);
    void press(const char* control);
    void event(const char* panelId, const char* controlId, const char* message);
    void report(int32_t slot, const std::string& value, int32_t device = 7);
    void tick(int32_t timerId);
    // A parent request; a returned text is kept until release().
    void ask(const char* request);
    // Hands back the oldest answer still held (kind 5).
    void releaseOldest();
    // Kind 5 with a pointer the panel never gave out, and with one it has already taken back.
    void releaseForeign();
    void releaseAgain();
    void notifyRaw(void* data, int32_t kind);

    // Answers of parent requests the host still holds, oldest first.
    const std::vector<std::string>& answerTexts() const { return answerTexts_; }
    std::string lastAnswer() const { return answerTexts_.empty() ? std::string() : answerTexts_.back(); }

    // Exceptions that escaped the export, notify() or the destructor.
    int escapes() const { return escapes_; }
    // Every breach of the host contract on this panel's hosts, answers left unreturned included.
    std::vector<std::string> contractBreaches() const;

    SweepHost& host() { return *host_; }
    const Site& site;

private:
    char* notify(void* data, int32_t kind);

    std::unique_ptr<SweepHost> host_;
    bool hostUsed_ = false;                     // a creation was tried on host_
    std::vector<std::string> earlierBreaches_;  // of the hosts left behind
    orvo_client_callback* panel_ = nullptr;
    std::vector<char*> answers_;
    std::vector<std::string> answerTexts_;
    char* released_ = nullptr;  // the last answer handed back; never dereferenced
    int escapes_ = 0;
};
