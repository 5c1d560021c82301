// The entry point declared by hand, without the export header, returning the panel's own class and
// taking its arguments in the wrong order: the host would call it with a host where the path is.
#include "orvo_script_helper.h"

class WrongExportPanel : public orvo_script_helper {
public:
    WrongExportPanel(orvo_host* host, const char* basePath) : orvo_script_helper(host, basePath) {}
    void onButton(ButtonEvent*) override {}
    int32_t onRevertive(RevertiveEvent*) override { return 0; }
    orvo_string onParentRequest(ParentRequest*) override { return orvo_string(); }
    void onTimer(int32_t) override {}
};

extern "C" __attribute__((visibility("default"))) WrongExportPanel* load_orvo_client_script(
    const char* basePath, orvo_host* host) {
    return new WrongExportPanel(host, basePath);
}
