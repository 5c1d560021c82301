// InputError: a bad input to the emulator (site file, layout file, scenario line, library, command line).
//
// Its message is complete and ready to print, already prefixed with "file:" or "file:line:" where there
// is a place to point at. Thrown by the readers and the runner; caught once in main(), which prints it
// and exits non-zero. Never used for faults of the script under test: those go to the transcript.
#pragma once

#include <stdexcept>
#include <string>

class InputError : public std::runtime_error {
public:
    explicit InputError(const std::string& message) : std::runtime_error(message) {}
};
