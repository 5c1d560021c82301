#include "report.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

namespace {

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

struct Tally {
    int passed = 0, failed = 0, skipped = 0, total = 0;
    void add(Outcome outcome) {
        ++total;
        if (outcome == Outcome::Pass) {
            ++passed;
        } else if (outcome == Outcome::Skip) {
            ++skipped;
        } else {
            ++failed;
        }
    }
};

class TerminalReport : public ResultListener {
public:
    explicit TerminalReport(std::ostream& out) : out_(out) {}

    void begin(const RunInfo& info) override {
        out_ << "panel_host: validating " << info.library << " with "
             << (info.site.empty() ? std::string("no site") : info.site) << ", level " << info.level
             << ", seed " << info.seed << "; " << info.isolationNote << "\n";
        out_.flush();
    }

    void result(const Check& check, const CheckResult& result) override {
        tally_.add(result.outcome);
        char head[160];
        std::snprintf(head, sizeof head, "%-8s %-22s %7ss  ", outcomeName(result.outcome), check.name,
                      seconds(result.seconds).c_str());
        out_ << head << check.description << "\n";
        if (!result.message.empty()) {
            out_ << "         " << result.message << "\n";
        }
        if (!result.where.empty()) {
            out_ << "         in " << result.where << "\n";
        }
        if (!result.warning.empty()) {
            out_ << "         warning: " << result.warning << "\n";
        }
        if (!result.scenario.empty()) {
            out_ << "         replay: " << result.scenario << "\n";
        }
        if (result.repeats > 0) {
            out_ << "         (the same failure " << result.repeats << " more times in this storm)\n";
        }
        for (const CheckResult& other : result.more) {
            out_ << "         and: " << other.message << "\n";
            if (!other.where.empty()) {
                out_ << "           in " << other.where << "\n";
            }
            if (!other.scenario.empty()) {
                out_ << "           replay: " << other.scenario << "\n";
            }
            if (other.repeats > 0) {
                out_ << "           (the same failure " << other.repeats << " more times)\n";
            }
        }
        out_.flush();
    }

    void end(double total, int64_t events, const Coverage& coverage) override {
        char percent[32];
        std::snprintf(percent, sizeof percent, "%.0f%%", coverage.percent());
        out_ << "coverage: " << coverage.reached() << " of " << coverage.reachable() << " items reached ("
             << percent << ")\n";
        for (const auto& group : coverage.groups) {
            std::string never;
            int missed = 0;
            for (const auto& item : group.second) {
                if (!item.second && ++missed <= 8) {
                    never += (never.empty() ? "" : ", ") + item.first;
                }
            }
            char head[64];
            std::snprintf(head, sizeof head, "  %-14s %4d of %d", group.first.c_str(),
                          static_cast<int>(group.second.size()) - missed,
                          static_cast<int>(group.second.size()));
            out_ << head << (missed == 0 ? std::string() : "; never reached: " + never)
                 << (missed > 8 ? ", ..." : "") << "\n";
        }
        std::string sent;
        for (const std::string& word : coverage.commandsSent) {
            sent += " " + word;
        }
        out_ << "  commands the script sent:" << (sent.empty() ? " none" : sent) << "\n";
        out_ << "panel_host: " << tally_.passed << " passed, " << tally_.failed << " failed, "
             << tally_.skipped << " skipped of " << tally_.total << " checks in " << seconds(total) << " s; "
             << events << " events played";
        if (total > 0) {
            out_ << " (" << static_cast<int64_t>(static_cast<double>(events) / total) << " a second)";
        }
        out_ << "\n";
        out_.flush();
    }

private:
    std::ostream& out_;
    Tally tally_;
};

std::string escapedXml(const std::string& text) {
    std::string out;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // XML 1.0 cannot carry most control characters, nor bytes outside ASCII that may not be
                // UTF-8.
                if ((byte < 0x20 && c != '\n' && c != '\t') || byte >= 0x80) {
                    out += '?';
                } else {
                    out += c;
                }
        }
    }
    return out;
}

class JunitReport : public ResultListener {
public:
    JunitReport(std::string path, std::ostream& errors) : path_(std::move(path)), errors_(errors) {}

    void begin(const RunInfo& info) override { info_ = info; }

    void result(const Check& check, const CheckResult& result) override {
        tally_.add(result.outcome);
        std::string body;
        std::vector<const CheckResult*> failures = {&result};
        for (const CheckResult& other : result.more) {
            failures.push_back(&other);
        }
        std::string detail;
        for (const CheckResult* one : failures) {
            detail +=
                (detail.empty() ? "" : "\n\nand: ") + one->message +
                (one->where.empty() ? "" : "\nin " + one->where) +
                (one->scenario.empty() ? "" : "\nreplay: " + one->scenario) +
                (one->repeats == 0 ? ""
                                   : "\n(the same failure " + std::to_string(one->repeats) + " more times)");
        }
        switch (result.outcome) {
            case Outcome::Fail:
                ++failures_;
                body = "<failure message=\"" + escapedXml(result.message) + "\">" + escapedXml(detail) +
                       "</failure>";
                break;
            case Outcome::Crash:
            case Outcome::Timeout:
                ++errorCount_;
                body = "<error type=\"" + std::string(outcomeName(result.outcome)) + "\" message=\"" +
                       escapedXml(result.message) + "\">" + escapedXml(detail) + "</error>";
                break;
            case Outcome::Skip:
                ++skips_;
                body = "<skipped message=\"" + escapedXml(result.message) + "\"/>";
                break;
            case Outcome::Pass:
                break;
        }
        if (!result.warning.empty()) {
            body += "<system-out>warning: " + escapedXml(result.warning) + "</system-out>";
        }
        cases_ += "    <testcase classname=\"panel_host.validate\" name=\"" + std::string(check.name) +
                  "\" time=\"" + seconds(result.seconds) + "\">" + body + "</testcase>\n";
    }

