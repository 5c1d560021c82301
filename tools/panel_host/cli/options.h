// Options: panel_host's command line, read into what the front ends need.
//
// readOptions() takes the arguments after the program name. A malformed line is an InputError whose
// text is the message for standard error (the caller adds the usage and exits with status 2). The
// options own copies of everything; reading them opens no file.
#pragma once

#include <string>
#include <vector>

enum class Mode {
    Run,       // a scenario file, or steps from standard input
    Compare,   // the same steps against two libraries
    Serve,     // the workbench page
    Validate,  // the validator: its own options are in `validateArgs`
    Version,
    Rules,  // the host contract's rules as a table
    Help,
};

struct Options {
    Mode mode = Mode::Run;
    std::string library;
    std::string other;  // --compare: the other library
    std::string site;
    std::string scenario;  // "" for standard input
    // --serve
    std::string address = "127.0.0.1";
    int port = 8250;
    bool watch = false;     // reload the library when it is rebuilt
    double stepLimit = 10;  // seconds a step may run in the panel's process
    std::string resume;     // a saved session to take up ("" for none)
    // --validate: every argument after it, as given
    std::vector<std::string> validateArgs;
};

Options readOptions(const std::vector<std::string>& args);

extern const char* const kUsage;
