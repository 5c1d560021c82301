// libraryFileProblem(): whether a file is a whole shared library, read from its own headers, before the
// loader maps it. A library cut short (a build still writing it, a copy that stopped half-way) would be
// mapped beyond its end and take the process down at the first touch (SIGBUS) instead of failing to load.
//
// It reads the ELF header and the program headers only, and compares the end of every part they
// describe with the file's size. It says nothing about what is not ELF's to say: a file in another
// format (a Windows DLL) gets "" and is left to the loader. It owns nothing and changes nothing.
#pragma once

#include <string>

// "" when the file looks whole, otherwise why not, in a few words ("it is empty", "it is cut short: ...").
std::string libraryFileProblem(const std::string& path);
