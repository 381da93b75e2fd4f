#include "tools/report/Consistency.h"

#include <limits>

namespace tovask::report {

namespace {

// The violations at this efficiency, counted up to `enough`.
int countViolations(const Costs& costs, double efficiency, int enough) {
    Relation preferred = costs.weakRelation(efficiency);
    close(preferred);
    int count = 0;
    for (std::size_t t = 0; t < costs.size(); ++t)
        for (const std::size_t s : preferred[t].members())
            if (t != s && costs.strictly(s, t, efficiency) && ++count == enough)
                return count;
    return count;
}

} // namespace

int violations(const Costs& costs, double efficiency) {
    return countViolations(costs, efficiency, std::numeric_limits<int>::max());
}

int violations(const std::vector<Choice>& choices, double efficiency) {
    return violations(Costs(choices), efficiency);
}

Consistency consistency(const Costs& costs) {
    Consistency result;
    result.violations = violations(costs, 1.0);
    if (result.violations == 0)
        return result;
    // No choice is strictly preferred at efficiency 0, so 0 holds and 1 does not.
    int holds = 0;
    int fails = 1000;
    while (fails - holds > 1) {
        const int middle = (holds + fails) / 2;
        (countViolations(costs, middle / 1000.0, 1) > 0 ? fails : holds) = middle;
    }
    result.ccei = holds / 1000.0;
    return result;
}

Consistency consistency(const std::vector<Choice>& choices) {
    return consistency(Costs(choices));
}

} // namespace tovask::report
