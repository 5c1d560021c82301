// The scenario language written: a Step back as the line parseStep() reads to the same step.
//
// scenarioLine() writes any step; it gives nothing for a step no line can hold (a text with a line
// break or a NUL, a control or instance name with a blank where the language reads one word). The
// validator writes its shrunk storms with it and the workbench its saved sessions, so what they write
// replays exactly as it was played. Neither function keeps anything.
#pragma once

#include <optional>
#include <string>

#include "scenario.h"

// `text` as the rest of a scenario line, so the reader gets it back unchanged: wrapped in double quotes
// when it is empty, has blanks at either end, or is itself wrapped in double quotes.
std::string scenarioText(const std::string& text);

// The line for `step`, without a line end; nullopt when no line can hold it.
std::optional<std::string> scenarioLine(const Step& step);
