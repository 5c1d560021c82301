#include "script_session.h"

ScriptSession::ScriptSession(const PanelLibrary& library, EmulatedHost& host, Transcript& transcript)
    : library_(library), host_(host), transcript_(transcript) {
    host_.setDebugCapture(&capture_);
}

ScriptSession::~ScriptSession() {
    stop();
    host_.setDebugCapture(nullptr);
}

bool ScriptSession::start(const std::string& basePath) {
    capture_.begin();
    try {
        script_ = library_.loadScript()(&host_, basePath.c_str());
    } catch (...) {
        script_ = nullptr;
        capture_.end();
        transcript_.error("the export threw an exception into the host");
        return false;
    }
    capture_.end();
    host_.endOfCall();
    if (script_ == nullptr) {
        transcript_.error("the export returned no script object");
        return false;
    }
    return true;
}

char* ScriptSession::notify(void* data, int32_t kind) {
    if (script_ == nullptr) {
        return nullptr;
    }
    char* result = nullptr;
    capture_.begin();
    try {
        result = script_->notify(data, kind);
    } catch (...) {
        capture_.end();
        host_.endOfCall();
        transcript_.error("notify threw an exception into the host");
        return nullptr;
    }
    capture_.end();
    host_.endOfCall();
    return result;
}

void ScriptSession::stop() {
    if (script_ == nullptr) {
        return;
    }
    orvo_client_callback* script = script_;
    script_ = nullptr;
    host_.dropPendingRevertives();
    capture_.begin();
    try {
#if defined(_WIN32)
        // As the host deletes it: through entry 0 of its table, the scalar deleting destructor.
        script->scalarDeletingDestructor(orvo_msvc_free_memory);
#else
        delete script;
#endif
    } catch (...) {
        transcript_.error("the script's destructor threw an exception into the host");
    }
    capture_.end();
    host_.endOfCall();
    if (!host_.closed()) {
        transcript_.error("the script ended without sending AS");
    }
}
