#include "recorder_script.h"

#include <cstdlib>
#include <cstring>

#include "orvo_event_kind.h"
#include "orvo_host_records.h"
#include "parsed_command.h"
#include "session_text.h"

namespace {

const char* orEmpty(const char* text) {
    return text == nullptr ? "" : text;
}

// The command word: the first two letters, followed by a blank or the end.
bool isCommand(const char* command, const char* word) {
    return command[0] == word[0] && command[0] != '\0' && command[1] == word[1] &&
           (command[2] == ' ' || command[2] == '\0');
}

// A button record's message as the host's control sent it: the command word, its sub-words after '.', and
// the value after '='. The host cuts a message exactly so, which this puts back together.
std::string buttonMessage(const ParsedCommand* message) {
    if (message == nullptr) {
        return "";
    }
    std::string text = orEmpty(message->command);
    int32_t count = message->subWordCount;
    for (int32_t i = 0; i < count && i < ParsedCommand::kMaxSubWords; ++i) {
        text += '.';
        text += orEmpty(message->subWords[i]);
    }
    if (message->hasValue != 0) {
        text += '=';
        text += orEmpty(message->value);
    }
    return text;
}

// An id the language reads as one word.
bool isWord(const char* text) {
    if (text == nullptr || text[0] == '\0' || (text[0] == '"' && text[1] == '\0')) {
        return false;
    }
    for (const char* c = text; *c != '\0'; ++c) {
        if (static_cast<unsigned char>(*c) <= ' ' || *c == 0x7f) {
            return false;
        }
    }
    return true;
}

void appendWhole(std::string& line, const std::string& text) {
    appendText(line, text.data(), text.size());
}

// The text between the first and the last single quote of a command: SD's name, IW's text.
std::string quotedField(const char* command) {
    const char* first = std::strchr(command, '\'');
    const char* last = std::strrchr(command, '\'');
    return first == nullptr || last <= first ? "" : std::string(first + 1, last);
}

}  // namespace

void RecorderScript::ForwardingHost::reserved() {
    owner_.host_->reserved();
}

intptr_t RecorderScript::ForwardingHost::request(void* data, int32_t kind) {
    intptr_t result = owner_.host_->request(data, kind);
    if (kind == orvo_request_command && data != nullptr && owner_.session_.recording()) {
        owner_.recordCommand(static_cast<const char*>(data), result);
    }
    return result;
}

RecorderScript::RecorderScript(orvo_host* host, std::unique_ptr<PanelModule> module,
                               const RecorderSettings& settings)
    : host_(host), forwarding_(*this), module_(std::move(module)), redaction_(settings.redact) {
    if (host_ != nullptr) {
        session_.open(settings.output, settings.cap,
                      "# A host session recorded by PanelRecorder from " + settings.panel +
                          ".\n# Replay it with: panel_host LIBRARY SITE THIS_FILE\nreplay\n");
    }
}

bool RecorderScript::start(const char* basePath) {
    beginEvent(nullptr, 0);
    real_ = module_->entry()(host_ == nullptr ? nullptr : &forwarding_, basePath);
    if (real_ == nullptr) {
        session_.stop("the real panel could not create its script");
        return false;
    }
    endEvent(0, nullptr);
    return true;
}

RecorderScript::~RecorderScript() {
    if (real_ != nullptr) {
        // The step goes to the file before the real script's destructor runs, in case it never returns.
        try {
            if (session_.room()) {
                session_.lines() += windowOpen_ ? "expect no more commands\nstop\n" : "stop\n";
                session_.endEvent();
            }
            deleteRealScript();
            if (session_.room()) {
                session_.lines() += "expect no more commands\n";
            }
        } catch (...) {
            session_.stop("out of memory");
        }
    }
    session_.close("# the recording ends here: the host destroyed the script\n");
    // The real module closes as module_ dies, after the script made from it.
}

void RecorderScript::deleteRealScript() noexcept {
    // The real script's destructor may throw, which no host call may let out of a destructor: the script
    // is gone either way.
    try {
#if defined(_WIN32)
        // As a Windows host deletes a script: through the first entry of its table, whatever built it.
        real_->scalarDeletingDestructor(orvo_msvc_free_memory);
#else
        delete real_;
#endif
    } catch (...) {
        if (session_.room()) {
            session_.lines() += "# the real script's destructor threw an exception\n";
        }
    }
    real_ = nullptr;
}

char* RecorderScript::notify(void* data, int32_t kind) {
    if (session_.recording()) {
        beginEvent(data, kind);
    }
    char* answer = real_->notify(data, kind);
    if (session_.recording()) {
        endEvent(kind, answer);
    }
    return answer;
}

