// orvo_string: the text type every part of the panel library passes around.
//
// Owns its characters; the contents are always NUL-terminated. Texts of up to kInlineCapacity
// characters live inside the object itself, so the short command fields and numbers a panel
// handles never touch the heap. Longer texts take one heap block, released by the destructor; a
// string keeps its block for later texts, and appending to it grows the block by doubling.
// A null `const char*` given to any operation reads as the empty text. No operation has
// undefined behaviour for any input; the only failure is std::bad_alloc when a long text
// cannot be stored, and then the string keeps its previous contents.
#pragma once

#include <cstdint>
#include <cstring>

class orvo_string {
public:
    // Characters held without a heap block (the terminating NUL comes on top).
    static constexpr int32_t kInlineCapacity = 63;

    // The empty string and the destructor are inline: strings are made by the dozen for every event.
    orvo_string() : data_(inline_), length_(0), capacity_(kInlineCapacity) { inline_[0] = 0; }
    // Inline, like the comparison with a text below: a literal's length is then known where it is
    // written, and a short text is one measured copy.
    orvo_string(const char* text)  // NOLINT: implicit on purpose, literals are passed as strings
        : data_(inline_), length_(0), capacity_(kInlineCapacity) {
        const char* const from = text != nullptr ? text : "";
        const size_t length = std::strlen(from);
        if (length <= static_cast<size_t>(kInlineCapacity)) {
            std::memcpy(inline_, from, length + 1);
            length_ = static_cast<int32_t>(length);
        } else {
            inline_[0] = 0;
            assignLong(from, length);
        }
    }
    orvo_string(const orvo_string& other);
    orvo_string(orvo_string&& other) noexcept;
    // The integer's text in the given base (2 to 36; anything else means 10), padded on the left to at
    // least `width` characters with `fill`; fill NUL pads with blanks. Fill '0' pads the digits alone to
    // at least `width` digits and a leading '-' comes on top. (7, '0', 3, 10) gives "007"; (1, 0, 0, 10)
    // gives "1"; (-1, '0', 3, 10) gives "-001"; (-1, 0, 3, 10) gives " -1". Digits above 9 are
    // lower-case letters; a width of 0 or less means no padding; INT32_MIN is written in full.
    orvo_string(int32_t value, char fill, int32_t width, int32_t base);
    virtual ~orvo_string() {
        if (!isInline()) {
            delete[] data_;
        }
    }

    orvo_string& operator=(const orvo_string& other) {
        if (this != &other) {
            assign(other.data_, other.length_);
        }
        return *this;
    }
    orvo_string& operator=(orvo_string&& other) noexcept;
    orvo_string& operator=(const char* text);
    orvo_string& operator+=(const orvo_string& other);
    orvo_string& operator+=(const char* text);

    // Read-only view of the contents, NUL-terminated, valid until the string is next changed or destroyed.
    const char* c_str() const { return data_; }
    int32_t length() const { return length_; }

    // Optional leading blanks (space, tab, CR, LF, VT, FF), optional sign, then decimal digits up to the
    // first other character. No digits gives 0; a value outside the 32-bit range saturates at
    // INT32_MIN/INT32_MAX.
    int32_t toInt() const;

    // A new string in which every occurrence of the lowest-numbered place marker still present (%1 to %9)
    // is replaced by the argument. With no marker left the text comes back unchanged. The inserted text is
    // not searched again, so a value holding "%2" stays as it is. A marker is '%' and one digit 1 to 9:
    // "%10" is marker %1 followed by '0', "%0" and a lone '%' are plain text. The integer form writes the
    // value as the integer constructor does. The result takes at most one block, made at its final length
    // (a number padded wider than kInlineCapacity takes one more, freed before arg returns).
    orvo_string arg(const orvo_string& value) const;
    orvo_string arg(const char* value) const;
    orvo_string arg(int32_t value, char fill = 0, int32_t width = 0, int32_t base = 10) const;

    // Replaces every `from` character by `to`, in place. Replacing by NUL is refused (it would cut the text
    // short while its length said otherwise); the string is then left unchanged.
    void replace(char from, char to);

    // Divides the text at the first `separator`: `left` gets what comes before it, `right` what comes after.
    // Without a separator, `left` is the whole text and `right` is empty. Returns the separator's position,
    // or -1 when there is none. Either output may be this string itself (s.split(',', s, rest) works);
    // when `left` and `right` are one object it ends up holding the right part. On std::bad_alloc
    // neither output is changed.
    int32_t split(char separator, orvo_string& left, orvo_string& right) const;

    // Exact, case-sensitive comparisons. The integer form is true only for the plain decimal text:
    // "1" == 1 and "-1" == -1, but "01", "+1" and " 1" are not 1.
    bool operator==(const char* text) const {
        const char* const other = text != nullptr ? text : "";
        const size_t length = std::strlen(other);
        return length == static_cast<size_t>(length_) && std::memcmp(data_, other, length) == 0;
    }
    bool operator==(const orvo_string& other) const;
    bool operator==(int32_t value) const;  // true when the text is the value's plain decimal form
    bool operator!=(const char* text) const { return !(*this == text); }
    bool operator!=(const orvo_string& other) const { return !(*this == other); }
    bool operator!=(int32_t value) const { return !(*this == value); }

    friend orvo_string operator+(const orvo_string& left, const orvo_string& right);
    friend orvo_string operator+(const orvo_string& left, const char* right);
    friend orvo_string operator+(const char* left, const orvo_string& right);

private:
    friend class orvo_stringlist;  // builds its entries and its joined text in place, one block each

    bool isInline() const { return data_ == inline_; }
    // The first `length` characters of `text` (which need not be NUL-terminated there).
    static orvo_string fromRange(const char* text, int32_t length);
    // Makes room for `length` characters and the NUL in a block of exactly that size. When a new block is
    // taken the contents are dropped; when it cannot be had the string is unchanged.
    void reserveFor(int32_t length) {
        if (length > capacity_) {
            takeBlockFor(length);
        }
    }
    // reserveFor() when the text does not fit: a new block of exactly that size, the contents dropped.
    void takeBlockFor(int32_t length);
    // Takes `block` (from new[], room for `capacity` characters and the NUL) in place of the current one.
    void adopt(char* block, int32_t capacity) noexcept;
    // Sets the length and writes the NUL; the characters must already be in place.
    void setLength(int32_t length) {
        length_ = length;
        data_[length] = 0;
    }
    void assign(const char* text, int32_t length);
    // assign() for a text of `length` characters that does not fit inline; refuses (as std::bad_alloc) a
    // text longer than a string can hold.
    void assignLong(const char* text, size_t length);
    void append(const char* text, int32_t length);
    orvo_string argText(const char* value, int32_t valueLength) const;

    char* data_;
    int32_t length_;
    int32_t capacity_;  // characters that fit in data_, not counting the NUL
    char inline_[kInlineCapacity + 1];
};
