// hostState(): everything the workbench page draws, read from the runner between steps, as one JSON
// object: the loaded panels and their controls, the devices of the site (instance names, information
// driver slots, router names), the clock and its running timers, the last parent request's answer and
// the run's counts of failures and contract errors.
//
// It only reads the host model; the page gets nothing it could not see in the transcript and the panel
// drawing. The object's shape is the page's business and is described in workbench.js.
#pragma once

#include <nlohmann/json.hpp>

#include "runner.h"
#include "site.h"
#include "transcript.h"

nlohmann::json hostState(const Runner& runner, const Site& site);

// One line of JSON text. A script's texts are bytes, not always UTF-8; what is not is replaced, never
// refused.
std::string jsonText(const nlohmann::json& value);
