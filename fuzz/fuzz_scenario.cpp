// Fuzzes the scenario reader, which turns each line a user writes or types into a Step. Every input is
// either a list of steps or an InputError naming the file and line; and each step, read again from the
// line as the transcript shows it, is the same step.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "input_error.h"
#include "scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        for (const Step& step : readScenario(in, "s.scenario")) {
            FUZZ_REQUIRE(step.line >= 1);
            std::optional<Step> again = parseStep(step.source, "s.scenario", step.line);
            FUZZ_REQUIRE(again.has_value());
            FUZZ_REQUIRE(again->kind == step.kind && again->name == step.name && again->param == step.param &&
                         again->text == step.text && again->first == step.first &&
                         again->second == step.second && again->none == step.none);
        }
    } catch (const InputError& error) {
        FUZZ_REQUIRE(std::string(error.what()).compare(0, 11, "s.scenario:") == 0);
    }
    return 0;
}
