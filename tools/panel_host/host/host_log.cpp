#include "host_log.h"

#include <algorithm>

void HostLogFanout::remove(HostLog& listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), &listener), listeners_.end());
}

void HostLogFanout::write(const LogEntry& entry) {
    for (HostLog* listener : listeners_) {
        listener->write(entry);
    }
}

void HostLogFanout::sync() {
    for (HostLog* listener : listeners_) {
        listener->sync();
    }
}

namespace host_log {

namespace {

void plain(HostLog& log, LogTag tag, std::string_view text) {
    LogEntry entry;
    entry.tag = tag;
    entry.text = text;
    log.write(entry);
}

}  // namespace

void error(HostLog& log, Fault fault, std::string_view text) {
    LogEntry entry;
    entry.tag = LogTag::Error;
    entry.fault = fault;
    entry.text = text;
    log.write(entry);
}

void note(HostLog& log, std::string_view text) {
    plain(log, LogTag::Note, text);
}

void note(HostLog& log, Fault fault, std::string_view text) {
    LogEntry entry;
    entry.tag = LogTag::Note;
    entry.fault = fault;
    entry.text = text;
    log.write(entry);
}

void event(HostLog& log, std::string_view text) {
    plain(log, LogTag::Event, text);
}

void block(HostLog& log, std::string_view text) {
    plain(log, LogTag::Block, text);
}

void failure(HostLog& log, std::string_view text) {
    plain(log, LogTag::Failure, text);
}

void step(HostLog& log, std::string_view where, std::string_view text) {
    LogEntry entry;
    entry.tag = LogTag::Step;
    entry.where = where;
    entry.text = text;
    log.write(entry);
}

void debugText(HostLog& log, std::string_view chunk) {
    size_t start = 0;
    while (start < chunk.size()) {
        size_t end = chunk.find('\n', start);
        LogEntry entry;
        entry.tag = LogTag::Debug;
        entry.text =
            chunk.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        entry.unterminated = end == std::string_view::npos;
        log.write(entry);
        if (entry.unterminated) {
            break;
        }
        start = end + 1;
    }
}

}  // namespace host_log
