#include "fuzz_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_check.h"
#include "orvo_event_kind.h"

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool knownCommand(const std::string& command) {
    static const char* const kWords[] = {"PI ", "PS ", "CE ", "CD ", "TP ", "TG ", "XI ",
                                         "SD ", "IR ", "IP ", "IU ", "IW ", "RN ", "ET "};
    for (const char* word : kWords) {
        if (startsWith(command, word)) {
            return true;
        }
    }
    return command == "AS";
}

bool answers(const std::string& command) {
    return startsWith(command, "SD ") || startsWith(command, "TG ") || startsWith(command, "RN ") ||
           startsWith(command, "XI ");
}

}  // namespace

FuzzHost::FuzzHost(const std::string& answers)
    : answerBytes_(answers),
      answers_(reinterpret_cast<const uint8_t*>(answerBytes_.data()), answerBytes_.size()),
      trace_(std::getenv("ORVO_FUZZ_TRACE") != nullptr) {}

FuzzHost::~FuzzHost() {
    for (char* text : outstanding_) {
        delete[] text;
    }
    for (char* text : back_) {
        delete[] text;
    }
}

void FuzzHost::callEnded() {
    FUZZ_REQUIRE(outstanding_.empty());  // an answer kept past the call that asked
    for (char* text : back_) {
        delete[] text;
    }
    back_.clear();
}

void FuzzHost::reserved() {
    FUZZ_REQUIRE(!"a script called the host's reserved slot");
}

intptr_t FuzzHost::request(void* data, int32_t kind) {
    if (kind == orvo_request_release) {
        if (trace_) {
            std::fprintf(stderr, "host: release %s\n", data != nullptr ? static_cast<char*>(data) : "null");
        }
        if (data == nullptr) {
            return 0;  // readName hands back a null answer too
        }
        char* text = static_cast<char*>(data);
        FUZZ_REQUIRE(back_.count(text) == 0);         // handed back twice
        FUZZ_REQUIRE(outstanding_.erase(text) == 1);  // foreign
        back_.insert(text);
        return 0;
    }
    FUZZ_REQUIRE(kind == orvo_request_command);
    FUZZ_REQUIRE(data != nullptr);
    const std::string command(static_cast<const char*>(data));
    if (trace_) {
        std::fprintf(stderr, "host: %s\n", command.c_str());
    }
    FUZZ_REQUIRE(knownCommand(command));
    FUZZ_REQUIRE(outstanding_.empty());  // the previous answer was due back before this command

    if (startsWith(command, "PI ") || startsWith(command, "PS ")) {
        return answers_.empty() ? 1 : answers_.byte() % 2;
    }
    if (!answers(command)) {
        return 0x5a5a;  // not a text: a script that reads or hands it back is caught at once
    }
    return reinterpret_cast<intptr_t>(answerFor(command));
}

const char* FuzzHost::answerFor(const std::string& command) {
    std::string text;
    if (answers_.empty()) {
        text = defaultAnswer(command);
    } else {
        switch (answers_.byte() % 5) {
            case 0:
                return nullptr;
            case 1:
                text = defaultAnswer(command);
                break;
            case 2:
                text = answers_.text();
                break;
            case 3:
                text = shapedAnswer(command, answers_.text());
                break;
            default: {
                // Up to 64 KiB of one character: long enough to leave every fixed buffer behind.
                const size_t kib = answers_.byte() % 65;
                const char fill = static_cast<char>(answers_.byte() | 1);
                text.assign(kib * 1024 + 1, fill);
                break;
            }
        }
    }
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    outstanding_.insert(copy);
    return copy;
}

std::string FuzzHost::defaultAnswer(const std::string& command) const {
    if (command == "SD 'ZaD SDI Router'") {
        return "3 0";
    }
    if (command == "SD 'DAZ Tally Infodriver'") {
        return "7 0";
    }
    if (startsWith(command, "TG ")) {
        return "selectedindex=2";
    }
    if (startsWith(command, "RN ")) {
        return "Camera|" + command.substr(command.rfind(' ') + 1);
    }
    return "alm_1,alm_2";
}

std::string FuzzHost::shapedAnswer(const std::string& command, const std::string& text) const {
    if (startsWith(command, "SD ")) {
        return text + " 0";
    }
    if (startsWith(command, "TG ")) {
        return "selectedindex=" + text;
    }
    if (startsWith(command, "RN ")) {
        return text + "|" + text;
    }
    return text + "," + text;
}
