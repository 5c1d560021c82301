#include "shrink.h"

#include <algorithm>

StepList shrink(const StepList& failing, const std::function<bool(const StepList&)>& stillFails, int budget,
                bool keepFirst) {
    StepList current = failing;
    const size_t fixed = keepFirst && !current.empty() ? 1 : 0;
    size_t chunk = (current.size() - fixed + 1) / 2;
    while (chunk >= 1 && budget > 0) {
        bool cut = false;
        for (size_t at = fixed; at < current.size() && budget > 0;) {
            StepList candidate(current.begin(), current.begin() + static_cast<std::ptrdiff_t>(at));
            size_t end = std::min(current.size(), at + chunk);
            candidate.insert(candidate.end(), current.begin() + static_cast<std::ptrdiff_t>(end),
                             current.end());
            --budget;
            if (!candidate.empty() && stillFails(candidate)) {
                current = candidate;
                cut = true;
            } else {
                at = end;
            }
        }
        if (cut && chunk > 1) {
            chunk = (current.size() - fixed + 1) / 2;
        } else if (!cut) {
            chunk /= 2;
        }
    }
    return current;
}

ValueShrink shrinkValues(const StepList& failing,
                         const std::function<std::vector<std::string>(const std::string&)>& simpler,
                         const std::function<bool(const StepList&)>& stillFails, int budget, bool keepFirst) {
    ValueShrink result{failing, std::vector<bool>(failing.size(), false)};
    for (size_t at = keepFirst ? 1 : 0; at < result.steps.size() && budget > 0; ++at) {
        bool cut = true;
        while (cut && budget > 0) {
            cut = false;
            std::vector<std::string> forms = simpler(result.steps[at]);
            for (size_t form = 0; form < forms.size() && budget > 0; ++form) {
                StepList candidate = result.steps;
                candidate[at] = forms[form];
                --budget;
                if (stillFails(candidate)) {
                    result.steps = candidate;
                    result.valueFree[at] = result.valueFree[at] || form == 0;
                    cut = true;
                    break;
                }
            }
        }
    }
    return result;
}
