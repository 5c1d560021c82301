// BenchHost: the host object of the benchmarks. It answers each command from fixed texts and does
// nothing else, so what a benchmark times is the script, not the host.
//
// Answers: PI and PS report the layout loaded; SD 'ZaD SDI Router' answers "3 0" and any other SD
// "12 0" (the tally information driver); TG answers "selectedindex={n}" for the index last set; RN answers
// the router name DEST_NAME; every other command gets 0. Hand-backs (kind 5) are taken and ignored: the
// answers are static texts the host never frees.
//
// It counts its calls, and while a log is set it also writes each command and hand-back into it
// ("release <text>" or "release null"), so a benchmark can check once, outside its timed loop, that two
// ways of doing an event send the same texts. The log belongs to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orvo_host.h"

class BenchHost : public orvo_host {
public:
    static constexpr int32_t ROUTER = 3;  // the device number the SD answer gives the SDI router
    static constexpr int32_t TALLY = 12;  // the device number the SD answer gives the tally driver
    static constexpr const char* DEST_NAME = "STUDIO|B|CAM|3";  // the router's name of any destination

    BenchHost();

    void reserved() override {}
    intptr_t request(void* data, int32_t kind) override;

    // The Mixer list reports row index `index` (0-based; -1 for none) as selected from now on.
    void setSelectedIndex(int32_t index);
    // nullptr stops logging.
    void setLog(std::vector<std::string>* log) { log_ = log; }
    // request() calls of either kind so far.
    uint64_t requests() const { return requests_; }

private:
    char selectedIndexAnswer_[32];
    std::vector<std::string>* log_;
    uint64_t requests_;
};
