#include "tools/report/Power.h"

#include "base/Random.h"
#include "tools/report/Consistency.h"

#include <algorithm>

namespace tovask::report {

double Power::shareBelow(double ccei) const {
    const auto below = std::ranges::lower_bound(cceis, ccei) - cceis.begin();
    return cceis.empty() ? 0.0 : static_cast<double>(below) / static_cast<double>(cceis.size());
}

Power simulatePower(std::vector<BudgetLine> lines, int draws, bool withCceis) {
    std::ranges::sort(lines);
    Random random;
    random.reset();
    random.seed(1987);
    Power result;
    result.draws = draws;
    int violating = 0;
    std::vector<Choice> choices(lines.size());
    for (int draw = 0; draw < draws; ++draw) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            choices[i] = choiceOn(lines[i], lines[i].amount * random.next());
        const Costs costs(choices);
        if (withCceis) {
            const Consistency c = consistency(costs);
            violating += c.violations > 0 ? 1 : 0;
            result.cceis.push_back(c.ccei);
        } else {
            violating += violations(costs, 1.0) > 0 ? 1 : 0;
        }
    }
    std::ranges::sort(result.cceis);
    result.power = draws > 0 ? static_cast<double>(violating) / draws : 0.0;
    return result;
}

std::shared_ptr<const Power> PowerSimulations::of(std::vector<BudgetLine> lines) {
    std::ranges::sort(lines);
    std::shared_ptr<const Power>& made = made_[lines];
    if (!made)
        made = std::make_shared<const Power>(simulatePower(lines, draws_, true));
    return made;
}

} // namespace tovask::report
