#include "hand_back_rule.h"

#include <cstring>

char* HandBackRule::give(const std::string& text, const std::string& command) {
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

HandBackRule::HandBack HandBackRule::handBack(const void* data) {
    HandBack result;
    if (data == nullptr) {
        return result;
    }
    auto again = back_.find(data);
    if (again != back_.end()) {
        result.fault = Fault::Twice;
        result.text = again->second.text.get();
        result.command = again->second.command;
        return result;
    }
    for (Entries* entries : {&out_, &late_}) {
        auto found = entries->find(data);
        if (found != entries->end()) {
            result.text = found->second.text.get();
            result.command = found->second.command;
            back_.insert(entries->extract(found));
            return result;
        }
    }
    result.fault = Fault::Foreign;
    return result;
}

std::vector<HandBackRule::Answer> HandBackRule::overdue() {
    std::vector<Answer> due;
    for (const auto& item : out_) {
        due.push_back(Answer{item.second.text.get(), item.second.command});
    }
    late_.merge(out_);
    return due;
}
