// orvo_stringlist: an ordered list of texts, and the iterator that walks it.
//
// The list owns copies of its entries. It is built empty, by copy, or by splitting one text at a
// separator character (an empty text gives no entries; "a,,b" gives "a", "", "b"; a separator at
// either end gives an empty entry there, so "a," gives "a", "" and "," gives "", ""). Entries are only
// ever appended. The only failure is std::bad_alloc, after which the list is as it was before.
// An iterator stays valid until the next entry is appended.
#pragma once

#include <cstdint>
#include <vector>

#include "orvo_string.h"

class orvo_stringlistIterator {
public:
    explicit orvo_stringlistIterator(const orvo_string* at) : at_(at) {}
    const orvo_string& operator*() const { return *at_; }
    const orvo_string* operator->() const { return at_; }
    orvo_stringlistIterator& operator++() {
        ++at_;
        return *this;
    }
    bool operator!=(const orvo_stringlistIterator& other) const { return at_ != other.at_; }
    bool operator==(const orvo_stringlistIterator& other) const { return at_ == other.at_; }

private:
    const orvo_string* at_;
};

class orvo_stringlist {
public:
    orvo_stringlist() = default;
    orvo_stringlist(const orvo_stringlist& other) = default;
    orvo_stringlist(orvo_stringlist&& other) noexcept = default;
    // Splits `text` at every `separator`: one entry more than there are separators, except that an empty
    // text gives an empty list.
    orvo_stringlist(const orvo_string& text, char separator);
    virtual ~orvo_stringlist() = default;

    orvo_stringlist& operator=(const orvo_stringlist& other);  // strong guarantee: copies, then swaps
    orvo_stringlist& operator=(orvo_stringlist&& other) noexcept = default;

    // Appends a copy of `entry`, which may itself be an entry of this list.
    orvo_stringlist& operator<<(const orvo_string& entry);

    // The entries joined by `separator`, one allocation at most for the result. An empty list gives the
    // empty text; a NUL separator joins the entries with nothing between them.
    orvo_string toString(char separator) const;

    int32_t count() const { return static_cast<int32_t>(entries_.size()); }
    orvo_stringlistIterator begin() const { return orvo_stringlistIterator(entries_.data()); }
    orvo_stringlistIterator end() const { return orvo_stringlistIterator(entries_.data() + entries_.size()); }

private:
    std::vector<orvo_string> entries_;
};
