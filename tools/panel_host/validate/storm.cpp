#include "storm.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

const char* const kRequestWords[] = {"return", "instance", "myParam", "_events", "_commands", "set",
                                     "get",    "select",   "name",    "value",   "all",       ""};

}  // namespace

int32_t StormGenerator::number(int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random_);
}

std::string StormGenerator::randomText(size_t longest) {
    size_t length = static_cast<size_t>(number(0, 12));
    if (chance(5)) {
        length = static_cast<size_t>(number(0, static_cast<int32_t>(longest)));
    }
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        int pick = number(0, 99);
        if (pick < 70) {
            text += static_cast<char>(number(0x20, 0x7e));
        } else if (pick < 90) {
            text += static_cast<char>('0' + number(0, 9));
        } else {
            text += static_cast<char>(number(0x80, 0xff));
        }
    }
    return text;
}

const std::string& StormGenerator::oneOf(const std::vector<std::string>& list) {
    static const std::string none;
    return list.empty() ? none : list[static_cast<size_t>(number(0, static_cast<int32_t>(list.size()) - 1))];
}

std::string StormGenerator::edgeText() {
    if (chance(50)) {
        // Up to the longest text a slot holds in the host: a random word, repeated.
        std::string word = randomText(12) + " ";
        std::string text;
        for (size_t length = static_cast<size_t>(number(200, 4000)); text.size() < length;) {
            text += word;
        }
        return text;
    }
    // Whole two- and three-byte sequences, then the first bytes of one more.
    std::string text;
    for (int i = number(0, 80); i > 0; --i) {
        text += chance(50) ? "\xc3\xa9" : "\xe2\x82\xac";
    }
    return text + (chance(50) ? "\xc3" : chance(50) ? "\xe2\x82" : "\xf0\x9f\x98");
}

std::string StormGenerator::deepValue() {
    static const char opens[] = {'[', '{', '(', '"', '\''};
    static const char closes[] = {']', '}', ')', '"', '\''};
    size_t which = static_cast<size_t>(number(0, 4));
    size_t depth = static_cast<size_t>(number(1000, 100000));
    if (chance(50)) {
        return std::string(depth, opens[which]) + std::string(depth, closes[which]);
    }
    // The same item repeated: a list far longer than any panel has rows.
    std::string item = std::to_string(number(0, 99)) + ",";
    std::string value;
    value.reserve(item.size() * depth / 4);
    for (size_t i = 0; i < depth / 4; ++i) {
        value += item;
    }
    return value;
}

void StormGenerator::refresh(StormSession& session) {
    // What the script set up changes only as it answers events; a look every few steps is enough.
    if (steps_ % 64 == 0) {
        controls_ = session.controls();
        slots_ = session.registeredSlots();
    }
}

const StormSession::ControlView& StormGenerator::nextControl() {
    if (seeds_ != nullptr && !seeds_->controls.empty() && chance(40)) {
        const std::string& wanted = oneOf(seeds_->controls);
        for (const StormSession::ControlView& control : controls_) {
            if (control.id == wanted) {
                return control;
            }
        }
    }
    return controls_[index(controls_.size())];
}

bool StormGenerator::seededChoice(const std::string& control, int32_t& choice) {
    if (seeds_ == nullptr || seeds_->choices.empty() || !chance(50)) {
        return false;
    }
    std::vector<int32_t> chosen;
    for (const auto& seen : seeds_->choices) {
        if (seen.first == control) {
            chosen.push_back(seen.second);
        }
    }
    if (chosen.empty()) {
        return false;
    }
    choice = chosen[index(chosen.size())];
    return true;
}

