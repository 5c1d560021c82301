// ButtonMessage: the host's parsed form of a control's message, as the button record points to it.
//
// It cuts a message of the shape command.sub.sub=value into a ParsedCommand the way the host does: '.'
// ends the command word and starts a sub-word (at most 32), the first '=' starts the value and ends the
// scan, and every text pointer with nothing to point at points to an empty text, never null. This is the
// host's reader, kept apart from the script's own parser, so a test that builds button records with it
// checks the script's reading against the host's.
//
// cutButtonMessage() works in place on a copy the caller owns (a record builder lays that copy beside
// the record). The ButtonMessage object owns its copy; it lives for one event and must not be copied or
// moved while a record points at it. Neither ever frees anything the script owns.
#pragma once

#include <string>
#include <vector>

#include "parsed_command.h"

// Cuts `copy`, a NUL-terminated copy of the message, in place and points `parsed` into it. An empty
// message leaves the empty command with a null ownedCopy, as the host does.
void cutButtonMessage(char* copy, ParsedCommand& parsed);

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
