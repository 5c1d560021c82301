#include "site.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "input_error.h"
#include "text.h"

using nlohmann::json;

namespace {

// Reads one JSON value into the site, naming the place of any fault as a path such as
// infodrivers[0].slots."181".
class SiteReader {
public:
    explicit SiteReader(std::string displayName) : name_(std::move(displayName)) {}

    [[noreturn]] void fail(const std::string& where, const std::string& what) const {
        if (where.empty()) {
            throw InputError(name_ + ": " + what);
        }
        throw InputError(name_ + ": " + where + ": " + what);
    }

    void expectObject(const json& value, const std::string& where) const {
        if (!value.is_object()) {
            fail(where, "must be an object");
        }
    }

    void expectKeys(const json& object, const std::string& where,
                    const std::set<std::string>& allowed) const {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (allowed.count(it.key()) == 0) {
                fail(where, "unknown key " + quotedText(it.key()));
            }
        }
    }

    int32_t integer(const json& value, const std::string& where) const {
        if (!value.is_number_integer()) {
            fail(where, "must be an integer");
        }
        if (value.is_number_unsigned()) {
            if (value.get<uint64_t>() > uint64_t{std::numeric_limits<int32_t>::max()}) {
                fail(where, "does not fit in 32 bits");
            }
            return static_cast<int32_t>(value.get<uint64_t>());
        }
        int64_t wide = value.get<int64_t>();
        if (wide < std::numeric_limits<int32_t>::min() || wide > std::numeric_limits<int32_t>::max()) {
            fail(where, "does not fit in 32 bits");
        }
        return static_cast<int32_t>(wide);
    }

    std::string text(const json& value, const std::string& where) const {
        if (!value.is_string()) {
            fail(where, "must be a text");
        }
        return value.get<std::string>();
    }

    // An object whose keys are decimal numbers and whose values are texts.
    std::map<int32_t, std::string> numberedTexts(const json& value, const std::string& where) const {
        expectObject(value, where);
        std::map<int32_t, std::string> out;
        std::map<int32_t, std::string> keys;  // as written
        for (auto it = value.begin(); it != value.end(); ++it) {
            std::string problem = int32Problem(it.key());
            if (!problem.empty()) {
                fail(where, "key " + problem);
            }
            int32_t key = *parseInt32(it.key());
            auto earlier = keys.find(key);
            if (earlier != keys.end()) {
                fail(where, "keys " + quotedText(earlier->second) + " and " + quotedText(it.key()) +
                                " are the same number");
            }
            keys[key] = it.key();
            out[key] = text(it.value(), where + "." + quotedText(it.key()));
        }
        return out;
    }

    void readInstances(const json& value, Site& site) const {
        expectObject(value, "instances");
        for (auto it = value.begin(); it != value.end(); ++it) {
            std::string where = "instances." + quotedText(it.key());
            expectObject(it.value(), where);
            expectKeys(it.value(), where, {"device", "offset"});
            if (!it.value().contains("device")) {
                fail(where, "needs a device");
            }
            SiteInstance instance;
            instance.device = integer(it.value()["device"], where + ".device");
            if (it.value().contains("offset")) {
                instance.offset = integer(it.value()["offset"], where + ".offset");
            }
            site.instances[it.key()] = instance;
        }
    }

    void readDatabases(const json& value, Site& site) const {
        if (!value.is_array()) {
            fail("databases", "must be a list");
        }
        for (size_t i = 0; i < value.size(); ++i) {
            std::string where = "databases[" + std::to_string(i) + "]";
            const json& entry = value[i];
            expectObject(entry, where);
            expectKeys(entry, where, {"device", "database", "names"});
            for (const char* key : {"device", "database", "names"}) {
                if (!entry.contains(key)) {
                    fail(where, std::string("needs ") + key);
                }
            }
            SiteDatabase database;
            database.device = integer(entry["device"], where + ".device");
            database.database = integer(entry["database"], where + ".database");
            database.names = numberedTexts(entry["names"], where + ".names");
            auto key = std::make_pair(database.device, database.database);
            if (site.databases.count(key) != 0) {
                fail(where, "database " + std::to_string(database.database) + " of device " +
                                std::to_string(database.device) + " is already defined");
            }
            site.databases[key] = database;
        }
    }

    void readInfoDrivers(const json& value, Site& site) const {
        if (!value.is_array()) {
            fail("infodrivers", "must be a list");
        }
        for (size_t i = 0; i < value.size(); ++i) {
            std::string where = "infodrivers[" + std::to_string(i) + "]";
            const json& entry = value[i];
            expectObject(entry, where);
            expectKeys(entry, where, {"device", "slots", "silent"});
            if (!entry.contains("device")) {
                fail(where, "needs device");
            }
            SiteInfoDriver driver;
            driver.device = integer(entry["device"], where + ".device");
            if (entry.contains("slots")) {
                driver.slots = numberedTexts(entry["slots"], where + ".slots");
            }
            if (entry.contains("silent")) {
                const json& silent = entry["silent"];
                if (!silent.is_array()) {
                    fail(where + ".silent", "must be a list of slots");
                }
                for (size_t s = 0; s < silent.size(); ++s) {
                    driver.silent.insert(integer(silent[s], where + ".silent[" + std::to_string(s) + "]"));
                }
            }
            if (site.infoDrivers.count(driver.device) != 0) {
                fail(where, "device " + std::to_string(driver.device) + " is already an information driver");
            }
            site.infoDrivers[driver.device] = driver;
        }
    }

