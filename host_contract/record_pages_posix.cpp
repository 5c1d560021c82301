#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "record_pages.h"

namespace {

// One sealed record the fault handler can name. Fixed-size, so the handler reads it without allocating.
struct SealedRecord {
    char* begin = nullptr;
    size_t size = 0;          // the readable part, where the record was
    void* mapping = nullptr;  // a mapping of its own, given back when the slot is needed; null in the arena
    size_t mappingSize = 0;
    char event[200] = {};
};

// Most records take a page or two, and changing a page's protection is a system call that costs more than
// the event the record carries, so the pages come from one arena reserved once and are made readable in
// batches, one call for a batch. A batch is used from its top page down: each record ends where the record
// before it began, on a page already sealed (or on the arena's top page, never readable), so a read past
// its end faults as it would on a guard page of its own. A record then costs one protection change, its
// seal. The arena is taken again from the top when it is used up; a record bigger than a batch gets a
// mapping of its own.
constexpr size_t kArenaPages = 8192;  // and one more above them that is never readable
constexpr size_t kBatchPages = 64;

// The kit's memory of sealed records, oldest overwritten first. The fault handler has no context of its
// own, so this is where it looks.
struct SealedRegistry {
    SealedRecord records[RecordPages::kKeptSealed];
    size_t next = 0;
    char currentEvent[200] = {};
    bool handlerInstalled = false;
    char* arena = nullptr;  // kArenaPages pages (and the top guard), unreadable but for the current batch
    bool arenaFailed = false;
    size_t batchBegin = kArenaPages;  // the current batch's lowest page
    size_t batchNext = kArenaPages;   // one above the batch's highest page not yet taken
    // For each page of the arena, 1 + the slot of the sealed record on it, or 0.
    uint16_t arenaOwner[kArenaPages] = {};
    struct sigaction previousSegv;
    struct sigaction previousBus;
};

SealedRegistry& registry() {
    // Static, not on the heap: a validator measuring the script's heap must not see it, and it is never
    // destroyed, so the handler may still run at exit.
    static SealedRegistry kept;
    return kept;
}

void writeAll(const char* text, size_t length) {
    while (length > 0) {
        ssize_t written = ::write(STDERR_FILENO, text, length);
        if (written <= 0) {
            return;
        }
        text += written;
        length -= static_cast<size_t>(written);
    }
}

void onFault(int signal, siginfo_t* info, void*) {
    SealedRegistry& kept = registry();
    const char* address = static_cast<const char*>(info->si_addr);
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    for (size_t i = 0; i < RecordPages::kKeptSealed; ++i) {
        const SealedRecord& record = kept.records[i];
        if (kept.arena != nullptr && address >= kept.arena && address < kept.arena + kArenaPages * page &&
            kept.arenaOwner[static_cast<size_t>(address - kept.arena) / page] != i + 1) {
            continue;  // the arena's page holds another record now, or none
        }
        if (record.begin != nullptr && address >= record.begin && address < record.begin + record.size) {
            char line[512];
            int length = std::snprintf(line, sizeof line,
                                       "host contract: ERROR record-read-after-call: the script read the "
                                       "record of the event %s after the call that carried it had returned, "
                                       "during the event %s\n",
                                       record.event, kept.currentEvent);
            if (length > 0) {
                writeAll(line, static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length)
                                                                         : sizeof line - 1);
            }
            break;
        }
    }
    // The fault goes on to whoever handled it before: returning runs the read again, which faults again
    // under the previous handler (a sanitizer's report, a debugger, or the default crash).
    ::sigaction(signal, signal == SIGSEGV ? &kept.previousSegv : &kept.previousBus, nullptr);
}

void installHandler(SealedRegistry& kept) {
    if (kept.handlerInstalled) {
        return;
    }
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGSEGV, &action, &kept.previousSegv);
    ::sigaction(SIGBUS, &action, &kept.previousBus);
    kept.handlerInstalled = true;
}

size_t pageSize() {
    long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<size_t>(size) : 4096;
}

// The event's name into a fixed slot the fault handler reads, cut to fit and always ended.
template <size_t N>
void copyEvent(char (&slot)[N], const std::string& event) {
    const size_t length = ::strnlen(event.c_str(), N - 1);
    std::memcpy(slot, event.c_str(), length);
    slot[length] = '\0';
}

}  // namespace

