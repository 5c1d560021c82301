#include "control.h"

#include <utility>

#include "text.h"

Control::Control(const ControlDecl& decl, std::string* problem)
    : id_(decl.id), kind_(decl.kind), enabled_(decl.enabled), columns_(decl.columns) {
    for (const auto& param : decl.params) {
        std::string note = put(param.first + "=" + param.second);
        if (problem != nullptr && problem->empty()) {
            *problem = note;
        }
    }
    declaring_ = false;
}

std::map<std::string, std::string> Control::scriptParams() const {
    std::map<std::string, std::string> out;
    for (const std::string& name : setByScript_) {
        out[name] = params_.at(name);
    }
    return out;
}

std::string Control::put(const std::string& text) {
    size_t equals = text.find('=');
    if (equals == std::string::npos) {
        if (kind_ == ControlKind::List && text == "clearSelection") {
            selected_ = -1;
            return "";
        }
        params_["text"] = text;
        if (!declaring_) {
            setByScript_.insert("text");
        }
        return "";
    }
    std::string name = text.substr(0, equals);
    std::string value = text.substr(equals + 1);
    if (kind_ == ControlKind::List) {
        return putListParam(name, value);
    }
    if (kind_ == ControlKind::Picker && name == "index") {
        std::optional<int32_t> index = parseInt32(value);
        if (!index) {
            return id_ + ": index " + int32Problem(value) + "; ignored";
        }
        picked_ = *index < 0 ? -1 : *index;
        return "";
    }
    if (name == "enabled") {
        return id_ + ": enabled is set with CE and CD, not TP; ignored";
    }
    params_[name] = value;
    if (!declaring_) {
        setByScript_.insert(name);
    }
    return "";
}

std::string Control::putListParam(const std::string& name, const std::string& value) {
    if (name == "add") {
        std::vector<std::string> cells = splitAt(value, ';');
        std::string note;
        if (cells.size() > columns_.size()) {
            note = id_ + ": row has " + std::to_string(cells.size()) + " cells, the list " +
                   std::to_string(columns_.size()) + " columns; the extra cells are dropped";
        }
        cells.resize(columns_.size());
        rows_.push_back(std::move(cells));
        return note;
    }
    if (name == "selectedindex") {
        std::optional<int32_t> index = parseInt32(value);
        if (!index || *index < -1 || *index >= static_cast<int32_t>(rows_.size())) {
            return id_ + ": no row " + quotedText(value) + " to select; ignored";
        }
        selected_ = *index;
        return "";
    }
    if (startsWith(name, "cell.")) {
        std::vector<std::string> parts = splitAt(name.substr(5), '.');
        std::optional<int32_t> row = parts.size() == 2 ? parseInt32(parts[0]) : std::nullopt;
        std::optional<int32_t> cell = parts.size() == 2 ? parseInt32(parts[1]) : std::nullopt;
        if (!row || !cell) {
            return id_ + ": " + quotedText(name) + " is not cell.ROW.CELL; ignored";
        }
        if (*row < 0 || *row >= static_cast<int32_t>(rows_.size()) || *cell < 0 ||
            *cell >= static_cast<int32_t>(columns_.size())) {
            return id_ + ": there is no cell " + std::to_string(*row) + "." + std::to_string(*cell) + " (" +
                   std::to_string(rows_.size()) + " rows of " + std::to_string(columns_.size()) +
                   " cells); ignored";
        }
        rows_[*row][*cell] = value;
        return "";
    }
    if (name == "enabled") {
        return id_ + ": enabled is set with CE and CD, not TP; ignored";
    }
    params_[name] = value;
    if (!declaring_) {
        setByScript_.insert(name);
    }
    return "";
}

std::optional<std::string> Control::get(const std::string& param) const {
    if (param == "all") {
        std::map<std::string, std::string> all = params_;
        all["enabled"] = enabled_ ? "1" : "0";
        if (kind_ == ControlKind::List) {
            all["selectedindex"] = std::to_string(selected_);
            all["rows"] = std::to_string(rows_.size());
        }
        if (kind_ == ControlKind::Picker) {
            all["index"] = std::to_string(picked_);
        }
        std::string joined;
        for (const auto& entry : all) {
            if (!joined.empty()) {
                joined += '\n';
            }
            joined += entry.first + "=" + entry.second;
        }
        return joined;
    }
    // One parameter as the whole set would give it (the state first, then what was put), without
    // building the set: the script may ask on every event.
    if (param == "enabled") {
        return std::string(enabled_ ? "1" : "0");
    }
    if (kind_ == ControlKind::List && param == "selectedindex") {
        return std::to_string(selected_);
    }
    if (kind_ == ControlKind::List && param == "rows") {
        return std::to_string(rows_.size());
    }
    if (kind_ == ControlKind::Picker && param == "index") {
        return std::to_string(picked_);
    }
    auto found = params_.find(param);
    if (found != params_.end()) {
        return found->second;
    }
    if (kind_ == ControlKind::List && startsWith(param, "cell.")) {
        std::vector<std::string> parts = splitAt(param.substr(5), '.');
        std::optional<int32_t> row = parts.size() == 2 ? parseInt32(parts[0]) : std::nullopt;
        std::optional<int32_t> cell = parts.size() == 2 ? parseInt32(parts[1]) : std::nullopt;
        if (row && cell && *row >= 0 && *row < static_cast<int32_t>(rows_.size()) && *cell >= 0 &&
            *cell < static_cast<int32_t>(columns_.size())) {
            return rows_[*row][*cell];
        }
    }
    return std::nullopt;
}
