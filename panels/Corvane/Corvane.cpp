// Start-up and shutdown of the mixer input assignment panel.
#include "Corvane.h"

#include <cstdio>

Corvane::Corvane(orvo_host* host, const char* basePath)
    : orvo_script_helper(host, basePath),
      myParam(),
      instance(),
      tallyDevice(0),
      routerDevice(0),
      selectedRow(0),
      selectedDest(0),
      rowChosen(false),
      destChosen(false),
      storedDest{},
      editedDest{},
      slotSeen{} {
    panelInit(PANEL, LAYOUT_FILE, "");
    controlDisable(PANEL, SELECT_BUTTON);
    controlDisable(PANEL, DESELECT_BUTTON);
    controlDisable(PANEL, NETWORK_BUTTON);
    rowChosen = false;
    destChosen = false;

    // One list row per mixer input; the row's first cell shows the input, the data cells come later.
    for (int32_t row = 1; row <= ROW_COUNT; ++row) {
        char rowText[16];
        std::snprintf(rowText, sizeof rowText, "%d;;", static_cast<int>(row + FIRST_MIXER_INPUT - 1));
        textPut("add", rowText, PANEL, MIXER_LIST);
    }

    if (!instanceLookup(ROUTER_INSTANCE, &routerDevice, nullptr)) {
        debug("Corvane:: Failed to find SDI driver ID in Instances.xml\n");
    }
    if (!instanceLookup(TALLY_INSTANCE, &tallyDevice, nullptr)) {
        debug("Corvane:: Failed to find tally infodriver ID in Instances.xml\n");
    }

    panelShow(PANEL, LAYOUT_FILE, "");
    // A missing information driver still gets the registration and polls, on device 0.
    infoRegister(tallyDevice, FIRST_SLOT, LAST_SLOT, false);
    infoPoll(tallyDevice, FIRST_SLOT, LAST_SLOT);
    timerStart(POLL_TIMER, POLL_INTERVAL);
}

Corvane::~Corvane() {
    // The poll timer is left to the host: it belongs to the host's timers, not to this object. The
    // unregistration is formatted on the stack and cannot fail.
    if (tallyDevice != 0) {
        infoUnregister(tallyDevice);
    }
}
