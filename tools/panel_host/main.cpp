// panel_host: loads a panel script library as the panel host does and plays a scenario against it.
//
//   panel_host [--compare OTHER_LIBRARY] LIBRARY SITE [SCENARIO]
//   panel_host --serve [--port N] [--listen ADDR] [--watch] [--step-limit S] [--resume FILE] LIBRARY SITE
//                      [SCENARIO]
//   panel_host --validate [options] LIBRARY [SITE]   (validate/validate.h)
//   panel_host --version
//
// The front ends: a scenario file, steps typed at a terminal or piped in, a comparison of two libraries
// played through the same steps (cli/compare.h), and the workbench page (serve/), after SCENARIO. Each
// hands the runner Steps; none plays them itself. The command line is read in cli/options.h.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "compare.h"
#include "input_error.h"
#include "options.h"
#include "contract_rules.h"
#include "orvo_version.h"
#include "runner.h"
#include "scenario.h"
#include "site.h"
#include "transcript.h"
#include "validate.h"
#ifdef PANEL_HOST_WORKBENCH
#include "workbench_server.h"
#endif

namespace {

int summarize(const Runner& runner) {
    const RunRecord& record = runner.record();
    std::cout << "panel_host: " << record.failures() << " failed expectation"
              << (record.failures() == 1 ? "" : "s") << ", " << record.errors() << " contract error"
              << (record.errors() == 1 ? "" : "s") << "\n";
    std::cout.flush();
    return runner.exitCode();
}

// Steps typed at a terminal: a bad line is reported and the session goes on; from a pipe it stops.
int runInteractive(Runner& runner, const Options& options) {
    bool terminal = ::isatty(STDIN_FILENO) != 0;
    if (terminal) {
        std::cout << "panel_host: " << options.library << " with " << options.site
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
    return summarize(runner);
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

// Plays the scenario's steps, then serves the workbench page until the user ends it. The workbench
// makes its own runs: a new session or a rebuilt library (--watch) is a new one.
int runServe(const Site& site, const std::vector<Step>& steps, const Options& options) {
#ifdef PANEL_HOST_WORKBENCH
    std::vector<Step> all = steps;
    if (!options.resume.empty()) {
        // The saved session's steps; its checks pinned what the build it was made with sent.
        for (const Step& step : readScenarioFile(options.resume)) {
            if (!step.isExpect()) {
                all.push_back(step);
            }
        }
    }
    return serveWorkbench(options.library, site, all,
                          ServeOptions{options.address, options.port, options.watch, options.stepLimit},
                          [](Runner& runner) {
                              runner.finish();
                              return summarize(runner);
                          });
#else
    // main() refuses --serve in a build without the workbench before anything is loaded.
    (void)site, (void)steps, (void)options;
    return 2;
#endif
}

int play(const Options& options) {
    Site site = readSiteFile(options.site);
    std::vector<Step> steps;
    if (!options.scenario.empty()) {
        steps = readScenarioFile(options.scenario);
    } else if (options.mode == Mode::Compare) {
        steps = readScenario(std::cin, "stdin");
        if (steps.empty()) {
            throw InputError("stdin: no steps");
        }
    }
    if (options.mode == Mode::Compare) {
        return compareLibraries(options.library, options.other, site, steps, std::cout);
    }
    if (options.mode == Mode::Serve) {
        return runServe(site, steps, options);
    }
    Transcript transcript(std::cout);
    Runner runner(site, options.library, transcript);
    if (!options.scenario.empty()) {
        playAll(runner, steps);
        return summarize(runner);
    }
    return runInteractive(runner, options);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = readOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const InputError& error) {
        if (*error.what() != '\0') {
            std::cerr << error.what() << "\n";
        }
        std::cerr << kUsage;
        return 2;
    }
    if (options.mode == Mode::Help) {
        std::cout << kUsage << kValidateUsage;
        return 0;
    }
    if (options.mode == Mode::Version) {
        std::cout << "panel_host " ORVO_PRODUCT_VERSION "\n";
        return 0;
    }
    if (options.mode == Mode::Rules) {
        std::cout << contractRulesTable();
        return 0;
    }
    if (options.mode == Mode::Validate) {
        return runValidate(options.validateArgs);
    }
#ifndef PANEL_HOST_WORKBENCH
    if (options.mode == Mode::Serve) {
        std::cerr << "panel_host: this build has no workbench (--serve); it needs cpp-httplib\n";
        return 2;
    }
#endif
    try {
        int status = play(options);
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
