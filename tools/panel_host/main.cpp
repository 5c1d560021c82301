// panel_host: loads a panel script library as the panel host does and plays a scenario against it.
//
//   panel_host LIBRARY SITE [SCENARIO]
//   panel_host --serve [--port N] [--listen ADDR] LIBRARY SITE [SCENARIO]
//
// Without SCENARIO the steps come from standard input; with --serve they come from the workbench page
// (serve/), after SCENARIO. Exit status: 0 when every expectation held and the script kept the host
// contract, 1 when not, 2 when an input (arguments, site, layout, scenario, library) was bad.
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>

#include "input_error.h"
#include "runner.h"
#include "scenario.h"
#include "site.h"
#include "text.h"
#ifdef PANEL_HOST_WORKBENCH
#include "workbench_server.h"
#endif

namespace {

const char* const kUsage =
    "usage: panel_host LIBRARY SITE [SCENARIO]\n"
    "       panel_host --serve [--port N] [--listen ADDR] LIBRARY SITE [SCENARIO]\n"
    "  LIBRARY   the panel script library to load (e.g. Corvane.so)\n"
    "  SITE      the site file (JSON): instances, databases, information drivers, layouts\n"
    "  SCENARIO  the steps to play; without it they are read from standard input\n"
    "  --serve   then serve the workbench page, where the panel is worked by hand (Ctrl-C ends the run)\n"
    "  --port N  the page's port (default 8250; 0 for any free one)\n"
    "  --listen ADDR  the page's address (default 127.0.0.1, this machine only)\n";

int summarize(const Runner& runner, const Transcript& transcript) {
    std::cout << "panel_host: " << transcript.failures() << " failed expectation"
              << (transcript.failures() == 1 ? "" : "s") << ", " << transcript.errors() << " contract error"
              << (transcript.errors() == 1 ? "" : "s") << "\n";
    std::cout.flush();
    return runner.exitCode();
}

// Steps typed at a terminal: a bad line is reported and the session goes on; from a pipe it stops.
int runInteractive(Runner& runner, Transcript& transcript) {
    bool terminal = ::isatty(STDIN_FILENO) != 0;
    std::string line;
    int lineNo = 0;
    while (std::getline(std::cin, line)) {
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

int runFile(Runner& runner, Transcript& transcript, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        runner.run(step);
    }
    runner.finish();
    return summarize(runner, transcript);
}

// --serve and its options, taken off the front of the arguments. False when they are malformed.
struct ServeArguments {
    bool serve = false;
    std::string address = "127.0.0.1";
    int port = 8250;
};

bool takeServeArguments(int& argc, char**& argv, ServeArguments& out) {
    if (argc < 2 || std::string(argv[1]) != "--serve") {
        return true;
    }
    out.serve = true;
    int next = 2;
    while (next + 1 < argc &&
           (std::string(argv[next]) == "--port" || std::string(argv[next]) == "--listen")) {
        std::string value = argv[next + 1];
        if (std::string(argv[next]) == "--listen") {
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
    // What is left reads as the plain command line: the program name, then LIBRARY SITE [SCENARIO].
    argv[next - 1] = argv[0];
    argv += next - 1;
    argc -= next - 1;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    ServeArguments serve;
    if (!takeServeArguments(argc, argv, serve)) {
        return 2;
    }
    if (argc < 3 || argc > 4) {
        std::cerr << kUsage;
        return 2;
    }
#ifndef PANEL_HOST_WORKBENCH
    if (serve.serve) {
        std::cerr << "panel_host: this build has no workbench (--serve); it needs cpp-httplib\n";
        return 2;
    }
#endif
    try {
        Site site = readSiteFile(argv[2]);
        std::vector<Step> steps;
        if (argc == 4) {
            std::ifstream in(argv[3]);
            if (!in) {
                throw InputError(std::string(argv[3]) + ": cannot open the scenario file");
            }
            steps = readScenario(in, argv[3]);
        }
        Transcript transcript(std::cout);
        Runner runner(site, argv[1], transcript);
        int status = 0;
#ifdef PANEL_HOST_WORKBENCH
        if (serve.serve) {
            serveWorkbench(runner, transcript, site, steps, ServeOptions{serve.address, serve.port});
            runner.finish();
            status = summarize(runner, transcript);
        } else
#endif
        {
            status = argc == 4 ? runFile(runner, transcript, steps) : runInteractive(runner, transcript);
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
