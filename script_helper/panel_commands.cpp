// The panel and control commands of orvo_script_helper: PI, PS, CE, CD, TP, TG, XI and the debug output.
// Each operation builds its whole command text in one place, below, and sends it once.
#include <cstring>

#include "command_text.h"
#include "debug_output.h"
#include "host_answer.h"
#include "orvo_script_helper.h"

bool orvo_script_helper::layoutCommand(const char* word, const orvo_string& panel, const orvo_string& file,
                                       const orvo_string& extra) {
    // {word} '{panel}' '{basePath}/{file}' '{extra}': the base path only when there is one, the extra
    // field only when it is not empty.
    orvo_command_text command;
    command << word << " '" << panel << "' '";
    if (basePath.length() > 0) {
        command << basePath << '/';
    }
    command << file << '\'';
    if (extra.length() > 0) {
        command << ' ';
        command.quoted(extra);
    }
    if (hostHandle == nullptr) {
        return true;  // without a host there is nothing to refuse the layout
    }
    return send(command.c_str()) != 0;
}

bool orvo_script_helper::panelInit(const orvo_string& panel, const orvo_string& file,
                                   const orvo_string& extra) {
    return layoutCommand("PI", panel, file, extra);
}

bool orvo_script_helper::panelShow(const orvo_string& panel, const orvo_string& file,
                                   const orvo_string& extra) {
    return layoutCommand("PS", panel, file, extra);
}

void orvo_script_helper::controlEnable(const orvo_string& panel, const orvo_string& control) {
    orvo_command_text command;
    command << "CE ";
    command.quoted(panel) << ' ';
    command.quoted(control);
    send(command.c_str());
}

void orvo_script_helper::controlDisable(const orvo_string& panel, const orvo_string& control) {
    orvo_command_text command;
    command << "CD ";
    command.quoted(panel) << ' ';
    command.quoted(control);
    send(command.c_str());
}

void orvo_script_helper::textPut(const orvo_string& param, const orvo_string& value, const orvo_string& panel,
                                 const orvo_string& control) {
    orvo_command_text command;
    command << "TP '" << param << '=' << value << "' ";
    command.quoted(panel) << ' ';
    command.quoted(control);
    send(command.c_str());
}

void orvo_script_helper::textPut(const orvo_string& text, const orvo_string& panel,
                                 const orvo_string& control) {
    orvo_command_text command;
    command << "TP ";
    command.quoted(text) << ' ';
    command.quoted(panel) << ' ';
    command.quoted(control);
    send(command.c_str());
}

void orvo_script_helper::textGet(const orvo_string& param, const orvo_string& panel,
                                 const orvo_string& control, orvo_string& out) {
    // `out` is written only at the end, so a caller may pass one of the other arguments as `out`.
    out = readControlText(param, panel, control);
}

orvo_string orvo_script_helper::readControlText(const orvo_string& param, const orvo_string& panel,
                                                const orvo_string& control) {
    orvo_command_text command;
    command << "TG ";
    command.quoted(panel) << ' ';
    command.quoted(control) << ' ';
    command.quoted(param);
    if (hostHandle == nullptr) {
        return orvo_string();
    }
    orvo_host_answer answer(hostHandle, reinterpret_cast<const char*>(send(command.c_str())));
    if (answer.text() == nullptr) {
        return orvo_string();
    }
    orvo_string reply(answer.text());
    answer.handBack();  // the reply is our own copy from here on

    if (param == "all") {
        return reply;
    }
    orvo_string returnedKey;
    orvo_string returnedValue;
    reply.split('=', returnedKey, returnedValue);
    if (returnedKey == param) {
        return returnedValue;
    }
    orvo_string none;
    debugFormat(
        "textGet: value returned \"%1\" was not the value requested \"%2\" (value returned was \"%3\" from "
        "control \"%4\", on panel \"%5\")",
        returnedKey, param, reply, control, panel, none, none, none, none);
    return orvo_string();
}

orvo_stringlist orvo_script_helper::controlIdList(const orvo_string& panel, const orvo_string& filter) {
    orvo_command_text command;
    command << "XI ";
    command.quoted(panel) << ' ';
    command.quoted(filter);
    if (hostHandle == nullptr) {
        return orvo_stringlist();
    }
    orvo_host_answer answer(hostHandle, reinterpret_cast<const char*>(send(command.c_str())));
    if (answer.text() == nullptr) {
        return orvo_stringlist();
    }
    orvo_stringlist controls(orvo_string(answer.text()), ',');
    answer.handBack();
    return controls;
}

void orvo_script_helper::debug(const orvo_string& text) {
    orvo_debug_output(text.c_str());
}

void orvo_script_helper::debug(const char* text) {
    orvo_debug_output(text);
}

void orvo_script_helper::debugFormat(const orvo_string& format, const orvo_string& a1, const orvo_string& a2,
                                     const orvo_string& a3, const orvo_string& a4, const orvo_string& a5,
                                     const orvo_string& a6, const orvo_string& a7, const orvo_string& a8,
                                     const orvo_string& a9) {
    const orvo_string* values[9] = {&a1, &a2, &a3, &a4, &a5, &a6, &a7, &a8, &a9};
    // One pass over the format: a filled-in value is never searched for markers itself, so a host's odd
    // text holding "%2" is written as it stands.
    orvo_command_text line;
    const char* at = format.c_str();
    const char* end = at + format.length();
    while (at < end) {
        if (at[0] == '%' && at + 1 < end && at[1] >= '1' && at[1] <= '9') {
            line << *values[at[1] - '1'];
            at += 2;
        } else {
            line << *at;
            ++at;
        }
    }
    orvo_debug_output(line.c_str());
}
