#include "host_state.h"

#include <limits>
#include <set>

namespace {

using nlohmann::json;

json controlState(const Control& control) {
    json out = {
        {"id", control.id()}, {"kind", controlKindName(control.kind())}, {"enabled", control.enabled()}};
    if (control.kind() == ControlKind::List) {
        out["columns"] = control.columns();
        out["rows"] = control.rows();
        out["selected"] = control.selectedIndex() + 1;  // rows as drawn, 0 for none
    } else if (control.kind() == ControlKind::Picker) {
        out["picked"] = control.pickedIndex();
    }
    // What the script set with TP beyond rows, cells and choices (text=ON, ...), in name order.
    json params = json::array();
    std::string all = control.get("all").value_or("");
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t equals = line.find('=');
        std::string name = line.substr(0, equals);
        bool drawnElsewhere =
            name == "enabled" || name == "selectedindex" || name == "rows" || name == "index";
        if (equals != std::string::npos && !drawnElsewhere) {
            params.push_back({{"name", line.substr(0, equals)}, {"value", line.substr(equals + 1)}});
        }
        start = end == std::string::npos ? all.size() : end + 1;
    }
    out["params"] = params;
    return out;
}

json panelsState(const Panels& panels) {
    json out = json::array();
    for (const auto& entry : panels.all()) {
        const Panel& panel = entry.second;
        json controls = json::array();
        for (const Control& control : panel.controls) {
            controls.push_back(controlState(control));
        }
        out.push_back({{"id", panel.id},
                       {"title", panel.title},
                       {"file", panel.file},
                       {"shown", panel.shown},
                       {"controls", controls}});
    }
    return out;
}

json devicesState(const Devices& devices, const Site& site) {
    json instances = json::array();
    for (const auto& entry : site.instances) {
        instances.push_back({{"name", entry.first},
                             {"device", entry.second.device},
                             {"known", devices.lookup(entry.first).has_value()}});
    }
    json drivers = json::array();
    for (const auto& entry : site.infoDrivers) {
        int32_t device = entry.first;
        std::set<int32_t> slotNumbers = entry.second.silent;
        for (const auto& slot : entry.second.slots) {
            slotNumbers.insert(slot.first);
        }
        json slots = json::array();
        for (int32_t slot : slotNumbers) {
            // A slot that brings nothing to a poll of itself is silent.
            slots.push_back({{"slot", slot},
                             {"text", devices.slotText(device, slot)},
                             {"silent", devices.silent(device, slot)},
                             {"registered", devices.registered(device, slot)}});
        }
        drivers.push_back({{"device", device}, {"slots", slots}});
    }
    json databases = json::array();
    for (const auto& entry : site.databases) {
        json names = json::array();
        for (const auto& name : entry.second.names) {
            names.push_back({{"index", name.first}, {"name", name.second}});
        }
        databases.push_back(
            {{"device", entry.second.device}, {"database", entry.second.database}, {"names", names}});
    }
    return {{"instances", instances}, {"infodrivers", drivers}, {"databases", databases}};
}

json clockState(const Timers& timers) {
    // Each running timer with its next tick, soonest first.
    json running = json::array();
    for (const Timers::Running& timer : timers.running()) {
        running.push_back({{"id", timer.id}, {"due", timer.due}});
    }
    return {{"now", timers.now()}, {"timers", running}};
}

}  // namespace

json hostState(const Runner& runner, const Site& site) {
    json request = {{"answered", runner.answered()}, {"answer", nullptr}};
    if (runner.lastAnswer()) {
        request["answer"] = *runner.lastAnswer();
    }
    return {{"started", runner.started()},
            {"running", runner.running()},
            {"panels", panelsState(runner.panels())},
            {"devices", devicesState(runner.devices(), site)},
            {"clock", clockState(runner.timers())},
            {"request", request},
            {"failures", runner.record().failures()},
            {"errors", runner.record().errors()}};
}

std::string jsonText(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}
