#include "panels.h"

#include <filesystem>

#include "input_error.h"

Control* Panel::find(const std::string& controlId) {
    for (Control& control : controls) {
        if (control.id() == controlId) {
            return &control;
        }
    }
    return nullptr;
}

std::string Panels::load(const std::string& panelId, const std::string& file, const std::string& path,
                         bool show) {
    // A missing layout is the script's business (it named it); one that is there but unreadable is a
    // bad input of the run.
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        return file + ": no such layout file";
    }
    Layout layout = readLayoutFile(path, file);
    std::vector<Control> controls;
    for (const ControlDecl& decl : layout.controls) {
        std::string problem;
        controls.emplace_back(decl, &problem);
        if (!problem.empty()) {
            // The host's note says what it would do at run time; in a layout it is simply wrong.
            const std::string ignored = "; ignored";
            if (problem.size() > ignored.size() &&
                problem.compare(problem.size() - ignored.size(), ignored.size(), ignored) == 0) {
                problem.resize(problem.size() - ignored.size());
            }
            throw InputError(file + ":" + std::to_string(decl.line) + ": " + problem);
        }
    }
    auto existing = panels_.find(panelId);
    if (show && existing != panels_.end() && existing->second.file == file) {
        existing->second.shown = true;
        return "";
    }
    Panel panel;
    panel.id = panelId;
    panel.file = file;
    panel.title = layout.title;
    panel.shown = show;
    panel.controls = std::move(controls);
    panels_[panelId] = std::move(panel);
    return "";
}

Panel* Panels::find(const std::string& panelId) {
    auto found = panels_.find(panelId);
    return found == panels_.end() ? nullptr : &found->second;
}

Control* Panels::firstOfKind(ControlKind kind, Panel** panel) {
    for (auto& entry : panels_) {
        for (Control& control : entry.second.controls) {
            if (control.kind() == kind) {
                *panel = &entry.second;
                return &control;
            }
        }
    }
    return nullptr;
}

Control* Panels::findControl(const std::string& controlId, Panel** panel) {
    for (auto& entry : panels_) {
        if (Control* control = entry.second.find(controlId)) {
            *panel = &entry.second;
            return control;
        }
    }
    return nullptr;
}
