// Corvane.so as the host opens it: dlopen, then the export load_orvo_client_script resolved by name.
//
// The module is opened once, on first use, and stays open for the rest of the program, so every panel a
// benchmark creates comes from the same loaded module. The scripts it creates belong to the caller, who
// deletes them through orvo_client_callback as the host does.
#pragma once

#include <string>

#include "orvo_panel_export.h"

// The module's export; null when the module or the export cannot be found, with the loader's reason in
// `why`.
orvo_load_script_function corvaneExport(std::string* why);
