// GARP violations and the CCEI on small lists worked out by hand. Each choice is the prices of
// the two goods and the bundle chosen; cost(t, s) below is p_t . x_s.
#include "tools/report/Consistency.h"

#include <gtest/gtest.h>

namespace tovask::report {
namespace {

TEST(Consistency, HandWorkedLists) {
    const struct {
        const char* name;
        std::vector<Choice> choices;
        int violations;
        double ccei;
    } cases[] = {
        // Costs (rows t, columns s): {6, 9, 12}, {6, 9, 12}, {4, 6, 8}. x3 is revealed preferred
        // to x1 and x2, x2 to x1, and nothing back: consistent though the lines cross.
        {"consistent", {{{1, 2}, {2, 2}}, {{2, 1}, {3, 3}}, {{1, 1}, {4, 4}}}, 0, 1},
        // E = 9 and 10; x2 costs 8 at the prices of 1, x1 costs 6 at the prices of 2. Each is
        // revealed preferred to the other and strictly cheaper: two violations. At efficiency e
        // they remain while e >= 8/9 and e > 6/10, so the index is max(8/9, 6/10) = 0.888...
        {"two problems", {{{1, 2}, {1, 4}}, {{2, 1}, {4, 2}}}, 2, 0.888},
        // Both chose about the crossing point (1, 1) of the lines: E = 3 each, and each bundle
        // costs 3 - 3e-9 at the other's prices. Within the tolerance that is no preference.
        {"ties within the tolerance",
         {{{1, 2}, {1 - 2e-9, 1 + 1e-9}}, {{2, 1}, {1 + 1e-9, 1 - 2e-9}}},
         0,
         1},
        // Costs {13, 6, 3}, {9, 5, 3}, {7, 10, 9}: A and C form the direct cycle; through it
        // C reaches B and B reaches A, two more violations. All need C R A: e >= 7/9.
        {"pairs added by the transitive closure",
         {{{3, 1}, {4, 1}}, {{2, 1}, {1, 3}}, {{1, 3}, {0, 3}}},
         4,
         0.777},
        {"one choice", {{{1, 1}, {0, 5}}}, 0, 1},
    };
    for (const auto& c : cases) {
        const Consistency result = consistency(c.choices);
        EXPECT_EQ(result.violations, c.violations) << c.name;
        EXPECT_DOUBLE_EQ(result.ccei, c.ccei) << c.name;
    }
}

// The ties above moved apart to 1e-5 of the expenditure, beyond the tolerance: now each bundle
// is strictly cheaper at the other's prices, a cycle.
TEST(Consistency, DifferencesBeyondTheToleranceCount) {
    const std::vector<Choice> apart = {{{1, 2}, {1 - 2e-5, 1 + 1e-5}},
                                       {{2, 1}, {1 + 1e-5, 1 - 2e-5}}};
    EXPECT_EQ(violations(apart, 1.0), 2);
}

} // namespace
} // namespace tovask::report
