// RecordPages: the memory one host record lives in, and what the kit does when a script reads a record
// after the call that carried it.
//
// A plain block comes from the heap and is freed with the RecordPages. A guarded block is laid on pages
// of its own, ending where an unreadable page begins, so reading past its end faults too (on POSIX, the
// pages of an arena reserved once and taken again in turn, so guarding costs two protection changes a
// record; a very large record and Windows get a mapping of their own). seal() makes the pages unreadable: from then on any read of the record faults
// at once, and the kit's fault handler (installed with the first guarded block) writes which event's
// record was read to standard error before the fault goes on to whatever handled it before (a sanitizer,
// a debugger, the default crash). Sealed pages are kept unreadable for the last kKeptSealed guarded
// records of the process, so a record kept across a few events is still caught; older ones are given
// back to the system.
//
// The registry of sealed pages is process-wide and not thread-safe: a test program drives its scripts from
// one thread. RecordPages never touch the contents; they only own and protect the memory.
#pragma once

#include <cstddef>
#include <string>

class RecordPages {
public:
    static constexpr size_t kKeptSealed = 1024;

    // `size` bytes, zeroed, at an address that is a multiple of `alignment` (a power of two, at most 16;
    // a guarded block ends that much closer to its guard page the smaller it is). `event` names the event
    // in the fault message (like `revertive 3 7 "LIVE"`); only a guarded block keeps it.
    RecordPages(size_t size, size_t alignment, bool guarded, const std::string& event);
    // A plain block is freed; a sealed guarded block joins the kept ones; an unsealed one is sealed first.
    ~RecordPages();
    RecordPages(const RecordPages&) = delete;
    RecordPages& operator=(const RecordPages&) = delete;

    char* data() const { return data_; }
    size_t size() const { return size_; }
    bool guarded() const { return mapping_ != nullptr; }

    // The call has returned: a guarded block becomes unreadable. Does nothing to a plain one.
    void seal();

    // The event of the call now in progress (`tick 1`), for the message of a record read during it.
    static void setCurrentEvent(const std::string& event);

private:
    char* data_ = nullptr;
    size_t size_ = 0;
    void* mapping_ = nullptr;  // the guarded pages, guard page included (in the arena: without it)
    size_t mappingSize_ = 0;
    bool inArena_ = false;  // on pages of the process's record arena, taken again in turn
    std::string event_;
    bool sealed_ = false;
};
