#include "panel_printer.h"

#include <algorithm>
#include <map>

#include "text.h"

namespace {

// A cell as drawn: what the script put there, with control characters escaped so that it stays on its
// line of the drawing.
std::string padded(const std::string& text, size_t width) {
    std::string out = escapedControls(text);
    out.resize(std::max(width, out.size()), ' ');
    return out;
}

// What the script set with TP beyond rows and cells ("text=ON"), on a line of its own under the control.
void drawScriptParams(const Control& control, std::string& out) {
    std::map<std::string, std::string> params = control.scriptParams();
    if (params.empty()) {
        return;
    }
    std::string line = "             set:";
    for (const auto& param : params) {
        line += " " + escapedControls(param.first) + "=" + escapedControls(param.second);
    }
    out += line + "\n";
}

void drawList(const Control& list, std::string& out) {
    const auto& columns = list.columns();
    std::vector<size_t> widths(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        widths[c] = columns[c].size();
        for (const auto& row : list.rows()) {
            widths[c] = std::max(widths[c], escapedControls(row[c]).size());
        }
    }
    std::string header = "      row";
    for (size_t c = 0; c < columns.size(); ++c) {
        header += "  " + padded(columns[c], widths[c]);
    }
    while (!header.empty() && header.back() == ' ') {
        header.pop_back();
    }
    out += header + "\n";
    for (size_t r = 0; r < list.rows().size(); ++r) {
        std::string number = std::to_string(r + 1);
        std::string line = static_cast<int32_t>(r) == list.selectedIndex() ? "    > " : "      ";
        line += std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') + number;
        for (size_t c = 0; c < columns.size(); ++c) {
            line += "  " + padded(list.rows()[r][c], widths[c]);
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out += line + "\n";
    }
    if (list.rows().empty()) {
        out += "      (no rows)\n";
    }
}

}  // namespace

std::string drawPanels(const Panels& panels) {
    if (panels.all().empty()) {
        return "--- no panel is loaded ---\n";
    }
    std::string out;
    for (const auto& entry : panels.all()) {
        const Panel& panel = entry.second;
        out += "--- panel " + escapedControls(panel.id);
        if (!panel.title.empty()) {
            out += " \"" + panel.title + "\"";
        }
        out += " from " + escapedControls(panel.file) + (panel.shown ? " (shown)" : " (loaded, not shown)") +
               " ---\n";
        for (const Control& control : panel.controls) {
            std::string state = control.enabled() ? "enabled" : "disabled";
            out +=
                "  " + padded(control.id() + ":", 10) + " " + controlKindName(control.kind()) + ", " + state;
            if (control.kind() == ControlKind::List) {
                int32_t selected = control.selectedIndex();
                out += selected < 0 ? ", no row selected"
                                    : ", row " + std::to_string(selected + 1) + " selected";
                out += "\n";
                drawScriptParams(control, out);
                drawList(control, out);
                continue;
            }
            if (control.kind() == ControlKind::Picker) {
                int32_t picked = control.pickedIndex();
                out += picked < 0 ? ", nothing chosen" : ", " + std::to_string(picked) + " chosen";
            }
            out += "\n";
            drawScriptParams(control, out);
        }
        out += "---\n";
    }
    return out;
}
