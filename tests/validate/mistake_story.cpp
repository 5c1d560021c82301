// The kit's side of the authors' mistakes table: one ordinary unit test on the test kit, as an author
// would write it, played on the panel module named by ORVO_MISTAKE_PANEL (press A, press Go, a tick, the
// end). A panel that keeps the contract passes; each mistake panel must fail it, naming its rule.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "orvo_panel_testing.h"

TEST(MistakeStory, PressesTicksAndEndsWithinTheContract) {
    const char* module = std::getenv("ORVO_MISTAKE_PANEL");
    ASSERT_NE(module, nullptr) << "ORVO_MISTAKE_PANEL names the panel module";
    // Never closed: a static object of the module may still run at the end of the process.
    void* library = ::dlopen(module, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto entry = reinterpret_cast<orvo_load_script_function>(::dlsym(library, "load_orvo_client_script"));
    ASSERT_NE(entry, nullptr);

    TestedPanel panel;
    panel.host.answer("SD 'Router'", "3 0");
    ASSERT_TRUE(panel.createThroughExport(entry, ""));
    panel.button("1", "A", "pressed");
    panel.button("1", "Go", "pressed");
    panel.tick(1);
    panel.close();
    EXPECT_EQ(panel.host.notes(), std::vector<std::string>{});
}
