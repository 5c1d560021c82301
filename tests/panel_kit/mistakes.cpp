// A panel with one of the mistakes orvo_add_panel must stop at build time, chosen by MISTAKE:
//   1  the entry point defined with C linkage but another signature
//   2  the entry point defined without C linkage (and so with another name)
//   3  onIntegerEvent(int32_t) in place of onIntegerEvent(int32_t*): a handler the helper never calls
#include "orvo_panel_export.h"
#include "orvo_script_helper.h"

class MistakenPanel : public orvo_script_helper {
public:
    MistakenPanel(orvo_host* host, const char* basePath) : orvo_script_helper(host, basePath) {}
    void onButton(ButtonEvent*) override {}
    int32_t onRevertive(RevertiveEvent*) override { return 0; }
    orvo_string onParentRequest(ParentRequest*) override { return orvo_string(); }
    void onTimer(int32_t) override {}
#if MISTAKE == 3
    void onIntegerEvent(int32_t value) {
        lastValue = value;
    }
    int32_t lastValue = 0;
#endif
};

#if MISTAKE == 1
extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host) {
    return new MistakenPanel(host, "");
}
#elif MISTAKE == 2
ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host, char* basePath) {
    return new MistakenPanel(host, basePath);
}
#else
ORVO_DEFINE_PANEL(MistakenPanel)
#endif
