// HostCommand: one command text from the script, cut into its word and fields.
//
// Text fields are the ones the script sends in single quotes, numbers the plain decimal ones. A value
// the script put in quotes may itself hold quotes (nothing is escaped on the wire), so free-text fields
// are cut from the ends inward: the TP text is whatever lies before its last two fields, the SD name is
// everything inside the outer quotes, the IW text everything between the device and the last two
// numbers. parseHostCommand() throws CommandError naming what is wrong; it keeps nothing.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct HostCommand {
    std::string word;                // PI, PS, CE, CD, TP, TG, XI, SD, IR, IP, IU, IW, RN, ET, AS
    std::vector<std::string> texts;  // quoted fields, in order
    std::vector<int32_t> numbers;    // plain fields, in order
    bool add = false;                // IR ... 'ADD'
};

class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& message) : std::runtime_error(message) {}
};

HostCommand parseHostCommand(const std::string& text);
