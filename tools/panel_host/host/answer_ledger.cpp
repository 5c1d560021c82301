#include "answer_ledger.h"

#include <cstring>

#include "text.h"

char* AnswerLedger::give(const std::string& text, const std::string& command) {
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    char* pointer = block.get();
    // A freed answer's address may be handed out again; its old entry is gone with the call it ended in.
    back_.erase(pointer);
    Entry& entry = out_[pointer];
    entry.text = std::move(block);
    entry.command = command;
    return pointer;
}

AnswerLedger::HandBack AnswerLedger::handBack(const void* data) {
    HandBack result;
    if (data == nullptr) {
        result.known = true;
        return result;
    }
    auto again = back_.find(data);
    if (again != back_.end()) {
        result.known = true;
        result.text = again->second.text.get();
        result.fault = Fault::HandedBackTwice;
        result.problem = "the answer " + quotedText(result.text) + " to " + again->second.command +
                         " was handed back twice";
        return result;
    }
    for (Entries* entries : {&out_, &late_}) {
        auto found = entries->find(data);
        if (found != entries->end()) {
            result.known = true;
            result.text = found->second.text.get();
            back_.insert(entries->extract(found));
            return result;
        }
    }
    result.fault = Fault::ForeignHandBack;
    result.problem = "the script handed back a text this host never gave it";
    return result;
}

std::vector<std::string> AnswerLedger::overdue(const std::string& when) {
    std::vector<std::string> faults;
    for (auto& item : out_) {
        faults.push_back("the answer " + quotedText(item.second.text.get()) + " to " + item.second.command +
                         " was not handed back " + when);
    }
    late_.merge(out_);
    return faults;
}