namespace {

// `pages` readable pages from the arena, zeroed, just below the record taken before them; null when the
// arena cannot hold them.
char* fromArena(size_t pages, size_t page) {
    SealedRegistry& kept = registry();
    if (pages > kBatchPages || kept.arenaFailed) {
        return nullptr;
    }
    if (kept.arena == nullptr) {
        void* reserved = ::mmap(nullptr, (kArenaPages + 1) * page, PROT_NONE,
                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (reserved == MAP_FAILED) {
            kept.arenaFailed = true;
            return nullptr;
        }
        kept.arena = static_cast<char*>(reserved);
    }
    if (kept.batchNext - kept.batchBegin < pages) {
        // A new batch below this one (or at the top again); the pages this one did not use are sealed.
        if (kept.batchNext > kept.batchBegin) {
            ::mprotect(kept.arena + kept.batchBegin * page, (kept.batchNext - kept.batchBegin) * page,
                       PROT_NONE);
        }
        const size_t end = kept.batchBegin >= kBatchPages ? kept.batchBegin : kArenaPages;
        if (::mprotect(kept.arena + (end - kBatchPages) * page, kBatchPages * page, PROT_READ | PROT_WRITE) !=
            0) {
            kept.batchBegin = kept.batchNext = kArenaPages;
            return nullptr;
        }
#if defined(MADV_POPULATE_WRITE)
        // The batch's pages are faulted in by one call instead of one fault per record; where the kernel
        // cannot, each page is faulted in on first use as before.
        (void)::madvise(kept.arena + (end - kBatchPages) * page, kBatchPages * page, MADV_POPULATE_WRITE);
#endif
        kept.batchBegin = end - kBatchPages;
        kept.batchNext = end;
        for (size_t i = kept.batchBegin; i < end; ++i) {
            kept.arenaOwner[i] = 0;
        }
    }
    kept.batchNext -= pages;
    char* begin = kept.arena + kept.batchNext * page;
    std::memset(begin, 0, pages * page);
    return begin;
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
    // Only as much as a sealed record's slot shows: a record's event may carry kilobytes of text.
    event_.assign(event, 0, sizeof(SealedRecord::event) - 1);
    if (char* begin = fromArena(readable / page, page)) {
        inArena_ = true;
        mapping_ = begin;
        mappingSize_ = readable;
        uintptr_t start = reinterpret_cast<uintptr_t>(begin + readable - size) & ~uintptr_t{alignment - 1};
        data_ = reinterpret_cast<char*>(start);
        return;
    }
    mappingSize_ = readable + page;
    mapping_ = ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) {
        mapping_ = nullptr;
        throw std::bad_alloc();
    }
    char* base = static_cast<char*>(mapping_);
    // The page after the record is never readable, so a read past its end faults during the call too.
    ::mprotect(base + readable, page, PROT_NONE);
    // The record ends at the guard page, but for the few bytes that keep its start aligned.
    uintptr_t start = reinterpret_cast<uintptr_t>(base + readable - size) & ~uintptr_t{alignment - 1};
    data_ = reinterpret_cast<char*>(start);
}

void RecordPages::seal() {
    if (mapping_ == nullptr || sealed_) {
        return;
    }
    sealed_ = true;
    char* base = static_cast<char*>(mapping_);
    ::mprotect(base, mappingSize_, PROT_NONE);

    SealedRegistry& kept = registry();
    installHandler(kept);
    SealedRecord& slot = kept.records[kept.next];
    if (slot.mapping != nullptr) {
        ::munmap(slot.mapping, slot.mappingSize);
    }
    slot.begin = base;
    if (inArena_) {
        const size_t page = pageSize();
        slot.size = mappingSize_;
        slot.mapping = nullptr;  // the arena's pages are taken again in turn, never given back
        slot.mappingSize = 0;
        for (size_t i = static_cast<size_t>(base - kept.arena) / page;
             i < static_cast<size_t>(base - kept.arena + mappingSize_) / page; ++i) {
            kept.arenaOwner[i] = static_cast<uint16_t>(kept.next + 1);
        }
    } else {
        slot.size = mappingSize_ - pageSize();
        slot.mapping = mapping_;
        slot.mappingSize = mappingSize_;
    }
    copyEvent(slot.event, event_);
    kept.next = (kept.next + 1) % kKeptSealed;
}

void RecordPages::setCurrentEvent(const std::string& event) {
    copyEvent(registry().currentEvent, event);
}

RecordPages::~RecordPages() {
    if (mapping_ == nullptr) {
        delete[] data_;
        return;
    }
    // The registry owns the pages from here on; it gives them back when it needs the slot.
    seal();
}
