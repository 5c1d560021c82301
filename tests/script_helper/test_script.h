// TestScript: the smallest panel script, for testing the helper base. It records every handler call,
// answers parent requests with whatever the test sets, can be told to fail inside a handler (with a
// std::exception or with anything else), and lets a
// test switch the alarm facility on.
#pragma once

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "orvo_script_helper.h"

class TestScript : public orvo_script_helper {
public:
    TestScript(orvo_host* host, const char* path) : orvo_script_helper(host, path) {}

    void onButton(ButtonEvent* event) override {
        calls.push_back("button " + std::string(event->panelId().c_str()) + " " + event->controlId().c_str() +
                        " " + event->messageCommand().c_str() + "=" + event->messageValue().c_str());
        failIfAsked();
    }
    int32_t onRevertive(RevertiveEvent* event) override {
        calls.push_back("revertive " + std::to_string(event->deviceNumber()) + " " +
                        std::to_string(event->slotIndex()) + " " + event->slotText().c_str());
        failIfAsked();
        return 0;
    }
    orvo_string onParentRequest(ParentRequest* request) override {
        calls.push_back("parent " + std::string(request->requestCommand().c_str()) + "=" +
                        request->requestValue().c_str());
        failIfAsked();
        return orvo_string(answer.c_str());
    }
    void onIntegerEvent(int32_t* value) override { calls.push_back("integer " + std::to_string(*value)); }
    void onTimer(int32_t timerId) override {
        calls.push_back("timer " + std::to_string(timerId));
        failIfAsked();
    }
    void onRecordEvent(RecordEvent* event) override {
        calls.push_back(event->record() != nullptr ? "record" : "record null");
    }

    using orvo_script_helper::setAlarmHandling;
    const orvo_string& path() const { return basePath; }

    std::vector<std::string> calls;
    std::string answer;
    bool failInHandler = false;   // the handlers throw std::bad_alloc
    bool failWithNonStd = false;  // ... or, with this set too, an exception that is no std::exception

private:
    void failIfAsked() {
        if (failInHandler && failWithNonStd) {
            throw 42;
        }
        if (failInHandler) {
            throw std::bad_alloc();
        }
    }
};
