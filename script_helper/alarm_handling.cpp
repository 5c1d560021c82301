// The alarm facility of orvo_script_helper: with it on, the helper takes presses on "ActionAll" and
// "AckAll" itself and applies a level to every alarm control ("alm_...") of panel 1.
#include "orvo_script_helper.h"

namespace {

constexpr int32_t kNoLevel = -1;
constexpr int32_t kAcknowledge = 4;

// The values an acknowledge leaves alone; any other value read back is set to the acknowledged level.
bool keptOnAcknowledge(int32_t value) {
    return value == 0 || (value >= 2 && value <= 5);
}

}  // namespace

bool orvo_script_helper::interceptAlarmButton(const ButtonEvent& event) {
    if (alarmHandling == 0) {
        return false;
    }
    // The panel id is not looked at: the two buttons act on panel 1 from wherever they are pressed.
    orvo_string control = event.controlId();
    if (control == "ActionAll" && event.messageCommand() == "alarm") {
        alarmAction(event.messageValue());
        return true;
    }
    if (control == "AckAll") {
        alarmAction(orvo_string(kAcknowledge, 0, 0, 10));
        return true;
    }
    return false;
}

void orvo_script_helper::alarmAction(const orvo_string& levelText) {
    int32_t level = kNoLevel;
    if (levelText == "ack") {
        level = kAcknowledge;
    } else if (levelText.length() == 1) {
        level = levelText.toInt();
    }

    const orvo_string panel("1");
    const orvo_string alarmParam("alarm");
    const orvo_string valueParam("value");
    // The list is asked for afresh on every call: the host decides which controls are alarm controls.
    orvo_stringlist controls = controlIdList(panel, "alm_");
    for (const orvo_string& control : controls) {
        textPut(alarmParam, levelText, panel, control);
        if (level == kAcknowledge) {
            orvo_string current;
            textGet(valueParam, panel, control, current);
            if (!keptOnAcknowledge(current.toInt())) {
                textPut(valueParam, orvo_string(kAcknowledge, 0, 0, 10), panel, control);
            }
        } else if (level != kNoLevel) {
            textPut(valueParam, orvo_string(level, 0, 0, 10), panel, control);
        }
    }
}
