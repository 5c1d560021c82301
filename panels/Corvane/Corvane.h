// Corvane: the mixer input assignment panel.
//
// It edits one table: for each of the sixteen mixer inputs 25 to 40, the SDI router destination that
// feeds it. The table lives in slots 181 to 196 of the tally information driver, one slot per input, as
// the decimal text of the destination; a downstream application reads it there. The operator chooses a
// row and a destination, assigns or clears it, restores the stored table, and writes the changed rows
// with Network. Row r stands for mixer input r + 24 and slot r + 180.
//
// Ownership: the host owns this object (it is created by the library's export and deleted through
// orvo_client_callback); the host object is the host's. Everything the panel keeps lives in the object.
//
// What it never does: it never writes a stored destination from its own edits (only a revertive from
// the information driver does), never lets a row number the host reports reach the tables unless it is
// one of the list's rows, and never stops its poll timer on destruction (the host's timers outlive it).
#pragma once

#include <cstdint>

#include "orvo_script_helper.h"
#include "orvo_string.h"

class Corvane : public orvo_script_helper {
public:
    // Fixed names and numbers of the panel and the devices it talks to.
    static constexpr const char* PANEL = "1";  // every panel command names panel 1
    static constexpr int32_t PANEL_NUMBER = 1;
    static constexpr const char* LAYOUT_FILE = "Vessa2540.orvo_ui";
    static constexpr const char* MIXER_LIST = "Mixer";
    static constexpr const char* DEST_PICKER = "Dest";
    static constexpr const char* SELECT_BUTTON = "Select";
    static constexpr const char* DESELECT_BUTTON = "Deselect";
    static constexpr const char* CLEAR_BUTTON = "Clear";
    static constexpr const char* RESTORE_BUTTON = "Restore";
    static constexpr const char* NETWORK_BUTTON = "Network";
    static constexpr int32_t ROW_COUNT = 16;
    static constexpr int32_t FIRST_MIXER_INPUT = 25;  // the input of row 1
    static constexpr int32_t FIRST_SLOT = 181;        // the slot of row 1
    static constexpr int32_t LAST_SLOT = 196;         // the slot of row 16
    static constexpr const char* ROUTER_INSTANCE = "ZaD SDI Router";
    static constexpr const char* TALLY_INSTANCE = "DAZ Tally Infodriver";
    static constexpr int32_t ROUTER_NAME_DATABASE = 1;  // router database holding destination names
    static constexpr int32_t POLL_TIMER = 1;
    static constexpr int32_t POLL_INTERVAL = 1000;  // in the unit of the host's timers

    static_assert(LAST_SLOT - FIRST_SLOT + 1 == ROW_COUNT, "one slot per mixer row");

    // Loads and fills the layout, resolves the router and the tally information driver, shows the
    // layout, registers for and polls the sixteen slots and starts the poll timer. `host` may be null;
    // a null `basePath` reads as empty.
    Corvane(orvo_host* host, const char* basePath);
    // Unregisters from the tally information driver when it was found; the helper base then sends its
    // closing command.
    ~Corvane() override;

    // Operator actions on the Mixer list, the Dest picker and the five buttons of panel 1.
    void onButton(ButtonEvent* event) override;
    // Takes a reported slot 181 to 196 of the tally information driver into its row. Always 0.
    int32_t onRevertive(RevertiveEvent* event) override;
    // The poll timer re-polls until every slot has answered once, then stops; other timers are stopped.
    void onTimer(int32_t timerId) override;
    // The host sets myParam and instance, reads myParam back, and asks for the events and commands.
    orvo_string onParentRequest(ParentRequest* request) override;

private:
    // Writes the three data cells of list row `row` (1 to 16; 0 names the cells of no row): the
    // destination number, its name from the router, and "*" when the row's edit differs from its
    // stored value.
    void renderRow(int32_t row, int32_t dest);
    // Enables Network exactly when some edited destination differs from the stored one.
    void updateNetworkButton();
    // Clears both pickers, disables Select and Deselect, and forgets that a row or destination was chosen.
    void resetSelection();

    // The Mixer list was clicked: reads which row the list now shows as selected.
    void chooseRow();
    // A destination was picked in the Dest control.
    void chooseDest(const orvo_string& value);
    void assignChosenDest();   // Select
    void clearChosenRow();     // Deselect
    void writeEditedRows();    // Network
    void restoreStoredRows();  // Restore

    // Index 0 of the per-row tables belongs to no row; it changes only when Select or Deselect is
    // pressed while the list reports no selection.
    static constexpr int32_t TABLE_SIZE = ROW_COUNT + 1;

    orvo_string myParam;             // the panel parameter the host sets and reads back
    orvo_string instance;            // the instance name the host gives the panel
    int32_t tallyDevice;             // 0 when the lookup failed
    int32_t routerDevice;            // 0 when the lookup failed
    int32_t selectedRow;             // 1 to 16; 0 when the list reported no selection
    int32_t selectedDest;            // the destination last picked in Dest
    bool rowChosen;                  // a row has been chosen since the last reset
    bool destChosen;                 // a destination has been picked since the last reset
    int32_t storedDest[TABLE_SIZE];  // per row, as last reported by the information driver
    int32_t editedDest[TABLE_SIZE];  // per row, as edited on the panel
    bool slotSeen[TABLE_SIZE];       // per row, a revertive for its slot has arrived
};
