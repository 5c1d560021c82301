// The device, lookup and timer commands of orvo_script_helper: SD, IR, IP, IU, IW, RN and ET.
// Each operation builds its whole command text in one place, below, and sends it once.
#include <cstdarg>
#include <cstdio>

#include "command_text.h"
#include "decode_orvo_string.h"
#include "host_answer.h"
#include "orvo_script_helper.h"

namespace {

// The registration, poll and timer commands are formatted into a 32-byte buffer that lives only for the
// call, so they never allocate. Numbers too long for it (never the panel's) are formatted whole into a
// second stack buffer that fits the longest possible text (three 11-character numbers and " 'ADD'"),
// never truncated.
struct ShortCommand {
    char text[32];
    char whole[64];
};

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
const char*
formatShort(ShortCommand& buffers, const char* format, ...) {
    va_list values;
    va_start(values, format);
    va_list again;
    va_copy(again, values);
    int length = std::vsnprintf(buffers.text, sizeof buffers.text, format, values);
    const char* result = buffers.text;
    if (length < 0 || static_cast<size_t>(length) >= sizeof buffers.text) {
        std::vsnprintf(buffers.whole, sizeof buffers.whole, format, again);
        result = buffers.whole;
    }
    va_end(again);
    va_end(values);
    return result;
}

}  // namespace

bool orvo_script_helper::instanceLookup(const orvo_string& instanceName, int32_t* device, int32_t* offset) {
    if (device != nullptr) {
        *device = 0;
    }
    if (offset != nullptr) {
        *offset = 0;
    }
    if (hostHandle == nullptr) {
        return false;
    }
    orvo_command_text command;
    command << "SD ";
    command.quoted(instanceName);
    orvo_host_answer answer(hostHandle, reinterpret_cast<const char*>(send(command.c_str())));
    if (answer.text() == nullptr) {
        return false;  // the host has no instance of that name
    }
    // "{device} {offset}"; a token the answer does not reach reads as empty, hence 0.
    decodeORVOString fields(answer.text(), '\'');
    if (device != nullptr) {
        *device = orvo_string(fields.tokens[0]).toInt();
    }
    if (offset != nullptr) {
        *offset = orvo_string(fields.tokens[1]).toInt();
    }
    answer.handBack();
    return true;
}

void orvo_script_helper::infoRegister(int32_t device, int32_t first, int32_t last, bool add) {
    ShortCommand buffers;
    if (add) {
        send(formatShort(buffers, "IR %d %d %d 'ADD'", static_cast<int>(device), static_cast<int>(first),
                         static_cast<int>(last)));
    } else {
        send(formatShort(buffers, "IR %d %d %d", static_cast<int>(device), static_cast<int>(first),
                         static_cast<int>(last)));
    }
}

void orvo_script_helper::infoPoll(int32_t device, int32_t first, int32_t last) {
    ShortCommand buffers;
    send(formatShort(buffers, "IP %d %d %d", static_cast<int>(device), static_cast<int>(first),
                     static_cast<int>(last)));
}

void orvo_script_helper::infoUnregister(int32_t device) {
    ShortCommand buffers;
    send(formatShort(buffers, "IU %d", static_cast<int>(device)));
}

void orvo_script_helper::timerStart(int32_t id, int32_t interval) {
    if (interval == 0) {
        timerStop(id);  // an interval of 0 stops the timer, with the same text
        return;
    }
    ShortCommand buffers;
    send(formatShort(buffers, "ET %d %d", static_cast<int>(id), static_cast<int>(interval)));
}

void orvo_script_helper::timerStop(int32_t id) {
    ShortCommand buffers;
    send(formatShort(buffers, "ET %d", static_cast<int>(id)));
}

void orvo_script_helper::infoWrite(int32_t device, const orvo_string& text, int32_t slot, bool flag) {
    if (text.length() > 256) {
        debug("The IW string is too long (max 256 chars)\n");
    }
    // IW {device} '{text}' {slot} {flag}: the text goes in as it stands, never through a place-marker fill,
    // so a "%1" inside it is sent unchanged.
    orvo_command_text command;
    command << "IW " << device << ' ';
    command.quoted(text) << ' ' << slot << ' ' << (flag ? '1' : '0');
    send(command.c_str());
}

void orvo_script_helper::readName(int32_t device, int32_t database, int32_t index, orvo_string& out) {
    if (hostHandle == nullptr) {
        return;
    }
    orvo_command_text command;
    command << "RN " << device << ' ' << database << ' ' << index;
    // The host expects its answer back even when it is null.
    orvo_host_answer answer(hostHandle, reinterpret_cast<const char*>(send(command.c_str())), true);
    if (answer.text() != nullptr) {
        out = answer.text();
    }
    answer.handBack();
}
