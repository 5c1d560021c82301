#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "record_pages.h"

namespace {

// One sealed record the fault handler can name. Fixed-size, so the handler reads it without allocating.
struct SealedRecord {
    char* begin = nullptr;
    size_t size = 0;  // the readable part, where the record was
    void* mapping = nullptr;
    char event[200] = {};
};

// The kit's memory of sealed records, oldest overwritten first. The handler has no context of its own,
// so this is where it looks.
struct SealedRegistry {
    SealedRecord records[RecordPages::kKeptSealed];
    size_t next = 0;
    char currentEvent[200] = {};
    void* handler = nullptr;
};

SealedRegistry& registry() {
    // Static, not on the heap: a validator measuring the script's heap must not see it, and it is never
    // destroyed, so the handler may still run at exit.
    static SealedRegistry kept;
    return kept;
}

// Names the record an access violation hit, then lets the fault go on to whoever handles it after us.
LONG CALLBACK onFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* fault = info->ExceptionRecord;
    if (fault->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || fault->NumberParameters < 2) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const char* address = reinterpret_cast<const char*>(fault->ExceptionInformation[1]);
    for (const SealedRecord& record : registry().records) {
        if (record.begin != nullptr && address >= record.begin && address < record.begin + record.size) {
            std::fprintf(stderr,
                         "host contract: ERROR record-read-after-call: the script read the record of the "
                         "event %s after the call that carried it had returned, during the event %s\n",
                         record.event, registry().currentEvent);
            std::fflush(stderr);
            break;
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

size_t pageSize() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return info.dwPageSize;
}

}  // namespace

RecordPages::RecordPages(size_t size, size_t alignment, bool guarded, const std::string& event)
    : size_(size) {
    if (!guarded) {
        data_ = new char[size == 0 ? 1 : size]();
        return;
    }
    const size_t page = pageSize();
    const size_t readable = (size + page - 1) / page * page + (size == 0 ? page : 0);
    mappingSize_ = readable + page;
    mapping_ = ::VirtualAlloc(nullptr, mappingSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (mapping_ == nullptr) {
        throw std::bad_alloc();
    }
    char* base = static_cast<char*>(mapping_);
    // The page after the record is never readable, so a read past its end faults during the call too.
    DWORD old = 0;
    ::VirtualProtect(base + readable, page, PAGE_NOACCESS, &old);
    // The record ends at the guard page, but for the few bytes that keep its start aligned.
    uintptr_t start = reinterpret_cast<uintptr_t>(base + readable - size) & ~uintptr_t{alignment - 1};
    data_ = reinterpret_cast<char*>(start);
    event_ = event;
}

void RecordPages::seal() {
    if (mapping_ == nullptr || sealed_) {
        return;
    }
    sealed_ = true;
    char* base = static_cast<char*>(mapping_);
    DWORD old = 0;
    ::VirtualProtect(base, mappingSize_, PAGE_NOACCESS, &old);

    SealedRegistry& kept = registry();
    if (kept.handler == nullptr) {
        kept.handler = ::AddVectoredExceptionHandler(1, onFault);
    }
    SealedRecord& slot = kept.records[kept.next];
    if (slot.mapping != nullptr) {
        ::VirtualFree(slot.mapping, 0, MEM_RELEASE);
    }
    slot.begin = base;
    slot.size = mappingSize_ - pageSize();
    slot.mapping = mapping_;
    std::snprintf(slot.event, sizeof slot.event, "%s", event_.c_str());
    kept.next = (kept.next + 1) % kKeptSealed;
}

void RecordPages::setCurrentEvent(const std::string& event) {
    std::snprintf(registry().currentEvent, sizeof registry().currentEvent, "%s", event.c_str());
}

RecordPages::~RecordPages() {
    if (mapping_ == nullptr) {
        delete[] data_;
        return;
    }
    // The registry owns the pages from here on; it gives them back when it needs the slot.
    seal();
}
