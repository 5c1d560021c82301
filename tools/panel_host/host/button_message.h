// ButtonMessage: the host's parsed form of a control's message, as the button record points to it.
//
// It cuts a message of the shape command.sub.sub=value into a ParsedCommand the way the contract
// describes: '.' ends the command word and starts a sub-word (at most 32), the first '=' starts the
// value and ends the scan, and every text pointer with nothing to point at points to an empty text,
// never null. The object owns the copy the pointers point into; it lives for one event and must not be
// copied or moved while a record points at it. It never frees anything the script owns.
#pragma once

#include <string>
#include <vector>

#include "parsed_command.h"

class ButtonMessage {
public:
    explicit ButtonMessage(const std::string& message);
    ButtonMessage(const ButtonMessage&) = delete;
    ButtonMessage& operator=(const ButtonMessage&) = delete;

    const ParsedCommand* parsed() const { return &parsed_; }

private:
    std::vector<char> copy_;
    ParsedCommand parsed_;
};
