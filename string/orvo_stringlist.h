// orvo_stringlist: an ordered list of texts, and the iterator that walks it.
//
// The list owns copies of its entries. It is built empty, by copy, or by splitting one text at a
// separator character (an empty text gives no entries; "a,,b" gives "a", "", "b"; a separator at
// either end gives an empty entry there, so "a," gives "a", "" and "," gives "", ""). Entries are only
// ever appended. The first entry lives inside the list object, so the one-entry lists a panel answers
// with take no block of the list's own; later entries go to one growing block. The only failure is
// std::bad_alloc, after which the list is as it was before. An iterator stays valid until the next
// entry is appended.
#pragma once

#include <cstdint>
#include <vector>

#include "orvo_string.h"

class orvo_stringlistIterator {
public:
    // The entry at `index` of a list whose first entry is `first` and whose later ones start at `rest`.
    orvo_stringlistIterator(const orvo_string* first, const orvo_string* rest, int32_t index)
        : first_(first), rest_(rest), index_(index) {}
    const orvo_string& operator*() const { return index_ == 0 ? *first_ : rest_[index_ - 1]; }
    const orvo_string* operator->() const { return &**this; }
    orvo_stringlistIterator& operator++() {
        ++index_;
        return *this;
    }
    bool operator!=(const orvo_stringlistIterator& other) const { return !(*this == other); }
    bool operator==(const orvo_stringlistIterator& other) const {
        return first_ == other.first_ && index_ == other.index_;
    }

private:
    const orvo_string* first_;
    const orvo_string* rest_;
    int32_t index_;
};

class orvo_stringlist {
public:
    orvo_stringlist() = default;
    orvo_stringlist(const orvo_stringlist& other) = default;
    orvo_stringlist(orvo_stringlist&& other) noexcept;
    // Splits `text` at every `separator`: one entry more than there are separators, except that an empty
    // text gives an empty list.
    orvo_stringlist(const orvo_string& text, char separator);
    virtual ~orvo_stringlist() = default;

    orvo_stringlist& operator=(const orvo_stringlist& other);  // strong guarantee: copies, then moves
    orvo_stringlist& operator=(orvo_stringlist&& other) noexcept;

    // Appends a copy of `entry`, which may itself be an entry of this list.
    orvo_stringlist& operator<<(const orvo_string& entry);

    // The entries joined by `separator`, one allocation at most for the result. An empty list gives the
    // empty text; a NUL separator joins the entries with nothing between them.
    orvo_string toString(char separator) const;

    int32_t count() const { return hasFirst_ ? static_cast<int32_t>(rest_.size()) + 1 : 0; }
    orvo_stringlistIterator begin() const { return orvo_stringlistIterator(&first_, rest_.data(), 0); }
    orvo_stringlistIterator end() const { return orvo_stringlistIterator(&first_, rest_.data(), count()); }

private:
    const orvo_string& entry(int32_t index) const { return index == 0 ? first_ : rest_[index - 1]; }

    orvo_string first_;              // the first entry, when hasFirst_ is set
    std::vector<orvo_string> rest_;  // every entry after the first
    bool hasFirst_ = false;          // the list has entries; rest_ is empty without one
};
