#include "answer_ledger.h"

#include <cstring>

#include "text.h"

char* AnswerLedger::give(const std::string& text, const std::string& command) {
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    char* pointer = block.get();
    Entry entry;
    entry.text = std::move(block);
    entry.command = command;
    entries_[pointer] = std::move(entry);
    return pointer;
}

AnswerLedger::HandBack AnswerLedger::handBack(const void* data) {
    HandBack result;
    if (data == nullptr) {
        result.known = true;
        return result;
    }
    auto found = entries_.find(data);
    if (found == entries_.end()) {
        result.fault = "the script handed back a text this host never gave it";
        return result;
    }
    Entry& entry = found->second;
    result.known = true;
    result.text = entry.text.get();
    if (entry.state == State::Back) {
        result.fault =
            "the answer " + quotedText(result.text) + " to " + entry.command + " was handed back twice";
    }
    entry.state = State::Back;
    return result;
}

std::vector<std::string> AnswerLedger::overdue(const std::string& when) {
    std::vector<std::string> faults;
    for (auto& item : entries_) {
        Entry& entry = item.second;
        if (entry.state == State::Out) {
            entry.state = State::Overdue;
            faults.push_back("the answer " + quotedText(entry.text.get()) + " to " + entry.command +
                             " was not handed back " + when);
        }
    }
    return faults;
}

size_t AnswerLedger::outstanding() const {
    size_t count = 0;
    for (const auto& item : entries_) {
        if (item.second.state != State::Back) {
            ++count;
        }
    }
    return count;
}
