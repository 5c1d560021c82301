// Fuzzes the site reader, which takes a JSON file from the user before any run. Every input is either a
// complete site or an InputError naming the file; nothing else may come out, and a site that reads never
// carries a NUL in a text the host would hand on as a C text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "input_error.h"
#include "site.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        Site site = parseSite(text, "site.json", "/sites");
        FUZZ_REQUIRE(site.basePath.find('\0') == std::string::npos);
        for (const auto& instance : site.instances) {
            FUZZ_REQUIRE(instance.first.find('\0') == std::string::npos);
        }
    } catch (const InputError& error) {
        FUZZ_REQUIRE(std::string(error.what()).compare(0, 9, "site.json") == 0);
    }
    return 0;
}
