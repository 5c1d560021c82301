#include "layout.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "input_error.h"
#include "text.h"

const char* controlKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
            return "button";
        case ControlKind::List:
            return "list";
        case ControlKind::Picker:
            return "picker";
    }
    return "control";
}

namespace {

bool kindFromWord(const std::string& word, ControlKind& kind) {
    if (word == "button") {
        kind = ControlKind::Button;
    } else if (word == "list") {
        kind = ControlKind::List;
    } else if (word == "picker") {
        kind = ControlKind::Picker;
    } else {
        return false;
    }
    return true;
}

ControlDecl parseControl(const std::vector<std::string>& words, ControlKind kind, const std::string& where) {
    if (words.size() < 2) {
        throw InputError(where + words[0] + " needs an id");
    }
    ControlDecl decl;
    decl.kind = kind;
    decl.id = words[1];
    bool columns = false;
    if (decl.id.find('=') != std::string::npos || decl.id.find('\'') != std::string::npos) {
        throw InputError(where + "control id " + quotedText(decl.id) + " may not hold '=' or a quote");
    }
    for (size_t i = 2; i < words.size(); ++i) {
        size_t equals = words[i].find('=');
        if (equals == std::string::npos || equals == 0) {
            throw InputError(where + quotedText(words[i]) + " is not name=value");
        }
        std::string name = words[i].substr(0, equals);
        std::string value = words[i].substr(equals + 1);
        if (name == "columns") {
            if (kind != ControlKind::List) {
                throw InputError(where + "only a list has columns");
            }
            if (columns) {
                throw InputError(where + "columns given twice");
            }
            if (value.empty()) {
                throw InputError(where + "columns= needs the column titles");
            }
            columns = true;
            decl.columns = splitAt(value, ',');
        } else if (name == "enabled") {
            if (value != "0" && value != "1") {
                throw InputError(where + "enabled must be 0 or 1");
            }
            decl.enabled = value == "1";
        } else {
            decl.params.emplace_back(name, value);
        }
    }
    if (kind == ControlKind::List && decl.columns.empty()) {
        throw InputError(where + "list " + decl.id + " needs columns=...");
    }
    return decl;
}

}  // namespace

Layout parseLayout(const std::string& text, const std::string& displayName) {
    Layout layout;
    std::set<std::string> ids;
    bool titled = false;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        std::string where = displayName + ":" + std::to_string(lineNo) + ": ";
        if (lineNo == 1 && startsWith(line, "\xEF\xBB\xBF")) {
            line.erase(0, 3);
        }
        std::string content = trim(line);
        if (content.empty() || content[0] == '#') {
            continue;
        }
        std::vector<std::string> words = splitWords(content);
        if (words[0] == "title") {
            if (titled) {
                throw InputError(where + "a second title");
            }
            titled = true;
            layout.title = trim(content.substr(5));
            continue;
        }
        ControlKind kind;
        if (!kindFromWord(words[0], kind)) {
            throw InputError(where + "unknown declaration " + quotedBytes(words[0]) +
                             " (expected title, button, list or picker)");
        }
        ControlDecl decl = parseControl(words, kind, where);
        decl.line = lineNo;
        if (!ids.insert(decl.id).second) {
            throw InputError(where + "control " + decl.id + " is declared twice");
        }
        layout.controls.push_back(decl);
    }
    return layout;
}

Layout readLayoutFile(const std::string& path, const std::string& displayName) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw InputError(displayName + ": is a directory");
    }
    if (!std::filesystem::is_regular_file(path, ignored)) {
        throw InputError(displayName + ": no such layout file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw InputError(displayName + ": cannot open the layout file");
    }
    std::ostringstream content;
    content << in.rdbuf();
    return parseLayout(content.str(), displayName);
}
