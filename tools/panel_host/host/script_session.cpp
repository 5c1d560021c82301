#include "script_session.h"

#include "call_guard.h"

// The script's table as the host calls it, entry by entry, declared here so that every call goes
// through the script's own table. The contract's class could not serve: on Windows its entry 0 is final,
// so a call through it would run the contract's own code instead of the script's; elsewhere its
// destructor may not throw, so an exception a script lets out of its destructor would end the process on
// the spot instead of reaching the host's handler. The class has external linkage on purpose: no class
// here derives from it, and a compiler that could see every class that does would take a call through
// it for unreachable.
class ScriptEntries {
public:
#if defined(_WIN32)
    virtual void* scalarDeletingDestructor(uint32_t flags) = 0;
#else
    virtual ~ScriptEntries() noexcept(false) = default;
#endif
    virtual char* notify(void* data, int32_t kind) = 0;
};

namespace {

// The call goes through a table the object was not built with, which the vptr check would take for a
// fault; the entries are the same ones.
#if defined(__clang__) || defined(__GNUC__)
__attribute__((no_sanitize("vptr")))
#endif
void destroy(orvo_client_callback* script) {
#if defined(_WIN32)
    // As the host deletes it: through entry 0 of its table, the scalar deleting destructor.
    reinterpret_cast<ScriptEntries*>(script)->scalarDeletingDestructor(orvo_msvc_free_memory);
#else
    delete reinterpret_cast<ScriptEntries*>(script);
#endif
}

}  // namespace

ScriptSession::ScriptSession(const PanelLibrary& library, EmulatedHost& host, HostLog& log)
    : library_(library), host_(host), log_(log) {
    host_.setDebugCapture(&capture_);
}

ScriptSession::~ScriptSession() {
    stop();
    host_.setDebugCapture(nullptr);
}

void ScriptSession::beginCall(const std::string& call, const std::string& event) {
    log_.sync();
    host_.beginCall(event);
    call_guard::enter(call);
    capture_.claim();
}

void ScriptSession::endCall() {
    call_guard::leave();
    host_.endOfCall();
}

bool ScriptSession::start(const std::string& basePath) {
    beginCall("the export", "the export");
    try {
        script_ = library_.loadScript()(host_.door(), basePath.c_str());
    } catch (...) {
        script_ = nullptr;
        endCall();
        host_log::error(log_, Fault::ExportThrew, "the export threw an exception into the host");
        return false;
    }
    endCall();
    if (script_ == nullptr) {
        host_log::error(log_, Fault::NoScript, "the export returned no script object");
        return false;
    }
    return true;
}

char* ScriptSession::notify(void* data, int32_t kind, const std::string& event) {
    if (script_ == nullptr) {
        return nullptr;
    }
    char* result = nullptr;
    const std::string call = "notify kind " + std::to_string(kind);
    beginCall(call, event.empty() ? call : event);
    try {
        result = script_->notify(data, kind);
    } catch (...) {
        endCall();
        host_log::error(log_, Fault::NotifyThrew, "notify threw an exception into the host");
        return nullptr;
    }
    endCall();
    return host_.returned(kind, result) ? result : nullptr;
}

void ScriptSession::stop() {
    if (script_ == nullptr) {
        return;
    }
    orvo_client_callback* script = script_;
    script_ = nullptr;
    host_.dropPendingRevertives();
    beginCall("the destructor", "the destructor");
    try {
        destroy(script);
    } catch (...) {
        endCall();
        host_log::error(log_, Fault::DestructorThrew,
                        "the script's destructor threw an exception into the host");
        return;
    }
    endCall();
    host_.scriptDestroyed();
}
