// The wrong DLLs the DLL checks must refuse, one per WRONG:
//   1  a panel that exports a second function
//   2  a panel that needs a MinGW runtime DLL beside it (an import from libgcc_s_dw2-1.dll)
//   3  a panel without a version block (the build leaves the resource out; the code is the plain panel)
//   4  the script interface's slots as __cdecl functions: notify and the scalar deleting destructor return
//      without removing their arguments, which a host calling __thiscall expects them to do
#include <cstdint>

#if WRONG == 4
// No helper here: two plain functions take the names of the helper's notify and entry 0, so the checks
// read their returns.
extern "C" {
__declspec(dllexport) void* load_orvo_client_script(void*, char*) {
    return nullptr;
}
char* notifySlot(void*, void*, int32_t) __asm__("__ZN18orvo_script_helper6notifyEPvi");
char* notifySlot(void*, void*, int32_t) {
    return nullptr;
}
void* deletingSlot(void*, uint32_t) __asm__("__ZN20orvo_client_callback24scalarDeletingDestructorEj");
void* deletingSlot(void*, uint32_t) {
    return nullptr;
}
}
#else
#include "orvo_panel_export.h"
#include "orvo_script_helper.h"

#if WRONG == 2
// A function of the MinGW runtime, taken from its DLL instead of linked in.
extern "C" __declspec(dllimport) int32_t __mulvsi3(int32_t, int32_t);
#endif

class WrongPanel : public orvo_script_helper {
public:
    WrongPanel(orvo_host* host, const char* basePath) : orvo_script_helper(host, basePath) {}
    void onButton(ButtonEvent*) override {}
    int32_t onRevertive(RevertiveEvent*) override { return 0; }
    orvo_string onParentRequest(ParentRequest*) override { return orvo_string(); }
    void onTimer(int32_t id) override {
#if WRONG == 2
        timerStart(id, __mulvsi3(id, 1000));
#else
        timerStart(id, 1000);
#endif
    }
};

ORVO_DEFINE_PANEL(WrongPanel)

#if WRONG == 1
extern "C" __declspec(dllexport) int32_t panelRevision() {
    return 2;
}
#endif
#endif
