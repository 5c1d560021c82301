#include "panels.h"

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
    Layout layout;
    try {
        layout = readLayoutFile(path, file);
    } catch (const InputError& error) {
        return error.what();
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
    for (const ControlDecl& decl : layout.controls) {
        panel.controls.emplace_back(decl);
    }
    panels_[panelId] = panel;
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
