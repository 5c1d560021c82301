// The scenario language as the recorder writes it: texts in the form the reader takes back unchanged.
//
// appendText() appends a free text as the rest of a step's line: as it is when it can be, in double
// quotes when it is empty or has blanks at either end, and in the escaped form \"...\" (the transcript's
// quoting after a backslash) when it holds a line break or another control character. appendQuoted()
// appends the transcript's quoting alone, for a recorded answer. Both only append to the caller's string.
#pragma once

#include <string>

void appendText(std::string& line, const char* text, size_t size);
void appendQuoted(std::string& line, const char* text, size_t size);
