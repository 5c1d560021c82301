// A panel library whose script throws from its destructor. It lays out its own table instead of using
// the contract's class, whose destructor may not throw, as a script built elsewhere may well do.
#include <cstdint>
#include <stdexcept>

#include "orvo_event_kind.h"
#include "orvo_host.h"
#include "orvo_panel_export.h"

namespace {

char closing[] = "AS";

class ThrowingPanel {
public:
    explicit ThrowingPanel(orvo_host* host) : host_(host) {}

#if defined(_WIN32)
    // Entry 0, where the host deletes a script on Windows.
    virtual void* scalarDeletingDestructor(uint32_t) {
        host_->request(closing, orvo_request_command);
        throw std::runtime_error("from the destructor");
    }
#else
    virtual ~ThrowingPanel() noexcept(false) {
        host_->request(closing, orvo_request_command);
        throw std::runtime_error("from the destructor");
    }
#endif
    virtual char* notify(void*, int32_t) {
        return nullptr;
    }

private:
    orvo_host* host_;
};

}  // namespace

// The host sees only the table, which has the contract's slots in the contract's order.
extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host, const char*) {
    return reinterpret_cast<orvo_client_callback*>(new ThrowingPanel(host));
}
