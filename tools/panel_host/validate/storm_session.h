// StormSession: the validator's one coupling to the emulator's runner, host and readers. Storms are
// Steps played by the same Runner a scenario file goes through, so the validator can never disagree
// with a scenario run; the lower-level calls the event and lifecycle checks need (a raw notify, the
// export with a null host) come through here too, so nothing else in validate/ names the host's types.
//
// A session owns its runner and listens to the host log: it keeps the first contract ERROR, with the
// rule it broke and the step it happened in, and the transcript's text only when asked (the determinism
// check compares it). So a storm of a hundred thousand events costs no memory beyond the steps played
// (counted by keptBytes()). Every step played is written back with the scenario writer, the same one
// a saved scenario uses; with a trail descriptor each is written to it before it is played, so a crash
// or a hang still leaves the steps that led to it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "check.h"
#include "scenario.h"

class Runner;
class Transcript;
class ErrorWatch;
struct Site;
struct Seeds;

class StormSession {
public:
    // Loads the library; `trailFd` -1 for no trail.
    StormSession(const CheckContext& context, bool keepText, int trailFd = -1);
    ~StormSession();
    StormSession(const StormSession&) = delete;
    StormSession& operator=(const StormSession&) = delete;

    // One scenario line, played. False once the script broke the contract (firstError() says how) or the
    // step could not be carried out; the session plays nothing more after that.
    bool play(const std::string& line);
    // A line of a scenario file, named by its file and line in what the session reports.
    bool play(const std::string& line, const std::string& file, int lineNo);
    bool play(const Step& step);
    // Destroys the script and closes the library; the destructor's and the unload's breaches count.
    bool finish();

    bool broken() const { return !firstError().empty(); }
    // The first note of each named rule the host wrote, "<rule>: <words> (<step>)": not failures.
    const std::vector<std::string>& notes() const;
    const std::string& firstError() const;
    const std::string& firstErrorWhere() const;
    // The steps played so far, as scenario lines.
    const std::vector<std::string>& played() const { return played_; }
    int64_t events() const { return static_cast<int64_t>(played_.size()); }
    std::string transcriptText() const;
    // Empties the trail, for a check that plays a second run in the same child: the trail then holds
    // the steps of the run in progress, and each of its steps still restarts the child's clock.
    void restartTrail();

    // ---- Processor time of each call into the script, for the time budget ------------------------------
    // A step may make many calls (an advance that fires a thousand ticks, a poll's revertives), and the
    // operator's thread is held by one call at a time, so the budget is a call's. Off until asked: it
    // reads the thread's clock twice a call.
    void timeCalls();
    struct SlowCall {
        double ms = 0;
        std::string call;  // the event the host delivered, as the transcript names it
    };
    // The slowest call of the last step played.
    const SlowCall& slowestCall() const;

    // ---- What the script set up, for the storm generator -------------------------------------------
    struct ControlView {
        std::string id;
        enum Kind { Button, List, Picker, Other } kind = Other;
        int32_t rows = 0;
    };
    std::vector<ControlView> controls();
    // The (device, slot) pairs the script is registered for, on the site's information drivers.
    std::vector<std::pair<int32_t, int32_t>> registeredSlots();
    // Clock units to the next due tick of a running timer, if any runs.
    std::optional<int64_t> nextTickIn();
    // What the session's events reached of what the script set up so far.
    Coverage coverage();
    // Heap bytes the session itself keeps: the steps played.
    size_t keptBytes() const;

private:
    // Offers the coverage what the script has set up by now: its controls, slots and timers.
    void offerWhatIsSetUp();

    std::unique_ptr<ErrorWatch> watch_;
    std::unique_ptr<std::ostringstream> text_;
    std::unique_ptr<Transcript> transcript_;
    std::unique_ptr<Runner> runner_;
    const Site& site_;
    int trailFd_;
    bool finished_ = false;
    std::string stopped_;  // why the session stopped when it was not a contract error
    std::string stoppedWhere_;
    std::vector<std::string> played_;
    const Seeds* seeds_;
};

// Heap bytes a list of kept lines takes (the session's own steps, or a copy of them).
size_t keptBytesOf(const std::vector<std::string>& lines);

// Processor time of the calling thread, in milliseconds.
double threadMs();

// A scenario file as the validator uses it: every step as a line (numbered as in the file) for its replay,
// and what the storms learn from it. InputError "file:line: ..." for a file that does not read.
struct ScenarioSeed {
    std::string file;
    std::vector<std::pair<int, std::string>> lines;        // every step, with its line number
    std::vector<std::string> prefix;                       // the steps that drive the script, without checks
    std::vector<std::string> requests;                     // parent-request texts
    std::vector<std::string> messages;                     // press messages
    std::vector<std::string> texts;                        // revertive texts
    std::vector<std::string> controls;                     // the controls it presses, selects in or picks on
    std::vector<std::pair<std::string, int32_t>> choices;  // (control, row selected or number picked)
    std::vector<int32_t> ticks;                            // the timers it ticks
    std::vector<int32_t> advances;                         // the clock units it advances by
    std::vector<int32_t> numbers;                          // its integer events
};
ScenarioSeed readScenarioSeed(const std::string& path);

// Simpler forms of one scenario line, simplest first: its text emptied or halved (either half), its
// number 0, 1 or halved; none for a line with no value or an already simplest one.
std::vector<std::string> simplerLines(const std::string& line);

// `text` as the rest of a scenario line that reads back as it is (the scenario writer's quoting).
std::string scenarioRest(const std::string& text);

// The site file read, with every layout file (*.orvo_ui) in its layout folder built as the host builds
// it, or the empty site: no instance, no database, no layout. A site or layout that does not read is an
// InputError "file:line: ...": bad input of the run, not a fault of the panel that would load it.
std::shared_ptr<const Site> readSiteOrNone(const std::string& path);
// The base path the host hands the script.
std::string basePathOf(const CheckContext& context);

// ---- Direct calls, below the runner, for the event and lifecycle checks ------------------------------
// A script created on an emulated host of the context's site, for raw events. Breaches the host sees
// (an answer kept, a text returned for a kind that may not) are collected as texts.
class RawScript {
public:
    RawScript(const CheckContext& context, const char* basePath);
    ~RawScript();
    bool created() const;
    // notify(data, kind) as the host would call it; `what` names the event for a crash message, `threw`
    // tells whether an exception came out.
    char* notify(void* data, int32_t kind, const std::string& what, bool& threw);
    // Destroys the script; the breaches so far, empty when none.
    std::vector<std::string> destroy();
    std::vector<std::string> breaches() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Calls the export with a null host and the given base path and destroys what it returns. False when
// the export returned nothing; a script that calls through the null host crashes the process.
bool createWithNullHost(const std::string& library, const char* basePath);

// `count` scripts created on one emulated host, destroyed in the order given (indexes into creation
// order). The host's breaches, or "could not create" texts.
std::vector<std::string> manyScripts(const CheckContext& context, const std::vector<int>& destroyOrder);
