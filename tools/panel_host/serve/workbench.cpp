#include "workbench.h"

#include <algorithm>
#include <optional>

#include "action.h"
#include "host_state.h"
#include "input_error.h"

Workbench::Workbench(Runner& runner, Transcript& transcript, const Site& site, EventStream& events)
    : runner_(runner), transcript_(transcript), site_(site), events_(events) {}

void Workbench::startFirst(const Step& step) {
    bool needsScript = step.kind != StepKind::Silent && step.kind != StepKind::Unknown;
    if (runner_.started() || !needsScript || step.kind == StepKind::Start) {
        return;
    }
    std::optional<Step> start = parseStep("start", step.file, step.line);
    play(*start);
}

void Workbench::play(const Step& step) {
    startFirst(step);
    if (step.isExpect() || step.kind == StepKind::Show) {
        runner_.run(step);
        return;
    }
    size_t before = runner_.record().sentTotal();
    runner_.run(step);
    // The record's window holds what this step sent (it opens as the step begins).
    const std::vector<std::string>& sent = runner_.record().sent();
    size_t count = std::min(runner_.record().sentTotal() - before, sent.size());
    record_.played(step.source,
                   std::vector<std::string>(sent.end() - static_cast<std::ptrdiff_t>(count), sent.end()));
}

void Workbench::ready() {
    if (!runner_.started()) {
        play(*parseStep("start", "workbench", 0));
    }
    publishState();
}

Workbench::Reply Workbench::act(const std::string& body) {
    Reply reply;
    try {
        std::string where = "browser:" + std::to_string(actions_ + 1);
        std::string line = actionLine(body, runner_.panels(), runner_.timers(), where);
        std::optional<Step> step = parseStep(line, "browser", actions_ + 1);
        ++actions_;
        play(*step);
        publishState();
        reply.body = jsonText({{"version", version_}});
    } catch (const InputError& error) {
        // The step may have got part of the way; the page still sees where the host stands.
        publishState();
        reply.status = 400;
        reply.body = error.what();
    }
    return reply;
}

std::string Workbench::state() {
    nlohmann::json state = hostState(runner_, site_);
    state["version"] = version_;
    return jsonText(state);
}

void Workbench::publishState() {
    ++version_;
    events_.publish("state", state());
}

std::string transcriptLineKind(const std::string& line) {
    if (line.rfind("== ", 0) == 0) {
        return "step";
    }
    if (line.rfind("FAIL ", 0) == 0) {
        return "FAIL";
    }
    static const char* const kTags[] = {"event", "sent", "answer", "back", "debug", "note", "ERROR"};
    for (const char* tag : kTags) {
        std::string prefix = std::string("   ") + tag + " ";
        if (line.rfind(prefix, 0) == 0) {
            return tag;
        }
    }
    return "text";
}
