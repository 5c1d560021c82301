// The tally information driver's revertives, which are the only source of the stored table, and the
// poll timer that asks for the slots again until each has answered once.
#include "Corvane.h"

int32_t Corvane::onRevertive(RevertiveEvent* event) {
    if (event->deviceNumber() != tallyDevice) {
        return 0;
    }
    const int32_t slot = event->slotIndex();
    if (slot < FIRST_SLOT || slot > LAST_SLOT) {
        return 0;
    }
    const int32_t value = event->slotText().toInt();
    const int32_t row = slot - FIRST_SLOT + 1;

    // The driver's report wins over a pending edit of the row, which clears its change mark. Network is
    // left as it is: the next operator action or the completed poll brings it up to date.
    storedDest[row] = value;
    slotSeen[row] = true;
    editedDest[row] = value;
    renderRow(row, value);
    return 0;
}

void Corvane::onTimer(int32_t timerId) {
    if (timerId != POLL_TIMER) {
        timerStop(timerId);  // not a timer of this panel
        return;
    }
    int32_t rowsSeen = 0;
    for (int32_t row = 1; row <= ROW_COUNT; ++row) {
        if (slotSeen[row]) {
            ++rowsSeen;
        }
    }
    if (rowsSeen == ROW_COUNT) {
        timerStop(POLL_TIMER);
        updateNetworkButton();
        return;
    }
    // No limit on repeats: a silent slot keeps the poll going for the life of the panel.
    debug("Corvane: Repeating poll of tally infodriver.\n");
    infoPoll(tallyDevice, FIRST_SLOT, LAST_SLOT);
}