    void end(double total, int64_t, const Coverage& coverage) override {
        std::string properties;
        for (const auto& group : coverage.groups) {
            int reached = 0;
            for (const auto& item : group.second) {
                reached += item.second ? 1 : 0;
            }
            properties += "<property name=\"coverage." + escapedXml(group.first) + "\" value=\"" +
                          std::to_string(reached) + "/" + std::to_string(group.second.size()) + "\"/>";
        }
        char percent[32];
        std::snprintf(percent, sizeof percent, "%.1f", coverage.percent());
        std::ofstream out(path_, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            << "<testsuites>\n  <testsuite name=\"panel_host --validate " << escapedXml(info_.library)
            << "\" tests=\"" << tally_.total << "\" failures=\"" << failures_ << "\" errors=\"" << errorCount_
            << "\" skipped=\"" << skips_ << "\" time=\"" << seconds(total) << "\">\n"
            << "    <properties><property name=\"seed\" value=\"" << info_.seed
            << "\"/><property name=\"level\" value=\"" << info_.level
            << "\"/><property name=\"coverage\" value=\"" << percent << "\"/>" << properties
            << "</properties>\n"
            << cases_ << "  </testsuite>\n</testsuites>\n";
        if (!out) {
            errors_ << "panel_host: " << path_ << ": cannot write the JUnit report\n";
        }
    }

private:
    std::string path_;
    std::ostream& errors_;
    RunInfo info_;
    Tally tally_;
    int failures_ = 0, errorCount_ = 0, skips_ = 0;
    std::string cases_;
};

// A storm's other distinct failures, as report.json lists them.
nlohmann::json more(const CheckResult& result) {
    nlohmann::json list = nlohmann::json::array();
    for (const CheckResult& other : result.more) {
        list.push_back({{"outcome", outcomeName(other.outcome)},
                        {"message", other.message},
                        {"where", other.where},
                        {"scenario", other.scenario},
                        {"repeats", other.repeats}});
    }
    return list;
}

class JsonReport : public ResultListener {
public:
    JsonReport(std::string path, std::ostream& errors) : path_(std::move(path)), errors_(errors) {}

    void begin(const RunInfo& info) override {
        report_ = {{"library", info.library},
                   {"site", info.site},
                   {"level", info.level},
                   {"seed", info.seed},
                   {"isolation", info.isolationNote},
                   {"checks", nlohmann::json::array()}};
    }

    void result(const Check& check, const CheckResult& result) override {
        report_["checks"].push_back({{"name", check.name},
                                     {"description", check.description},
                                     {"outcome", outcomeName(result.outcome)},
                                     {"message", result.message},
                                     {"where", result.where},
                                     {"warning", result.warning},
                                     {"scenario", result.scenario},
                                     {"repeats", result.repeats},
                                     {"more", more(result)},
                                     {"events", result.events},
                                     {"seconds", result.seconds}});
    }

    void end(double total, int64_t events, const Coverage& coverage) override {
        report_["seconds"] = total;
        report_["events"] = events;
        nlohmann::json groups = nlohmann::json::object();
        for (const auto& group : coverage.groups) {
            nlohmann::json reached = nlohmann::json::array();
            nlohmann::json never = nlohmann::json::array();
            for (const auto& item : group.second) {
                (item.second ? reached : never).push_back(item.first);
            }
            groups[group.first] = {{"reached", reached}, {"never_reached", never}};
        }
        report_["coverage"] = {{"percent", coverage.percent()},
                               {"reached", coverage.reached()},
                               {"reachable", coverage.reachable()},
                               {"groups", groups},
                               {"commands_sent", coverage.commandsSent}};
        std::ofstream out(path_, std::ios::binary);
        out << report_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        if (!out) {
            errors_ << "panel_host: " << path_ << ": cannot write the JSON report\n";
        }
    }

private:
    std::string path_;
    std::ostream& errors_;
    nlohmann::json report_;
};

}  // namespace

std::unique_ptr<ResultListener> terminalReport(std::ostream& out) {
    return std::make_unique<TerminalReport>(out);
}

std::unique_ptr<ResultListener> junitReport(const std::string& path, std::ostream& errors) {
    return std::make_unique<JunitReport>(path, errors);
}

std::unique_ptr<ResultListener> jsonReport(const std::string& path, std::ostream& errors) {
    return std::make_unique<JsonReport>(path, errors);
}