void RecorderScript::beginEvent(void* data, int32_t kind) noexcept {
    // The script's answer to a parent request coming back belongs to the request's step.
    if (kind == orvo_event_release || !session_.room()) {
        return;
    }
    try {
        std::string& line = session_.lines();
        if (windowOpen_) {
            line += "expect no more commands\n";
        }
        windowOpen_ = true;
        switch (kind) {
            case 0:
                line += "start\n";
                return;
            case orvo_event_revertive: {
                if (data == nullptr) {
                    line += "# a revertive without its record, which a scenario cannot play\n";
                    return;
                }
                auto* record = static_cast<const orvo_revertive_record*>(data);
                line += "revertive " + std::to_string(record->deviceNumber) + " " +
                        std::to_string(record->slotIndex) + " ";
                appendWhole(line, redaction_.text(record->slotText, redaction_.covers(record->deviceNumber,
                                                                                      record->slotIndex)));
                break;
            }
            case orvo_event_button: {
                auto* record = static_cast<const orvo_button_record*>(data);
                if (record == nullptr || !isWord(record->panelId) || !isWord(record->controlId)) {
                    line += "# a button event whose record a scenario line cannot hold\n";
                    return;
                }
                line += "button ";
                line += record->panelId;
                line += ' ';
                line += record->controlId;
                std::string message = buttonMessage(record->message);
                if (!message.empty()) {
                    line += ' ';
                    appendWhole(line, message);
                }
                break;
            }
            case orvo_event_parent: {
                line += "request ";
                const char* text = orEmpty(static_cast<const char*>(data));
                appendText(line, text, std::strlen(text));
                break;
            }
            case orvo_event_timer:
                line += "tick " + std::to_string(orvo_integer_from_data(data));
                break;
            case orvo_event_integer:
                line += "integer " + std::to_string(orvo_integer_from_data(data));
                break;
            case orvo_event_record:
                line += "record";
                break;
            default:
                line += "# an event of kind " + std::to_string(kind) + ", which a scenario cannot play";
                break;
        }
        line += '\n';
    } catch (...) {
        session_.stop("out of memory");
    }
}

void RecorderScript::endEvent(int32_t kind, const char* answer) noexcept {
    if (kind == orvo_event_parent && session_.room()) {
        try {
            std::string& line = session_.lines();
            if (answer == nullptr) {
                line += "expect no answer\n";
            } else {
                line += "expect answer ";
                appendText(line, answer, std::strlen(answer));
                line += '\n';
            }
        } catch (...) {
            session_.stop("out of memory");
        }
    }
    session_.endEvent();
}

void RecorderScript::recordCommand(const char* command, intptr_t result) noexcept {
    if (!session_.room()) {
        return;
    }
    try {
        std::string& line = session_.lines();
        line += "expect sent ";
        if (redaction_.active()) {
            if (isCommand(command, "IW")) {
                int32_t device = static_cast<int32_t>(std::strtol(command + 2, nullptr, 10));
                const char* last = std::strrchr(command, '\'');
                int32_t slot =
                    last == nullptr ? -1 : static_cast<int32_t>(std::strtol(last + 1, nullptr, 10));
                std::string text = quotedField(command);
                redaction_.text(text.c_str(), redaction_.covers(device, slot));
            }
            std::string redacted = redaction_.command(command);
            appendWhole(line, redacted);
            line += '\n';
            if (isCommand(command, "SD")) {
                redaction_.lookedUp(quotedField(command), reinterpret_cast<const char*>(result));
            }
            bool layout = isCommand(command, "PI") || isCommand(command, "PS");
            if (layout || isCommand(command, "TG") || isCommand(command, "XI") || isCommand(command, "SD")) {
                recordAnswer(redacted, reinterpret_cast<const char*>(result), layout);
            } else if (isCommand(command, "RN")) {
                int32_t device = static_cast<int32_t>(std::strtol(command + 2, nullptr, 10));
                const char* name = reinterpret_cast<const char*>(result);
                std::string hidden = redaction_.text(name, redaction_.covers(device, -1));
                recordAnswer(redacted, name == nullptr ? nullptr : hidden.c_str(), false);
            }
            return;
        }
        appendText(line, command, std::strlen(command));
        line += '\n';
        bool layout = isCommand(command, "PI") || isCommand(command, "PS");
        if (layout || isCommand(command, "TG") || isCommand(command, "XI") || isCommand(command, "SD") ||
            isCommand(command, "RN")) {
            recordAnswer(command, reinterpret_cast<const char*>(result), layout);
        }
    } catch (...) {
        session_.stop("out of memory");
    }
}

void RecorderScript::recordAnswer(const std::string& command, const char* answer, bool layout) noexcept {
    try {
        std::string& line = session_.answers();
        line += "host answers ";
        if (layout) {
            line += answer != nullptr ? "1" : "0";
        } else if (answer == nullptr) {
            line += "none";
        } else {
            appendQuoted(line, answer, std::strlen(answer));
        }
        line += " to ";
        appendWhole(line, command);
        line += '\n';
    } catch (...) {
        session_.stop("out of memory");
    }
}
