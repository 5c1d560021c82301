// The building-block benchmarks: the parsers, the string component and the fixed-buffer commands, each
// on its own, with allocations per operation. They use the library as this program links it (the same
// sources Corvane.so is built from).
#include <cstdint>
#include <string>

#include "bench_cases.h"
#include "bench_host.h"
#include "decode_orvo_string.h"
#include "measure.h"
#include "orvo_script_helper.h"
#include "orvo_string.h"
#include "orvo_stringlist.h"
#include "parsed_command.h"

namespace {

// A script with no behaviour of its own, so the helper's command operations can be called directly.
class BareScript : public orvo_script_helper {
public:
    explicit BareScript(orvo_host* host) : orvo_script_helper(host, "") {}
    void onButton(ButtonEvent*) override {}
    int32_t onRevertive(RevertiveEvent*) override { return 0; }
    orvo_string onParentRequest(ParentRequest*) override { return orvo_string(); }
    void onTimer(int32_t) override {}
};

void registerBlock(const char* name, void (*run)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, run)->Unit(benchmark::kNanosecond);
}

// --- parseCommand ------------------------------------------------------------------------------------

void parseCommand(benchmark::State& state, const char* message) {
    ParsedCommand parsed{};
    measure(state, nullptr, [&] {
        parsed.parseCommand(message);
        benchmark::DoNotOptimize(parsed.value);
        parsed.release();
    });
}

// --- decodeORVOString ----------------------------------------------------------------------------------

// An answer as long as a host gives: numbers, quoted names with blanks, an empty quoted field, and more
// fields than the splitter keeps.
std::string longAnswer() {
    std::string text = "12 0 'ZaD SDI Router' 'Studio B central apparatus room' '' rack14";
    for (int field = 0; field < 40; ++field) {
        text += " f" + std::to_string(field);
    }
    return text;
}

void split(benchmark::State& state, const char* answer) {
    measure(state, nullptr, [&] {
        decodeORVOString fields(answer, '\'');
        benchmark::DoNotOptimize(fields.tokens[1]);
    });
}

// --- orvo_string -------------------------------------------------------------------------------------

void argNumbers(benchmark::State& state) {
    const orvo_string format("RN %1 %2 %3");
    measure(state, nullptr, [&] {
        orvo_string text = format.arg(BenchHost::ROUTER).arg(1).arg(183);
        benchmark::DoNotOptimize(text.c_str());
    });
}

void argTexts(benchmark::State& state) {
    const orvo_string format("%1=%2");
    const orvo_string key("myParam");
    const orvo_string value("cam2");
    measure(state, nullptr, [&] {
        orvo_string text = format.arg(key).arg(value);
        benchmark::DoNotOptimize(text.c_str());
    });
}

// The textGet mismatch line filled by a chain of nine arg calls: every result is longer than a string
// holds without a block of its own.
void argLongLine(benchmark::State& state) {
    const orvo_string format(
        "textGet: value returned \"%1\" was not the value requested \"%2\" (value returned was \"%3\" from "
        "control \"%4\", on panel \"%5\")");
    const orvo_string key("SelectedIndex");
    const orvo_string param("selectedindex");
    const orvo_string reply("SelectedIndex=3");
    const orvo_string control("Mixer");
    const orvo_string panel("1");
    const orvo_string none;
    measure(state, nullptr, [&] {
        orvo_string line =
            format.arg(key).arg(param).arg(reply).arg(control).arg(panel).arg(none).arg(none).arg(none).arg(
                none);
        benchmark::DoNotOptimize(line.c_str());
    });
}

void toInt(benchmark::State& state, const char* text) {
    const orvo_string number(text);
    measure(state, nullptr, [&] { benchmark::DoNotOptimize(number.toInt()); });
}

// --- orvo_stringlist ---------------------------------------------------------------------------------

