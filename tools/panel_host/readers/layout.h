// Layout: the controls a panel layout file declares, read from the host's own simple text format.
//
// A layout file (*.orvo_ui) has one declaration a line; blank lines and lines starting with '#' are
// skipped, and words are separated by blanks:
//
//   title <text...>                      what the panel drawing is headed with (optional, once)
//   button <id> [name=value ...]         a push button
//   list   <id> columns=A,B,... [...]    a list of rows, one cell per column title
//   picker <id> [name=value ...]         a chooser whose choice is a number ("index", -1 for none)
//
// A name=value pair sets a control parameter at load time; "enabled=0" loads the control disabled.
// Ids are unique within a file. parseLayout() throws InputError "file:line: what is wrong" and never
// returns a partial layout; it touches no files (readLayoutFile() does the reading). A UTF-8 byte order
// mark at the start is skipped. Whether a parameter's value suits its control (a row to select, a cell
// of the list) is the control's business when the host builds it.
#pragma once

#include <string>
#include <utility>
#include <vector>

enum class ControlKind { Button, List, Picker };

struct ControlDecl {
    ControlKind kind = ControlKind::Button;
    std::string id;
    std::vector<std::string> columns;                         // lists only
    std::vector<std::pair<std::string, std::string>> params;  // initial parameters, in file order
    bool enabled = true;
    int line = 0;  // where it is declared, for what the host says about its parameters
};

struct Layout {
    std::string title;
    std::vector<ControlDecl> controls;  // in file order, which is also the order XI lists them in
};

Layout parseLayout(const std::string& text, const std::string& displayName);

// Reads the file at `path`; a missing, unreadable or directory path is an InputError naming it.
Layout readLayoutFile(const std::string& path, const std::string& displayName);

const char* controlKindName(ControlKind kind);
