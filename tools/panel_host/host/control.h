// Control: the host's state of one control on a loaded panel, changed by the script's TP/CE/CD and by
// the operator's steps, read back by TG and by the panel drawing.
//
// A control holds its enabled state and its parameters; a list also holds its rows of cells and its
// selected row (-1 for none); a picker holds its chosen number ("index", -1 for none). The control owns
// all of this; nothing outside it keeps pointers into it. It never talks to the script: put() and get()
// only say what the host would do and return notes for the transcript.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "layout.h"

class Control {
public:
    // The control as declared. When `problem` is given it receives what the host had to ignore among
    // the declared parameters (a row that is not there, a bad number), or "".
    explicit Control(const ControlDecl& decl, std::string* problem = nullptr);

    const std::string& id() const { return id_; }
    ControlKind kind() const { return kind_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

    // One TP text, either "name=value" or a plain text. Lists take "add=c1;c2;...", "cell.R.C=text"
    // (row and cell counted from 0), "selectedindex=N" and the plain "clearSelection"; pickers take
    // "index=N". Any other name=value is stored as a parameter; any other plain text becomes "text".
    // Returns a note when the host ignored the text (a cell outside the list, a bad number), else "".
    std::string put(const std::string& text);

    // The value TG reports for `param`, or nullopt when the control has no such parameter. "all" gives
    // every parameter as name=value lines joined with '\n'.
    std::optional<std::string> get(const std::string& param) const;

    // --- What the operator does and what the drawing reads --------------------------------------------
    const std::vector<std::string>& columns() const { return columns_; }
    const std::vector<std::vector<std::string>>& rows() const { return rows_; }
    int32_t selectedIndex() const { return selected_; }
    void select(int32_t index) { selected_ = index; }
    int32_t pickedIndex() const { return picked_; }
    void pick(int32_t index) { picked_ = index; }
    // The parameters the script set with TP (not those the layout declared), by name.
    std::map<std::string, std::string> scriptParams() const;

private:
    std::string putListParam(const std::string& name, const std::string& value);

    std::string id_;
    ControlKind kind_;
    bool enabled_;
    std::map<std::string, std::string> params_;
    std::set<std::string> setByScript_;  // names in params_ that a TP set
    bool declaring_ = true;              // the layout's parameters are being put
    std::vector<std::string> columns_;
    std::vector<std::vector<std::string>> rows_;
    int32_t selected_ = -1;
    int32_t picked_ = -1;
};
