#include "template_panel.h"

TemplatePanel::TemplatePanel(orvo_host* host, const char* basePath) : orvo_script_helper(host, basePath) {
    // A real panel loads its layout, sets up its controls, resolves its devices by instance name
    // (instanceLookup), registers for and polls the slots it shows (infoRegister, infoPoll) and starts
    // any timer it needs (timerStart), then shows the layout.
    panelInit("1", "Template.orvo_ui", "");
    panelShow("1", "Template.orvo_ui", "");
}

TemplatePanel::~TemplatePanel() {
    // A real panel unregisters from the devices it registered with (infoUnregister). The helper base
    // sends the closing command after this.
}

void TemplatePanel::onButton(ButtonEvent* event) {
    // A real panel looks at event->panelId() and event->controlId() and acts on the press, reading the
    // control's message with event->messageCommand() / event->messageValue().
    (void)event;
}

int32_t TemplatePanel::onRevertive(RevertiveEvent* event) {
    // A real panel takes the slot's text (event->slotText()) of the devices it registered with
    // (event->deviceNumber(), event->slotIndex()) into its model and redraws what shows it.
    (void)event;
    return 0;
}

void TemplatePanel::onTimer(int32_t timerId) {
    // A real panel does its periodic work for the timers it started, and stops any timer it does not
    // know (timerStop).
    (void)timerId;
}

orvo_string TemplatePanel::onParentRequest(ParentRequest* request) {
    // A real panel answers the host's parameter requests (request->requestCommand(), ->requestValue());
    // an empty answer reaches the host as no text.
    (void)request;
    return orvo_string();
}
