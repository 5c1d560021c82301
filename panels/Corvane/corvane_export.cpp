// The library's only export: the host calls it once per panel to create a Corvane script object.
//
// The host owns the object it gets and deletes it through orvo_client_callback. Nothing thrown inside
// ever reaches the host: an allocation or construction failure answers null, and a debug line says why.
#include "Corvane.h"
#include "orvo_debug_failure.h"
#include "orvo_panel_export.h"

extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host,
                                                                           const char* basePath) {
    try {
        return new Corvane(host, basePath);
    } catch (...) {
        orvo_debug_failure("load_orvo_client_script: could not create the script: ");
        return nullptr;
    }
}
