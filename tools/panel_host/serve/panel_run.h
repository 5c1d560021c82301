// PanelRun: one build of the panel at work, as the workbench's child process holds it: the runner (the
// emulated host with the script), the steps the page asks for, and the drawing the page is sent.
//
// It lives only in the child (panel_child.h), so whatever the script does to its process never reaches
// the server. Each entry the host log writes is handed at once to `entry` as the transcript's text with
// the page's kind for it, so lines written before a crash are not lost. A step that cannot be carried
// out is an InputError, as in a file run. It owns the runner; it never talks to the server itself.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host_log.h"
#include "runner.h"
#include "scenario.h"
#include "site.h"
#include "transcript.h"

class PanelRun {
public:
    // `kind` is how the page marks the entry's lines ("step", "sent", "ERROR", ...); `text` is what the
    // transcript writes for it, one or more lines.
    using EntrySink = std::function<void(const std::string& kind, const std::string& text)>;

    // A step as the session keeps it: its scenario line and the commands it caused.
    struct Played {
        std::string line;
        std::vector<std::string> sent;
    };

    // Loads `library` (an InputError when it cannot).
    PanelRun(const Site& site, const std::string& library, EntrySink entry);

    // The step for one action posted by the page (action.h), numbered `number` for its "browser:N"
    // messages; an InputError when the body is not a step.
    Step actionStep(const std::string& body, int number) const;
    // One step; the script is started first by an explicit `start` when the step needs it.
    std::vector<Played> play(const Step& step);
    // Starts the script if nothing did yet.
    std::vector<Played> ready();

    // The drawing: the host as hostState() reads it, with the rows each information-driver slot feeds.
    nlohmann::json state() const;
    Runner& runner() { return *runner_; }

private:
    class PageLog final : public HostLog {
    public:
        explicit PageLog(PanelRun& run) : run_(run) {}
        void write(const LogEntry& entry) override;

    private:
        PanelRun& run_;
        std::ostringstream text_;
        Transcript format_{text_};
    };

    void learnFeeds(const LogEntry& entry);
    void playRecorded(const Step& step, std::vector<Played>& played);

    const Site& site_;
    EntrySink entry_;
    PageLog pageLog_{*this};
    std::unique_ptr<Runner> runner_;
    // Which list row each information-driver slot feeds: the row whose cell the script set while the
    // slot's revertive was being handled. Read from the log, so it knows no panel.
    struct Row {
        std::string control;
        int row = 0;
    };
    std::map<std::pair<int32_t, int32_t>, Row> feeds_;
    std::optional<std::pair<int32_t, int32_t>> handling_;
};
