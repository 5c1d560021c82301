// The operator's actions: choosing a row and a destination, assigning and clearing, restoring the
// stored table and writing the edited rows to the tally information driver.
#include "Corvane.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A whole number as toInt() reads one: blanks around it, an optional sign, at least one digit, nothing
// else. An empty text, "3x" or "1.5" is none.
bool isWholeNumber(const orvo_string& text) {
    const char* at = text.c_str();
    while (isBlank(*at)) {
        ++at;
    }
    if (*at == '+' || *at == '-') {
        ++at;
    }
    if (!isDigit(*at)) {
        return false;
    }
    while (isDigit(*at)) {
        ++at;
    }
    while (isBlank(*at)) {
        ++at;
    }
    return *at == '\0';
}

// The list answers "selectedindex" with the 0-based index of its selected row, or -1 for none. An answer
// is taken when it is a whole number and names one of the list's rows or -1; anything else (an empty
// answer from a failed read, "3x", a number beyond the list) yields false, so no row number the list did
// not report can reach the per-row tables.
bool readListIndex(const orvo_string& text, int32_t rowCount, int32_t* index) {
    if (!isWholeNumber(text)) {
        return false;
    }
    // toInt() saturates, so a long run of digits lands outside the list too.
    const int32_t value = text.toInt();
    if (value < -1 || value >= rowCount) {
        return false;
    }
    *index = value;
    return true;
}

// The picker's value is a destination number: a whole number of 0 or more (a long run of digits
// saturates at the largest). Anything else (negative, empty, "12x") yields false, so no number the
// router cannot have is drawn or written to the information driver.
bool readDestChoice(const orvo_string& text, int32_t* dest) {
    if (!isWholeNumber(text)) {
        return false;
    }
    const int32_t value = text.toInt();
    if (value < 0) {
        return false;
    }
    *dest = value;
    return true;
}

}  // namespace

void Corvane::onButton(ButtonEvent* event) {
    if (event->panelId() != PANEL_NUMBER) {
        return;
    }
    const orvo_string control = event->controlId();
    if (control == MIXER_LIST) {
        chooseRow();
    } else if (control == DEST_PICKER) {
        chooseDest(event->messageValue());
    } else if (control == CLEAR_BUTTON) {
        resetSelection();
    } else if (control == SELECT_BUTTON) {
        assignChosenDest();
    } else if (control == DESELECT_BUTTON) {
        clearChosenRow();
    } else if (control == NETWORK_BUTTON) {
        writeEditedRows();
    } else if (control == RESTORE_BUTTON) {
        restoreStoredRows();
    }
}

void Corvane::chooseRow() {
    orvo_string answer;
    textGet("selectedindex", PANEL, MIXER_LIST, answer);
    int32_t index = 0;
    if (!readListIndex(answer, ROW_COUNT, &index)) {
        return;  // the choice is ignored: the panel keeps the row and state it had
    }
    selectedRow = (index == -1) ? 0 : index + 1;
    if (!rowChosen) {
        controlEnable(PANEL, DESELECT_BUTTON);
        rowChosen = true;
    }
    if (destChosen) {
        controlEnable(PANEL, SELECT_BUTTON);
    }
}

void Corvane::chooseDest(const orvo_string& value) {
    if (!readDestChoice(value, &selectedDest)) {
        return;  // like a bad row answer: nothing changes and nothing is sent
    }
    if (!destChosen && rowChosen) {
        controlEnable(PANEL, SELECT_BUTTON);
    }
    destChosen = true;
    // Every pick made while a row is chosen enables Select again, so the first pick after a row sends
    // the enable twice.
    if (rowChosen) {
        controlEnable(PANEL, SELECT_BUTTON);
    }
}

void Corvane::assignChosenDest() {
    editedDest[selectedRow] = selectedDest;
    renderRow(selectedRow, selectedDest);
    resetSelection();
    updateNetworkButton();
}

void Corvane::clearChosenRow() {
    editedDest[selectedRow] = 0;
    renderRow(selectedRow, 0);
    resetSelection();
    updateNetworkButton();
}

void Corvane::writeEditedRows() {
    // Only the information driver's revertives change the stored table, so the written rows keep their
    // change marks until the driver reports them back.
    for (int32_t row = 1; row <= ROW_COUNT; ++row) {
        if (editedDest[row] != storedDest[row]) {
            infoWrite(tallyDevice, orvo_string(editedDest[row], 0, 0, 10), FIRST_SLOT + row - 1, true);
        }
    }
    resetSelection();
    // Network switches itself off; the next assignment, restore or completed poll re-evaluates it.
    controlDisable(PANEL, NETWORK_BUTTON);
}

void Corvane::restoreStoredRows() {
    for (int32_t row = 1; row <= ROW_COUNT; ++row) {
        editedDest[row] = storedDest[row];
        renderRow(row, storedDest[row]);
    }
    resetSelection();
    updateNetworkButton();
}

void Corvane::resetSelection() {
    textPut("clearSelection", PANEL, MIXER_LIST);
    textPut("index=-1", PANEL, DEST_PICKER);
    controlDisable(PANEL, SELECT_BUTTON);
    controlDisable(PANEL, DESELECT_BUTTON);
    // selectedRow and selectedDest keep their values; only the choice is forgotten.
    rowChosen = false;
    destChosen = false;
}
