#include "msvc_host.h"

#include <cstddef>
#include <type_traits>

static_assert(std::is_standard_layout_v<MsvcShapedHost>, "laid out as written");
static_assert(offsetof(MsvcShapedHost, table) == 0, "the table pointer starts the object");

namespace {

// The two entries of MsvcShapedHost's table.
void* ORVO_THISCALL hostDeletingDestructor(void* self, uint32_t) {
    ++static_cast<MsvcShapedHost*>(self)->destructorCalls;
    return self;
}

intptr_t ORVO_THISCALL hostRequest(void* self, void* data, int32_t kind) {
    return static_cast<MsvcShapedHost*>(self)->recorder->request(data, kind);
}

// Typed first, so a signature that does not match the Microsoft entry fails to compile.
const orvo_msvc_deleting_destructor_slot kHostDestructorEntry = &hostDeletingDestructor;
const orvo_msvc_request_slot kHostRequestEntry = &hostRequest;
const void* const kHostTable[] = {
    reinterpret_cast<const void*>(kHostDestructorEntry),
    reinterpret_cast<const void*>(kHostRequestEntry),
};

// Entry `index` of the table whose pointer starts the object.
const void* tableEntry(const void* object, int index) {
    const void* const* table = *static_cast<const void* const* const*>(object);
    return table[index];
}

}  // namespace

MsvcShapedHost::MsvcShapedHost(RecordingHost& recorderToUse) : table(kHostTable), recorder(&recorderToUse) {}

char* hostNotify(orvo_client_callback* script, void* data, int32_t kind) {
    auto notify = reinterpret_cast<orvo_msvc_notify_slot>(tableEntry(script, 1));
    return notify(script, data, kind);
}

void* hostDelete(orvo_client_callback* script, uint32_t flags) {
    auto destroy = reinterpret_cast<orvo_msvc_deleting_destructor_slot>(tableEntry(script, 0));
    return destroy(script, flags);
}
