// panel_host: loads a panel script library as the panel host does and plays a scenario against it.
//
//   panel_host [--compare OTHER_LIBRARY] LIBRARY SITE [SCENARIO]
//   panel_host --serve [--port N] [--listen ADDR] [--watch] LIBRARY SITE [SCENARIO]
//   panel_host --version
//
// The front ends: a scenario file, steps typed at a terminal or piped in, a comparison of two libraries
// played through the same steps, and the workbench page (serve/), after SCENARIO. Each hands the runner
// Steps; none plays them itself.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "call_guard.h"
#include "input_error.h"
#include "orvo_version.h"
#include "runner.h"
#include "scenario.h"
#include "site.h"
#include "text.h"
#ifdef PANEL_HOST_WORKBENCH
#include "workbench_server.h"
#endif

namespace {

const char* const kUsage =
    "usage: panel_host [--compare OTHER_LIBRARY] LIBRARY SITE [SCENARIO]\n"
    "       panel_host --serve [--port N] [--listen ADDR] [--watch] LIBRARY SITE [SCENARIO]\n"
    "       panel_host --version\n"
    "  LIBRARY   the panel script library to load (e.g. Corvane.so)\n"
    "  SITE      the site file (JSON): instances, databases, information drivers, layouts\n"
    "  SCENARIO  the steps to play; without it they are read from standard input\n"
    "  --compare OTHER_LIBRARY\n"
    "            play the same steps against both libraries and compare what crossed the boundary\n"
    "  --serve   then serve the workbench page, where the panel is worked by hand (Ctrl-C ends the run)\n"
    "  --port N  the page's port (default 8250; 0 for any free one)\n"
    "  --listen ADDR  the page's address (default 127.0.0.1, this machine only)\n"
    "  --watch   reload LIBRARY when it is rebuilt, play the session again on it and show what changed\n"
    "exit status:\n"
    "  0  every expectation held and the script kept the contract (--compare: the transcripts are the same)\n"
    "  1  a FAIL or a contract ERROR (--compare: the transcripts differ)\n"
    "  2  a bad input: arguments, site, layout or scenario file, a step that cannot be carried out, a "
    "library\n"
    "  3  the script crashed or ended the process\n";

int summarize(const Runner& runner, const Transcript& transcript) {
    std::cout << "panel_host: " << transcript.failures() << " failed expectation"
              << (transcript.failures() == 1 ? "" : "s") << ", " << transcript.errors() << " contract error"
              << (transcript.errors() == 1 ? "" : "s") << "\n";
    std::cout.flush();
    return runner.exitCode();
}

// Steps typed at a terminal: a bad line is reported and the session goes on; from a pipe it stops.
int runInteractive(Runner& runner, Transcript& transcript, const std::string& library,
                   const std::string& site) {
    bool terminal = ::isatty(STDIN_FILENO) != 0;
    if (terminal) {
        std::cout << "panel_host: " << library << " with " << site
                  << "; type the steps (help lists them), end with Ctrl-D\n";
    }
    std::string line;
    int lineNo = 0;
    for (;;) {
        if (terminal) {
            std::cout << "> " << std::flush;
        }
        if (!std::getline(std::cin, line)) {
            break;
        }
        ++lineNo;
        try {
            if (std::optional<Step> step = parseStep(line, "stdin", lineNo)) {
                runner.run(*step);
            }
        } catch (const InputError& error) {
            std::cout.flush();
            std::cerr << error.what() << "\n";
            if (!terminal) {
                return 2;
            }
        }
        std::cout.flush();
    }
    runner.finish();
    return summarize(runner, transcript);
}

void playAll(Runner& runner, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        runner.run(step);
    }
    runner.finish();
}

std::vector<Step> readScenarioFile(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw InputError(path + ": is a directory");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw InputError(path + ": cannot open the scenario file");
    }
    std::vector<Step> steps = readScenario(in, path);
    if (steps.empty()) {
        throw InputError(path + ": no steps");
    }
    return steps;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// The transcript of one library played through the steps.
