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

// The text split at every `separator`; "a;;" gives "a", "", "".
std::vector<std::string> splitAt(const std::string& text, char separator);

// The text in double quotes, with newline, tab, '"', '\\' and other control characters escaped, so the
// transcript shows exactly what crossed the boundary.
std::string quotedText(const std::string& text);

// True when `text` begins with `prefix`.
bool startsWith(const std::string& text, const std::string& prefix);
