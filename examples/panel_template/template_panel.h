// TemplatePanel: the smallest panel script, to copy and grow into your own.
//
// It derives from orvo_script_helper, which turns the host's events into calls of the handlers below
// and gives the panel its command operations (panelInit, textPut, textGet, instanceLookup, infoPoll,
// timerStart, ...). The host owns the object and deletes it; the panel keeps everything it needs in its
// own fields. A handler must not throw at the host: the helper drops an event whose handler fails.
//
// How to write, build, test, run and debug a panel: the author's guide installed with the SDK,
// <prefix>/share/doc/orvo-panel-sdk/panel-authors.md.
#pragma once

#include "orvo_script_helper.h"

class TemplatePanel : public orvo_script_helper {
public:
    TemplatePanel(orvo_host* host, const char* basePath);
    ~TemplatePanel() override;

    void onButton(ButtonEvent* event) override;
    int32_t onRevertive(RevertiveEvent* event) override;
    void onTimer(int32_t timerId) override;
    orvo_string onParentRequest(ParentRequest* request) override;
};