    Site read(const json& root, const std::string& siteDir) const {
        if (!root.is_object()) {
            fail("", "the site must be a JSON object");
        }
        expectKeys(root, "", {"layouts", "instances", "databases", "infodrivers"});
        Site site;
        site.siteDir = siteDir;
        if (!root.contains("layouts")) {
            fail("",
                 "needs \"layouts\", the base path of the layout files (\"\" for the site's own directory)");
        }
        site.basePath = text(root["layouts"], "layouts");
        if (root.contains("instances")) {
            readInstances(root["instances"], site);
        }
        if (root.contains("databases")) {
            readDatabases(root["databases"], site);
        }
        if (root.contains("infodrivers")) {
            readInfoDrivers(root["infodrivers"], site);
        }
        return site;
    }

private:
    std::string name_;
};

// nlohmann's message is "[json.exception.parse_error.101] parse error at line 3, column 5: what";
// keep only the "what" and put the line where our messages carry it.
std::string syntaxMessage(const json::parse_error& error, const std::string& text) {
    std::string message = error.what();
    size_t colon = message.find(": ");
    if (colon != std::string::npos) {
        message = message.substr(colon + 2);
    }
    size_t line = 1;
    size_t end = error.byte == 0 ? 0 : std::min<size_t>(error.byte - 1, text.size());
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
        }
    }
    return std::to_string(line) + ": " + message;
}

// Finds what the JSON parser would let pass silently: a key given twice in one object (the later one
// would win) and a NUL inside a text. The parser reports each key and value as it reads them; the
// places are kept as a stack of paths such as infodrivers[0].slots.
class StrictnessCheck {
public:
    explicit StrictnessCheck(const std::string& displayName) : name_(displayName) {}

    bool operator()(int /*depth*/, json::parse_event_t event, json& parsed) {
        switch (event) {
            case json::parse_event_t::object_start:
            case json::parse_event_t::array_start:
                frames_.push_back(Frame{childPath(), event == json::parse_event_t::array_start, 0, "", {}});
                break;
            case json::parse_event_t::object_end:
            case json::parse_event_t::array_end:
                frames_.pop_back();
                finishValue();
                break;
            case json::parse_event_t::key: {
                Frame& frame = frames_.back();
                std::string key = parsed.get<std::string>();
                noNul(key, frame.path);
                if (!frame.keys.insert(key).second) {
                    fail(frame.path, "key " + quotedText(key) + " is given twice");
                }
                frame.key = key;
                break;
            }
            case json::parse_event_t::value:
                if (parsed.is_string()) {
                    noNul(parsed.get<std::string>(), childPath());
                }
                finishValue();
                break;
        }
        return true;
    }

private:
    struct Frame {
        std::string path;
        bool array = false;
        size_t index = 0;
        std::string key;
        std::set<std::string> keys;
    };

    // The path of the value being read in the innermost container.
    std::string childPath() const {
        if (frames_.empty()) {
            return "";
        }
        const Frame& frame = frames_.back();
        if (frame.array) {
            return frame.path + "[" + std::to_string(frame.index) + "]";
        }
        return frame.path.empty() ? frame.key : frame.path + "." + quotedText(frame.key);
    }

    void finishValue() {
        if (!frames_.empty() && frames_.back().array) {
            ++frames_.back().index;
        }
    }

    void noNul(const std::string& text, const std::string& where) const {
        if (text.find('\0') != std::string::npos) {
            fail(where, "a NUL character in " + quotedText(text));
        }
    }

    [[noreturn]] void fail(const std::string& where, const std::string& what) const {
        throw InputError(name_ + ": " + (where.empty() ? "" : where + ": ") + what);
    }

    std::string name_;
    std::vector<Frame> frames_;
};

}  // namespace

Site parseSite(const std::string& text, const std::string& displayName, const std::string& siteDir) {
    size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        throw InputError(displayName + ":" +
                         std::to_string(1 + std::count(text.begin(), text.begin() + nul, '\n')) +
                         ": a NUL byte");
    }
    json root;
    try {
        root = json::parse(text, StrictnessCheck(displayName));
    } catch (const json::parse_error& error) {
        throw InputError(displayName + ":" + syntaxMessage(error, text));
    } catch (const json::exception& error) {
        // A number too large for the reader (1e400), without a place to point at.
        std::string message = error.what();
        size_t tagEnd = message.find("] ");
        throw InputError(displayName + ": " +
                         (tagEnd == std::string::npos ? message : message.substr(tagEnd + 2)));
    }
    return SiteReader(displayName).read(root, siteDir);
}

Site readSiteFile(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw InputError(path + ": is a directory");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw InputError(path + ": cannot open the site file");
    }
    std::ostringstream content;
    content << in.rdbuf();
    std::string dir = ".";
#if defined(_WIN32)
    size_t slash = path.find_last_of("/\\");
#else
    size_t slash = path.find_last_of('/');
#endif
    if (slash != std::string::npos) {
        dir = slash == 0 ? "/" : path.substr(0, slash);
    }
    return parseSite(content.str(), path, dir);
}