std::vector<std::string> transcriptOf(const std::string& library, const Site& site,
                                      const std::vector<Step>& steps) {
    call_guard::setLibrary(library);
    std::ostringstream out;
    Transcript transcript(out);
    {
        Runner runner(site, library, transcript);
        playAll(runner, steps);
    }
    return linesOf(out.str());
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

int compare(const std::string& library, const std::string& other, const Site& site,
            const std::vector<Step>& steps) {
    std::vector<std::string> a = transcriptOf(library, site, steps);
    std::vector<std::string> b = transcriptOf(other, site, steps);
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) {
        ++at;
    }
    if (at == a.size() && at == b.size()) {
        std::cout << "panel_host: " << library << " and " << other << " are the same through the "
                  << steps.size() << " steps (" << a.size() << " lines of transcript)\n";
        return 0;
    }
    auto show = [&](const std::string& name, const std::vector<std::string>& lines) {
        std::cout << name << "\n";
        if (at < lines.size() && lines[at].compare(0, 3, "== ") == 0) {
            std::cout << "    " << lines[at] << "\n";
            return;
        }
        std::cout << "    in " << stepOf(lines, at) << "\n    "
                  << (at < lines.size() ? lines[at] : "(the transcript has ended)") << "\n";
    };
    std::cout << "panel_host: the transcripts differ at line " << at + 1 << "\n";
    show(library, a);
    show(other, b);
    return 1;
}

// --serve and its options, taken off the front of the arguments. False when they are malformed.
struct ServeArguments {
    bool serve = false;
    std::string address = "127.0.0.1";
    int port = 8250;
    bool watch = false;
};

bool takeServeArguments(std::vector<std::string>& args, ServeArguments& out) {
    if (args.empty() || args[0] != "--serve") {
        return true;
    }
    out.serve = true;
    size_t next = 1;
    for (;;) {
        if (next < args.size() && args[next] == "--watch") {
            out.watch = true;
            ++next;
            continue;
        }
        if (next + 1 >= args.size() || (args[next] != "--port" && args[next] != "--listen")) {
            break;
        }
        const std::string& value = args[next + 1];
        if (args[next] == "--listen") {
            out.address = value;
        } else {
            std::optional<int32_t> port = parseInt32(value);
            if (!port || *port < 0 || *port > 65535) {
                std::cerr << "panel_host: --port needs a port number from 0 to 65535, not " << value << "\n";
                return false;
            }
            out.port = *port;
        }
        next += 2;
    }
    args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(next));
    return true;
}

// Plays the scenario's steps, then serves the workbench page until the user ends it.
int runServe(const std::string& library, const Site& site, const std::vector<Step>& steps,
             const ServeArguments& serve) {
#ifdef PANEL_HOST_WORKBENCH
    return serveWorkbench(library, site, steps, ServeOptions{serve.address, serve.port, serve.watch},
                          [](Runner& runner, Transcript& transcript) {
                              runner.finish();
                              return summarize(runner, transcript);
                          });
#else
    // main() refuses --serve in a build without the workbench before anything is loaded.
    (void)library, (void)site, (void)steps, (void)serve;
    return 2;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "panel_host " ORVO_PRODUCT_VERSION "\n";
        return 0;
    }
    ServeArguments serve;
    if (!takeServeArguments(args, serve)) {
        return 2;
    }
#ifndef PANEL_HOST_WORKBENCH
    if (serve.serve) {
        std::cerr << "panel_host: this build has no workbench (--serve); it needs cpp-httplib\n";
        return 2;
    }
#endif
    std::string other;
    if (!serve.serve && !args.empty() && args[0] == "--compare") {
        if (args.size() < 2) {
            std::cerr << "panel_host: --compare needs the other library\n" << kUsage;
            return 2;
        }
        other = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() < 2 || args.size() > 3) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        Site site = readSiteFile(args[1]);
        std::vector<Step> steps;
        if (args.size() == 3) {
            steps = readScenarioFile(args[2]);
        } else if (!other.empty()) {
            steps = readScenario(std::cin, "stdin");
            if (steps.empty()) {
                throw InputError("stdin: no steps");
            }
        }
        if (!other.empty()) {
            return compare(args[0], other, site, steps);
        }
        int status = 0;
        if (serve.serve) {
            status = runServe(args[0], site, steps, serve);
            if (status == 1) {
                std::cerr << "panel_host: the run failed; see the ERROR and FAIL lines above\n";
            }
            return status;
        }
        Transcript transcript(std::cout);
        Runner runner(site, args[0], transcript);
        if (args.size() == 3) {
            playAll(runner, steps);
            status = summarize(runner, transcript);
        } else {
            status = runInteractive(runner, transcript, args[0], args[1]);
        }
        if (status == 1) {
            std::cerr << "panel_host: the run failed; see the ERROR and FAIL lines above\n";
        }
        return status;
    } catch (const InputError& error) {
        std::cout.flush();
        std::cerr << error.what() << "\n";
        return 2;
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "panel_host: " << error.what() << "\n";
        return 2;
    }
}
