// The records the host passes with revertive (kind 1) and button (kind 2) events.
//
// The host owns every record and every text a record points to; a script reads them only during the
// notify() call that brought them and never keeps a pointer into them. The field order and types are
// fixed by the host; the offsets are pinned below for 32-bit and 64-bit builds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "parsed_command.h"

// A device's report of one slot's current text.
struct orvo_revertive_record {
    int32_t deviceNumber;
    int32_t hostWord1;  // the host's, never read
    int32_t slotIndex;  // index of the slot within the device
    int32_t hostWord3;  // the host's, never read
    // The slot's text, NUL-terminated, stored in the record itself; its real length is the host's.
    char slotText[1];
};

// A press or change on one panel control.
struct orvo_button_record {
    int32_t hostWord0;             // the host's, never read
    int32_t hostWord1;             // the host's, never read
    const char* panelId;           // a null reads as the empty text
    const char* controlId;         // a null reads as the empty text
    const ParsedCommand* message;  // the control's message, parsed by the host; a null reads as empty
};

static_assert(offsetof(orvo_revertive_record, deviceNumber) == 0, "revertive device number at 0");
static_assert(offsetof(orvo_revertive_record, slotIndex) == 8, "revertive slot index at 8");
static_assert(offsetof(orvo_revertive_record, slotText) == 16, "revertive text at 16");

static_assert(offsetof(orvo_button_record, panelId) == 8, "button panel id at 8");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(orvo_button_record, controlId) == 12, "button control id at 12 (32-bit)");
static_assert(offsetof(orvo_button_record, message) == 16, "button message at 16 (32-bit)");
#else
static_assert(offsetof(orvo_button_record, controlId) == 16, "button control id at 16 (64-bit)");
static_assert(offsetof(orvo_button_record, message) == 24, "button message at 24 (64-bit)");
#endif
