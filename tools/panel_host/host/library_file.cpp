#include "library_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>

#if defined(__has_include)
#if __has_include(<elf.h>)
#include <elf.h>
#define PANEL_HOST_HAS_ELF 1
#endif
#endif

#ifdef PANEL_HOST_HAS_ELF

namespace {

template <typename Header, typename ProgramHeader>
std::string check(std::ifstream& in, uint64_t size) {
    Header header{};
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(&header), sizeof header)) {
        return "it is cut short: " + std::to_string(size) + " bytes, not even its ELF header";
    }
    if (header.e_type != ET_DYN) {
        return "it is not a shared library (ELF type " + std::to_string(header.e_type) + ")";
    }
    uint64_t needed =
        std::max<uint64_t>(sizeof header, header.e_phoff + uint64_t{header.e_phnum} * header.e_phentsize);
    if (header.e_shoff != 0) {
        needed = std::max<uint64_t>(needed, header.e_shoff + uint64_t{header.e_shnum} * header.e_shentsize);
    }
    if (needed <= size && header.e_phentsize == sizeof(ProgramHeader)) {
        for (unsigned i = 0; i < header.e_phnum; ++i) {
            ProgramHeader part{};
            in.seekg(static_cast<std::streamoff>(header.e_phoff + uint64_t{i} * sizeof part));
            if (!in.read(reinterpret_cast<char*>(&part), sizeof part)) {
                break;
            }
            needed = std::max<uint64_t>(needed, part.p_offset + part.p_filesz);
        }
    }
    if (needed > size) {
        return "it is cut short: " + std::to_string(size) + " bytes, where its headers describe " +
               std::to_string(needed);
    }
    return "";
}

}  // namespace

std::string libraryFileProblem(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return "";  // the loader says why it cannot be opened
    }
    uint64_t size = static_cast<uint64_t>(in.tellg());
    if (size == 0) {
        return "it is empty";
    }
    unsigned char ident[EI_NIDENT] = {};
    in.seekg(0);
    in.read(reinterpret_cast<char*>(ident), sizeof ident);
    if (static_cast<uint64_t>(in.gcount()) < sizeof ident) {
        return std::memcmp(ident, ELFMAG, std::min<size_t>(SELFMAG, static_cast<size_t>(in.gcount()))) == 0
                   ? "it is cut short: " + std::to_string(size) + " bytes, not even its ELF header"
                   : "it is not a shared library (" + std::to_string(size) + " bytes, no ELF header)";
    }
    if (std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        return "it is not a shared library (no ELF header)";
    }
    in.clear();
    if (ident[EI_CLASS] == ELFCLASS64) {
        return check<Elf64_Ehdr, Elf64_Phdr>(in, size);
    }
    if (ident[EI_CLASS] == ELFCLASS32) {
        return check<Elf32_Ehdr, Elf32_Phdr>(in, size);
    }
    return "it is not a shared library (an unknown ELF class)";
}

#else

std::string libraryFileProblem(const std::string&) {
    return "";
}

#endif
