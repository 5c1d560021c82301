// The lifecycle family: scripts created and destroyed as a host may, with no events between.
#include <algorithm>
#include <random>
#include <string>

#include "checks.h"
#include "storm_session.h"

namespace {

// The first few breaches, and how many more: a hundred scripts that break the same rule would otherwise
// make one report line of a hundred.
std::string joined(const std::vector<std::string>& lines) {
    const size_t shown = 3;
    std::string text;
    for (size_t i = 0; i < lines.size() && i < shown; ++i) {
        text += (text.empty() ? "" : "; ") + lines[i];
    }
    if (lines.size() > shown) {
        text += "; and " + std::to_string(lines.size() - shown) + " more";
    }
    return text;
}

}  // namespace

CheckResult checkNullHost(const CheckContext& context) {
    // The contract lets a host create a script with no host object; the script must then never call
    // through it, or it crashes (a CRASH result naming the call).
    const std::string missing = "/nonexistent/orvo/layouts";
    const std::string sitePath = basePathOf(context);  // kept: the paths below point into it
    const char* paths[] = {nullptr, "", missing.c_str(), sitePath.c_str()};
    for (const char* path : paths) {
        createWithNullHost(context.library, path);
    }
    return CheckResult::pass();
}

CheckResult checkBasePaths(const CheckContext& context) {
    const char* paths[] = {"", "/nonexistent/orvo/layouts"};
    for (const char* path : paths) {
        RawScript script(context, path);
        if (!script.created()) {
            return CheckResult::fail("the export returned no script",
                                     std::string("base path \"") + path + "\"");
        }
        std::vector<std::string> breaches = script.destroy();
        if (!breaches.empty()) {
            return CheckResult::fail(joined(breaches), std::string("base path \"") + path + "\"");
        }
    }
    return CheckResult::pass();
}

CheckResult checkManyScripts(const CheckContext& context) {
    const int count = 100;
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i) {
        order[static_cast<size_t>(i)] = count - 1 - i;
    }
    std::vector<std::string> breaches = manyScripts(context, order);
    if (!breaches.empty()) {
        return CheckResult::fail(joined(breaches), "100 scripts destroyed in reverse order");
    }
    std::mt19937_64 random(context.seed);
    std::shuffle(order.begin(), order.end(), random);
    breaches = manyScripts(context, order);
    if (!breaches.empty()) {
        return CheckResult::fail(joined(breaches), "100 scripts destroyed in random order");
    }
    return CheckResult::pass();
}
