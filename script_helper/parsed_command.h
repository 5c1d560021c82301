// ParsedCommand: a message of the shape command.sub.sub=value, cut into its words.
//
// The host fills one for every button record; the script fills its own for every parent request with
// parseCommand(). Every text pointer that has nothing to point at points to the shared empty text
// (orvo_empty_text()), never to null. A ParsedCommand filled by parseCommand() owns `ownedCopy`, into
// which all its other pointers point; release() frees it. One filled by the host belongs to the host and
// is only read. The struct has no destructor of its own, because the host fills the same layout.
#pragma once

#include <cstddef>
#include <cstdint>

// The one shared empty text: static, never null, never freed.
const char* orvo_empty_text();

struct ParsedCommand {
    static constexpr int32_t kMaxSubWords = 32;

    const char* command;                 // the command word
    const char* subWords[kMaxSubWords];  // sub-words in order; unused entries are the empty text
    const char* value;                   // the text after the first '='
    int32_t subWordCount;                // 0 to 32
    uint8_t hasValue;                    // 1 when a '=' was present
    uint8_t reserved[3];
    char* ownedCopy;  // the copy the pointers above point into, or null

    // Fills this record from `text` (null reads as empty). Any previous ownedCopy is not freed: call
    // release() first. Throws std::bad_alloc when the copy cannot be made; the record is then the
    // empty command, with a null ownedCopy, and safe to release.
    void parseCommand(const char* text);

    // Frees ownedCopy (if any) and leaves the record as the empty command. Safe to call twice.
    void release();
};

static_assert(offsetof(ParsedCommand, command) == 0, "command word at 0");
static_assert(offsetof(ParsedCommand, subWords) == sizeof(void*), "sub-words after the command word");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(ParsedCommand, value) == 132, "value at 132 (32-bit)");
static_assert(offsetof(ParsedCommand, subWordCount) == 136, "count at 136 (32-bit)");
static_assert(offsetof(ParsedCommand, hasValue) == 140, "value flag at 140 (32-bit)");
static_assert(offsetof(ParsedCommand, ownedCopy) == 144, "owned copy at 144 (32-bit)");
static_assert(sizeof(ParsedCommand) == 148, "148 bytes (32-bit)");
#else
static_assert(offsetof(ParsedCommand, value) == 264, "value at 264 (64-bit)");
static_assert(offsetof(ParsedCommand, subWordCount) == 272, "count at 272 (64-bit)");
static_assert(offsetof(ParsedCommand, hasValue) == 276, "value flag at 276 (64-bit)");
static_assert(offsetof(ParsedCommand, ownedCopy) == 280, "owned copy at 280 (64-bit)");
static_assert(sizeof(ParsedCommand) == 288, "288 bytes (64-bit)");
#endif
