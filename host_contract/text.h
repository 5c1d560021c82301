// Small text helpers shared by the readers, the host model and the printer.
//
// All of them are pure functions over std::string: they own nothing and keep no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A whole decimal integer that fits in 32 bits: an optional '-' and digits, nothing else.
std::optional<int32_t> parseInt32(const std::string& text);

// The text without blanks and tabs at either end.
std::string trim(const std::string& text);

// The text split at runs of blanks and tabs; no empty words.
std::vector<std::string> splitWords(const std::string& text);

// The text's lines, without their line ends; a last line without one counts too, an empty text has none.
std::vector<std::string> linesOf(const std::string& text);

// The text split at every `separator`; "a;;" gives "a", "", "".
std::vector<std::string> splitAt(const std::string& text, char separator);

// The text in double quotes, with newline, tab, '"', '\\' and other control characters escaped, so the
// transcript shows exactly what crossed the boundary.
std::string quotedText(const std::string& text);

// The text quotedText() wrote at the start of `quoted` (from its opening '"' to its closing one), and in
// `end` how many bytes of `quoted` that took; nullopt when it does not start with such a text.
std::optional<std::string> unquotedText(const std::string& quoted, size_t& end);

// The text as it is, but with line feed, carriage return, tab and other control characters written as
// \n, \r, \t or \xNN, so it stays on one line of the transcript.
std::string escapedControls(const std::string& text);

// quotedText() that also writes every byte outside printable ASCII as \xNN: for a word the reader did
// not know, where an invisible or look-alike byte is the likely cause.
std::string quotedBytes(const std::string& text);

// Why `text` is not a whole number that fits in 32 bits ("is not a whole number", "is out of range
// (...)"), or "" when it is one.
std::string int32Problem(const std::string& text);

// True when `text` begins with `prefix`.
bool startsWith(const std::string& text, const std::string& prefix);
