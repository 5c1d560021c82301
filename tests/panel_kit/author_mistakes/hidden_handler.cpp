// A handler that overrides nothing: the helper never calls it, so the build must stop here.
#include "orvo_script_helper.h"

class HiddenHandlerPanel : public orvo_script_helper {
public:
    HiddenHandlerPanel(orvo_host* host, const char* basePath) : orvo_script_helper(host, basePath) {}
    void onButton(ButtonEvent*) override {}
    int32_t onRevertive(RevertiveEvent*) override { return 0; }
    orvo_string onParentRequest(ParentRequest*) override { return orvo_string(); }
    void onTimer(int32_t) override {}
    void onIntegerEvent(int32_t value) { lastValue_ = value; }

private:
    int32_t lastValue_ = 0;
};

ORVO_DEFINE_PANEL(HiddenHandlerPanel)
