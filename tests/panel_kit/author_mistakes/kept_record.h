// A panel that keeps the record of one revertive and reads it when the next one comes.
#pragma once

#include <optional>

#include "orvo_script_helper.h"

class KeptRecordPanel : public orvo_script_helper {
public:
    KeptRecordPanel(orvo_host* host, const char* basePath) : orvo_script_helper(host, basePath) {}
    void onButton(ButtonEvent*) override {}
    orvo_string onParentRequest(ParentRequest*) override { return orvo_string(); }
    void onTimer(int32_t) override {}
    int32_t onRevertive(RevertiveEvent* event) override {
        if (last_) {
            debug(last_->slotText());
        }
        last_ = *event;
        return 0;
    }

private:
    std::optional<RevertiveEvent> last_;
};
