#include "options.h"

#include <cstdlib>

#include "input_error.h"
#include "text.h"

const char* const kUsage =
    "usage: panel_host [--compare OTHER_LIBRARY] LIBRARY SITE [SCENARIO]\n"
    "       panel_host --serve [--port N] [--listen ADDR] [--watch] [--step-limit S] [--resume FILE] LIBRARY "
    "SITE [SCENARIO]\n"
    "       panel_host --version\n"
    "       panel_host --rules     the host contract's rules, as the guides list them\n"
    "  LIBRARY   the panel script library to load (e.g. Corvane.so)\n"
    "  SITE      the site file (JSON): instances, databases, information drivers, layouts\n"
    "  SCENARIO  the steps to play; without it they are read from standard input\n"
    "  --compare OTHER_LIBRARY\n"
    "            play the same steps against both libraries and compare what crossed the boundary\n"
    "  --serve   then serve the workbench page, where the panel is worked by hand (Ctrl-C ends the run)\n"
    "  --port N  the page's port (default 8250; 0 for any free one)\n"
    "  --listen ADDR  the page's address (default 127.0.0.1, this machine only)\n"
    "  --watch   reload LIBRARY when it is rebuilt, play the session again on it and show what changed\n"
    "  --step-limit S  seconds a step may run before the panel's process is killed as hung (default 10)\n"
    "  --resume FILE  take up a saved session: play its steps (not its checks) after SCENARIO\n"
    "exit status:\n"
    "  0  every expectation held and the script kept the contract (--compare: and the runs are the same)\n"
    "  1  a FAIL or a contract ERROR (--compare: in either run, or the runs differ)\n"
    "  2  a bad input: arguments, site, layout or scenario file, a step that cannot be carried out, a "
    "library\n"
    "  3  the script crashed or ended the process\n";

namespace {

[[noreturn]] void bad(const std::string& what) {
    throw InputError("panel_host: " + what);
}

}  // namespace

Options readOptions(const std::vector<std::string>& args) {
    Options options;
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        options.mode = Mode::Help;
        return options;
    }
    if (args.size() == 1 && args[0] == "--rules") {
        options.mode = Mode::Rules;
        return options;
    }
    if (args.size() == 1 && args[0] == "--version") {
        options.mode = Mode::Version;
        return options;
    }
    if (!args.empty() && args[0] == "--validate") {
        options.mode = Mode::Validate;
        options.validateArgs.assign(args.begin() + 1, args.end());
        return options;
    }
    size_t next = 0;
    if (!args.empty() && args[0] == "--serve") {
        options.mode = Mode::Serve;
        next = 1;
        for (;;) {
            if (next < args.size() && args[next] == "--watch") {
                options.watch = true;
                ++next;
                continue;
            }
            if (next + 1 >= args.size() || (args[next] != "--port" && args[next] != "--listen" &&
                                            args[next] != "--resume" && args[next] != "--step-limit")) {
                break;
            }
            const std::string& value = args[next + 1];
            if (args[next] == "--listen") {
                options.address = value;
            } else if (args[next] == "--resume") {
                options.resume = value;
            } else if (args[next] == "--step-limit") {
                char* end = nullptr;
                double seconds = std::strtod(value.c_str(), &end);
                if (value.empty() || *end != '\0' || !(seconds > 0 && seconds <= 3600)) {
                    bad("--step-limit needs a number of seconds above 0 and up to 3600, not " + value);
                }
                options.stepLimit = seconds;
            } else {
                std::optional<int32_t> port = parseInt32(value);
                if (!port || *port < 0 || *port > 65535) {
                    bad("--port needs a port number from 0 to 65535, not " + value);
                }
                options.port = *port;
            }
            next += 2;
        }
    } else if (!args.empty() && args[0] == "--compare") {
        if (args.size() < 2) {
            bad("--compare needs the other library");
        }
        options.mode = Mode::Compare;
        options.other = args[1];
        next = 2;
    }
    size_t left = args.size() - next;
    if (left < 2 || left > 3) {
        throw InputError(std::string());
    }
    options.library = args[next];
    options.site = args[next + 1];
    if (left == 3) {
        options.scenario = args[next + 2];
    }
    return options;
}