std::string StormGenerator::operatorStep() {
    if (controls_.empty()) {
        return "";
    }
    const StormSession::ControlView& control = nextControl();
    int32_t seeded = 0;
    switch (control.kind) {
        case StormSession::ControlView::List:
            if (control.rows > 0 && seededChoice(control.id, seeded) && seeded >= 1 &&
                seeded <= control.rows) {
                return "select " + control.id + " " + std::to_string(seeded);
            }
            if (control.rows == 0 || chance(10)) {
                return "select " + control.id + " none";
            }
            return "select " + control.id + " " + std::to_string(number(1, control.rows));
        case StormSession::ControlView::Picker:
            if (seededChoice(control.id, seeded)) {
                return "pick " + control.id + " " + std::to_string(seeded);
            }
            if (chance(10)) {
                return "pick " + control.id + " " +
                       std::to_string(
                           number(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
            }
            return "pick " + control.id + " " + std::to_string(number(-1, 64));
        default:
            if (chance(60)) {
                return "press " + control.id;
            }
            if (chance(50)) {
                return "press " + control.id + " value=" + std::to_string(number(-5, 100));
            }
            if (seeds_ != nullptr && !seeds_->messages.empty() && chance(50)) {
                return "press " + control.id + " " + scenarioRest(oneOf(seeds_->messages));
            }
            return "press " + control.id + " " + scenarioRest(randomText(300));
    }
}

std::string StormGenerator::deviceStep() {
    if (slots_.empty()) {
        return "";
    }
    const auto& slot = slots_[static_cast<size_t>(number(0, static_cast<int32_t>(slots_.size()) - 1))];
    std::string text;
    if (chance(3)) {
        text = edgeText();
    } else if (seeds_ != nullptr && !seeds_->texts.empty() && chance(30)) {
        text = oneOf(seeds_->texts);
    } else {
        text = chance(60) ? std::to_string(number(0, 99)) : randomText(300);
    }
    return "revertive " + std::to_string(slot.first) + " " + std::to_string(slot.second) + " " +
           scenarioRest(text);
}

std::string StormGenerator::clockStep(StormSession& session) {
    std::optional<int64_t> next = session.nextTickIn();
    if (next && chance(70)) {
        // The next due tick, and now and then a few of them at once.
        int64_t units = *next <= 0 ? 1 : *next;
        if (chance(10)) {
            units *= number(2, 4);
        }
        return "advance " + std::to_string(std::min<int64_t>(units, std::numeric_limits<int32_t>::max()));
    }
    if (seeds_ != nullptr && (!seeds_->ticks.empty() || !seeds_->advances.empty()) && chance(25)) {
        // The clock as the author's scenarios play it: ticks of the timers they tick, their advances.
        if (!seeds_->ticks.empty() && (seeds_->advances.empty() || chance(50))) {
            return "tick " + std::to_string(seeds_->ticks[index(seeds_->ticks.size())]);
        }
        return "advance " + std::to_string(std::max(1, seeds_->advances[index(seeds_->advances.size())]));
    }
    if (chance(50)) {
        return "advance " + std::to_string(number(1, 1000));
    }
    return "tick " + std::to_string(number(0, 16));
}

std::string StormGenerator::parentStep() {
    int pick = number(0, 99);
    if (pick < 8) {
        if (seeds_ != nullptr && !seeds_->numbers.empty() && chance(30)) {
            return "integer " + std::to_string(seeds_->numbers[index(seeds_->numbers.size())]);
        }
        return chance(50) ? "integer " + std::to_string(number(std::numeric_limits<int32_t>::min(),
                                                               std::numeric_limits<int32_t>::max()))
                          : "record";
    }
    if (seeds_ != nullptr && !seeds_->requestWords.empty() && pick < 45) {
        // The author's own requests, whole or with another value.
        if (chance(30)) {
            return "request " + scenarioRest(oneOf(seeds_->requests));
        }
        std::string value = chance(40)   ? oneOf(seeds_->requestValues)
                            : chance(50) ? std::to_string(number(-5, 100))
                            : chance(2)  ? deepValue()
                                         : randomText(40);
        return "request " + scenarioRest(oneOf(seeds_->requestWords) + (chance(80) ? "=" : " ") + value);
    }
    // Rarely (each costs the host and the script a few hundred kilobytes of text).
    if (number(0, 499) == 0) {
        return "request " + scenarioRest(std::string(kRequestWords[number(0, 11)]) + "=" + deepValue());
    }
    if (pick < 70) {
        // A plausible request: a word, and a value after '=' or a blank.
        std::string word = kRequestWords[number(0, 11)];
        std::string value = chance(30) ? kRequestWords[number(0, 11)] : randomText(40);
        const char* joins[] = {"=", " ", ""};
        return "request " + scenarioRest(word + joins[number(0, 2)] + value);
    }
    return "request " + scenarioRest(randomText(2000));
}

std::string StormGenerator::next(StormSession& session) {
    refresh(session);
    ++steps_;
    switch (kind_) {
        case StormKind::Operator:
            return operatorStep();
        case StormKind::Devices:
            return deviceStep();
        case StormKind::Clock:
            return clockStep(session);
        case StormKind::Parent:
            return parentStep();
        case StormKind::Mixed:
            break;
    }
    int pick = number(0, 99);
    std::string line;
    if (pick < 40) {
        line = operatorStep();
    } else if (pick < 65) {
        line = deviceStep();
    } else if (pick < 85) {
        line = clockStep(session);
    }
    return line.empty() ? parentStep() : line;
}
