// A panel that keeps the contract in every event and has one deliberate fault in how it lives as a module,
// chosen by a FAULT_ definition: what the storms never reach, and only the module's, the lifecycle's and
// the resources' checks see.
//
//   FAULT_UNBOUND_SYMBOL     calls a function no library provides, on a path no event takes: it runs
//                            under a loader that binds lazily, and a plant's host binds every symbol at once
//   FAULT_NEWEST_CLOSES      keeps its hosts on a static list and closes through the newest, as if scripts
//                            were always destroyed in the reverse order of their creation
//   FAULT_KEPT_AFTER_CLOSE   allocates a 1 MiB table at creation that its destructor forgets
//   FAULT_ODD_KIND_THROWS    throws for an event kind it does not know
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "orvo_client_callback.h"
#include "orvo_event_kind.h"
#include "orvo_host.h"
#include "orvo_panel_export.h"

#if defined(FAULT_UNBOUND_SYMBOL)
extern "C" void orvo_site_extension_missing();
#endif

namespace {

#if defined(FAULT_NEWEST_CLOSES)
std::vector<orvo_host*> liveHosts;
#endif

class FaultyModule : public orvo_client_callback {
public:
    explicit FaultyModule(orvo_host* host) : host_(host) {
        if (host_ == nullptr) {
            return;
        }
#if defined(FAULT_NEWEST_CLOSES)
        liveHosts.push_back(host_);
#endif
#if defined(FAULT_KEPT_AFTER_CLOSE)
        table_ = new char[1024 * 1024];
        std::memset(table_, 1, 1024 * 1024);
#endif
        send("ET 1 100");
    }

    ~FaultyModule() override {
        if (host_ == nullptr) {
            return;
        }
#if defined(FAULT_NEWEST_CLOSES)
        orvo_host* newest = liveHosts.back();
        liveHosts.pop_back();
        newest->request(const_cast<char*>("AS"), orvo_request_command);
#else
        send("AS");
#endif
    }

    char* notify(void* data, int32_t kind) override {
        if (kind < orvo_event_revertive || kind > orvo_event_integer) {
#if defined(FAULT_ODD_KIND_THROWS)
            throw std::invalid_argument("an event of kind " + std::to_string(kind));
#endif
            return nullptr;
        }
#if defined(FAULT_UNBOUND_SYMBOL)
        if (kind == orvo_event_parent && data != nullptr && std::strcmp(static_cast<char*>(data), "-") == 0 &&
            host_ == nullptr) {
            orvo_site_extension_missing();
        }
#endif
        (void)data;
        return nullptr;
    }

private:
    void send(const char* command) {
        host_->request(const_cast<char*>(command), orvo_request_command);
    }

    orvo_host* host_;
#if defined(FAULT_KEPT_AFTER_CLOSE)
    char* table_ = nullptr;
#endif
};

}  // namespace

extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host, const char*) {
    return new FaultyModule(host);
}
