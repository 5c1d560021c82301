#include "run_record.h"

void RunRecord::openWindow() {
    sent_.clear();
    debug_.clear();
    notes_.clear();
}

void RunRecord::write(const LogEntry& entry) {
    switch (entry.tag) {
        case LogTag::Step:
            step_.assign(entry.where.data(), entry.where.size());
            break;
        case LogTag::Sent:
            ++sentTotal_;
            sent_.emplace_back(entry.text);
            break;
        case LogTag::Debug:
            debug_.emplace_back(entry.text);
            break;
        case LogTag::Note:
            notes_.emplace_back(entry.text);
            break;
        case LogTag::Error:
            ++errors_;
            if (breaches_.size() < kKeptFaults) {
                breaches_.push_back({entry.fault, std::string(entry.text), step_});
            }
            break;
        case LogTag::Failure:
            ++failures_;
            if (failureTexts_.size() < kKeptFaults) {
                failureTexts_.emplace_back(entry.text);
            }
            break;
        default:
            break;
    }
    if (!keepEntries_) {
        return;
    }
    entries_.push_back({entry.tag, entry.fault, std::string(entry.text), std::string(entry.where),
                        entry.absent, entry.unterminated});
}

LogEntry RunRecord::Entry::view() const {
    LogEntry entry;
    entry.tag = tag;
    entry.fault = fault;
    entry.text = text;
    entry.where = where;
    entry.absent = absent;
    entry.unterminated = unterminated;
    return entry;
}
