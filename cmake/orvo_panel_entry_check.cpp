// Linked into every panel module by orvo_add_panel. It takes the address of the entry point as
// orvo_panel_export.h declares it, so a module whose entry point is missing, or was defined with another
// signature or without C linkage, fails to link instead of loading as a library with no export. The
// pointer is hidden like the rest of the module and never used.
#include "orvo_panel_export.h"

extern const orvo_load_script_function orvo_panel_entry_point;
const orvo_load_script_function orvo_panel_entry_point = &load_orvo_client_script;
