#include "compare.h"

#include <sstream>

#include "call_guard.h"
#include "run_record.h"
#include "runner.h"
#include "text.h"
#include "transcript.h"

namespace {

// A library's run, as the transcript lines of each entry of its record.
struct PlayedRun {
    std::vector<std::string> lines;
    std::vector<std::string> faults;  // its ERROR and FAIL lines, in order
};

// An entry's line(s) as the transcript prints them, without the final line end.
std::vector<std::string> entryLines(const RunRecord::Entry& entry) {
    std::ostringstream out;
    Transcript transcript(out);
    transcript.write(entry.view());
    return linesOf(out.str());
}

PlayedRun play(const std::string& library, const Site& site, const std::vector<Step>& steps) {
    call_guard::setLibrary(library);
    struct Silent final : HostLog {
        void write(const LogEntry&) override {}
    } silent;
    PlayedRun run;
    RunRecord record;
    record.keepEntries();
    {
        Runner runner(site, library, silent);
        runner.addListener(record);
        for (const Step& step : steps) {
            runner.run(step);
        }
        runner.finish();
        runner.removeListener(record);
    }
    for (const RunRecord::Entry& entry : record.entries()) {
        std::vector<std::string> lines = entryLines(entry);
        if (entry.tag == LogTag::Error || entry.tag == LogTag::Failure) {
            run.faults.insert(run.faults.end(), lines.begin(), lines.end());
        }
        run.lines.insert(run.lines.end(), lines.begin(), lines.end());
    }
    return run;
}

// The step line a transcript line belongs to.
std::string stepOf(const std::vector<std::string>& lines, size_t at) {
    for (size_t i = std::min(at + 1, lines.size()); i > 0; --i) {
        if (lines[i - 1].compare(0, 3, "== ") == 0) {
            return lines[i - 1];
        }
    }
    return "(before the first step)";
}

void showFaults(const std::string& library, const PlayedRun& run, std::ostream& out) {
    if (run.faults.empty()) {
        return;
    }
    out << library << " did not hold:\n";
    for (const std::string& line : run.faults) {
        out << "    " << line << "\n";
    }
}

}  // namespace

int compareLibraries(const std::string& library, const std::string& other, const Site& site,
                     const std::vector<Step>& steps, std::ostream& out) {
    PlayedRun a = play(library, site, steps);
    PlayedRun b = play(other, site, steps);
    size_t at = 0;
    while (at < a.lines.size() && at < b.lines.size() && a.lines[at] == b.lines[at]) {
        ++at;
    }
    bool same = at == a.lines.size() && at == b.lines.size();
    if (same) {
        out << "panel_host: " << library << " and " << other << " are the same through the " << steps.size()
            << " steps (" << a.lines.size() << " lines of transcript)\n";
    } else {
        auto show = [&](const std::string& name, const std::vector<std::string>& lines) {
            out << name << "\n";
            if (at < lines.size() && lines[at].compare(0, 3, "== ") == 0) {
                out << "    " << lines[at] << "\n";
                return;
            }
            out << "    in " << stepOf(lines, at) << "\n    "
                << (at < lines.size() ? lines[at] : "(the transcript has ended)") << "\n";
        };
        out << "panel_host: the transcripts differ at line " << at + 1 << "\n";
        show(library, a.lines);
        show(other, b.lines);
    }
    bool held = a.faults.empty() && b.faults.empty();
    if (!held) {
        out << "panel_host: " << (same ? "the runs agree, but " : "and ")
            << "a run failed an expectation or broke the contract\n";
        showFaults(library, a, out);
        showFaults(other, b, out);
    }
    return same && held ? 0 : 1;
}
