// Fuzzes the layout reader and the host's building of the controls it declares. Every input is either
// a layout whose controls the host can build, or an InputError naming the file and line; a layout that
// reads has unique ids without '=' or quotes, and a list always has columns.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "control.h"
#include "fuzz_check.h"
#include "input_error.h"
#include "layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        Layout layout = parseLayout(text, "L.orvo_ui");
        std::set<std::string> ids;
        for (const ControlDecl& decl : layout.controls) {
            FUZZ_REQUIRE(ids.insert(decl.id).second);
            FUZZ_REQUIRE(decl.id.find_first_of("='") == std::string::npos);
            FUZZ_REQUIRE(decl.kind != ControlKind::List || !decl.columns.empty());
            std::string problem;
            Control control(decl, &problem);
            FUZZ_REQUIRE(control.id() == decl.id);
            FUZZ_REQUIRE(control.rows().size() <= text.size());
        }
    } catch (const InputError& error) {
        FUZZ_REQUIRE(std::string(error.what()).compare(0, 10, "L.orvo_ui:") == 0);
    }
    return 0;
}
