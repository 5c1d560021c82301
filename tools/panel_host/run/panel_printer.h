// The panel drawn as text: what an operator would see on each loaded panel.
//
// For a list, every row with its cells under the column titles, the selected row marked with '>';
// for a picker, its choice; for every control, whether it is enabled. Reads the panels only.
#pragma once

#include <string>

#include "panels.h"

std::string drawPanels(const Panels& panels);
