#include "orvo_panel_export.h"

#include <cstdio>

#include "debug_output.h"

void orvo_report_script_creation_failure(const char* why) noexcept {
    // A fixed buffer: the failure being reported may well be an allocation failure. A very long reason
    // is cut short rather than lost.
    char line[512];
    std::snprintf(line, sizeof line, "load_orvo_client_script: could not create the script: %s\n",
                  why != nullptr ? why : "unknown error");
    orvo_debug_output(line);
}