void listFromText(benchmark::State& state) {
    const orvo_string answer("alm_1,alm_2,alm_3,alm_4");
    measure(state, nullptr, [&] {
        orvo_stringlist controls(answer, ',');
        benchmark::DoNotOptimize(controls.count());
    });
}

void listAppend(benchmark::State& state) {
    const orvo_string a("notify=*");
    const orvo_string b("myParam=[value]");
    const orvo_string c("myParam=cam2");
    measure(state, nullptr, [&] {
        orvo_stringlist entries;
        entries << a << b << c;
        benchmark::DoNotOptimize(entries.count());
    });
}

void listToString(benchmark::State& state) {
    const orvo_stringlist controls(orvo_string("alm_1,alm_2,alm_3,alm_4"), ',');
    measure(state, nullptr, [&] {
        orvo_string joined = controls.toString('\n');
        benchmark::DoNotOptimize(joined.c_str());
    });
}

// A parent request's answer: one entry, joined with the newline character.
void listOneEntryAnswer(benchmark::State& state) {
    const orvo_string myParam("cam2");
    const orvo_string format("myParam=%1");
    measure(state, nullptr, [&] {
        orvo_stringlist parameters;
        parameters << format.arg(myParam);
        orvo_string answer = parameters.toString('\n');
        benchmark::DoNotOptimize(answer.c_str());
    });
}

// --- The fixed-buffer commands -------------------------------------------------------------------------

template <typename Command>
void helperCommand(benchmark::State& state, Command command) {
    BenchHost host;
    BareScript script(&host);
    measure(state, &host, [&] { command(script); });
}

}  // namespace

void registerBuildingBlocks() {
    benchmark::RegisterBenchmark("parseCommand/return=all", parseCommand, "return=all")
        ->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("parseCommand/cell.3.1=a.b", parseCommand, "cell.3.1=a.b")
        ->Unit(benchmark::kNanosecond);

    static const std::string kLongAnswer = longAnswer();
    benchmark::RegisterBenchmark("decodeORVOString/short", split, "12 0")->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("decodeORVOString/long", split, kLongAnswer.c_str())
        ->Unit(benchmark::kNanosecond);

    registerBlock("arg/three_numbers", argNumbers);
    registerBlock("arg/two_texts", argTexts);
    registerBlock("arg/nine_into_long_line", argLongLine);
    benchmark::RegisterBenchmark("toInt/decimal", toInt, "183")->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("toInt/negative", toInt, "-1")->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("toInt/blanks_and_overflow", toInt, "  99999999999")
        ->Unit(benchmark::kNanosecond);

    registerBlock("stringlist/split_4_entries", listFromText);
    registerBlock("stringlist/append_3_entries", listAppend);
    registerBlock("stringlist/toString_4_entries", listToString);
    registerBlock("stringlist/one_entry_answer", listOneEntryAnswer);

    auto command = [](const char* name, void (*send)(orvo_script_helper&)) {
        benchmark::RegisterBenchmark(name, helperCommand<void (*)(orvo_script_helper&)>, send)
            ->Unit(benchmark::kNanosecond);
    };
    command("helper/IR", [](orvo_script_helper& s) { s.infoRegister(BenchHost::TALLY, 181, 196, false); });
    command("helper/IR_ADD", [](orvo_script_helper& s) { s.infoRegister(BenchHost::TALLY, 181, 196, true); });
    command("helper/IR_longest_numbers",
            [](orvo_script_helper& s) { s.infoRegister(INT32_MIN, INT32_MIN, INT32_MIN, true); });
    command("helper/IP", [](orvo_script_helper& s) { s.infoPoll(BenchHost::TALLY, 181, 196); });
    command("helper/IU", [](orvo_script_helper& s) { s.infoUnregister(BenchHost::TALLY); });
    command("helper/ET_start", [](orvo_script_helper& s) { s.timerStart(1, 1000); });
    command("helper/ET_stop", [](orvo_script_helper& s) { s.timerStop(1); });
}
