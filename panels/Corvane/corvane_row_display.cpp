// The row display of the Mixer list and the state of the Network button.
#include <cstdio>

#include "Corvane.h"

void Corvane::renderRow(int32_t row, int32_t dest) {
    // The list counts its rows from 0 in the cell names, so row 0 (no selection) writes cell.-1.x.
    const int listRow = static_cast<int>(row - 1);
    char cellName[32];

    std::snprintf(cellName, sizeof cellName, "cell.%d.1", listRow);
    textPut(cellName, orvo_string(dest, '0', 3, 10), PANEL, MIXER_LIST);

    // Destination 0 means "none": it has no name, so the router is not asked.
    orvo_string name;
    if (dest != 0) {
        readName(routerDevice, ROUTER_NAME_DATABASE, dest, name);
    }
    // The router's names use '|' where the panel shows a space.
    name.replace('|', ' ');
    std::snprintf(cellName, sizeof cellName, "cell.%d.2", listRow);
    textPut(cellName, name, PANEL, MIXER_LIST);

    std::snprintf(cellName, sizeof cellName, "cell.%d.3", listRow);
    textPut(cellName, editedDest[row] == storedDest[row] ? "" : "*", PANEL, MIXER_LIST);
}

void Corvane::updateNetworkButton() {
    // Entry 0 counts too: an edit made while the list reported no selection keeps Network enabled.
    bool anyEdited = false;
    for (int32_t row = 0; row <= ROW_COUNT; ++row) {
        if (editedDest[row] != storedDest[row]) {
            anyEdited = true;
        }
    }
    if (anyEdited) {
        controlEnable(PANEL, NETWORK_BUTTON);
    } else {
        controlDisable(PANEL, NETWORK_BUTTON);
    }
}
