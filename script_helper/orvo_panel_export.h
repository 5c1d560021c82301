// ORVO_PANEL_EXPORT: marks a panel library's one entry point, load_orvo_client_script, as exported.
//
// A panel module is built with hidden visibility, so this is the only symbol the host can find in it.
// Use it on the definition, with C linkage so the name stays undecorated:
//
//   extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host,
//                                                                              const char* basePath);
//
// The entry point creates one script object per call and returns null (never throws) when it cannot.
#pragma once

#include "orvo_client_callback.h"
#include "orvo_host.h"

#if defined(_WIN32)
#define ORVO_PANEL_EXPORT __declspec(dllexport)
#else
#define ORVO_PANEL_EXPORT __attribute__((visibility("default")))
#endif

// The signature the host resolves by name.
using orvo_load_script_function = orvo_client_callback* (*)(orvo_host* host, const char* basePath);
