// Panels: the panels the script has loaded (PI) and shown (PS), by panel id, with their controls.
//
// A panel is created from a layout file when PI or PS names one that exists and parses; until then the
// panel id has no controls and commands aimed at it are only noted. Panels own their controls; callers
// get references that stay valid until the panel is loaded again. Panels never read scenario steps and
// never call the script.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "control.h"

struct Panel {
    std::string id;
    std::string file;  // the layout file as the script named it
    std::string title;
    bool shown = false;
    std::vector<Control> controls;  // in layout order

    Control* find(const std::string& controlId);
};

class Panels {
public:
    // PI (show false) and PS (show true). `file` is the name the script sent, `path` where the host
    // looks for it. PI loads the layout afresh. PS shows the panel; it loads it afresh only when the
    // panel was not loaded from that file already, so what the script put into the controls before
    // showing stays. Returns "" on success, else why the layout was refused (the panel is then
    // unchanged): a missing file. A file that is there but cannot be read or declares what the host
    // cannot build is an InputError "file:line: ...".
    std::string load(const std::string& panelId, const std::string& file, const std::string& path, bool show);

    Panel* find(const std::string& panelId);
    const std::map<std::string, Panel>& all() const { return panels_; }

    // The first control of `kind` on any panel, in panel-id and layout order, or null.
    Control* firstOfKind(ControlKind kind, Panel** panel);
    // The control named `controlId` on any panel (the first panel that has one), or null.
    Control* findControl(const std::string& controlId, Panel** panel);

private:
    std::map<std::string, Panel> panels_;
};
