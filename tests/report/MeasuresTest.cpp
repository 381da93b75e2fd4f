// The Houtman-Maks index, the money pump indices and the power on small lists worked out by
// hand, and both searches against every subset and every cycle of small random lists.
#include "tools/report/Consistency.h"
#include "tools/report/HoutmanMaks.h"
#include "tools/report/MoneyPump.h"
#include "tools/report/Power.h"

#include "base/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tovask::report {
namespace {

// The list "a cycle through a tie" below with one budget line eleven times: (8 + 0.1 i, 2 - 0.1 i)
// for i = 0 ... 10, then C.
std::vector<Choice> oneLineElevenTimes() {
    std::vector<Choice> choices;
    for (int i = 0; i <= 10; ++i)
        choices.push_back({{1, 1}, {8 + 0.1 * i, 2 - 0.1 * i}});
    choices.push_back({{0.5, 2}, {4, 4}});
    return choices;
}

// Rows t, columns s: what x_s costs at the prices of t (p_t . x_s); E_t on the diagonal.
TEST(Measures, HandWorkedLists) {
    const struct {
        const char* name;
        std::vector<Choice> choices;
        int consistent; // the largest subset that satisfies GARP
        double leastPump;
        double mostPump;
    } cases[] = {
        // Costs {6, 9, 12}, {6, 9, 12}, {4, 6, 8}: consistent though the lines cross.
        {"consistent", {{{1, 2}, {2, 2}}, {{2, 1}, {3, 3}}, {{1, 1}, {4, 4}}}, 3, 0, 0},
        // Costs {9, 8}, {6, 10}: one cycle, which pumps (9 - 8) + (10 - 6) of 9 + 10; keeping
        // either choice alone ends it.
        {"two problems", {{{1, 2}, {1, 4}}, {{2, 1}, {4, 2}}}, 1, 5.0 / 19, 5.0 / 19},
        // Costs {13, 6, 3}, {9, 5, 3}, {7, 10, 9}: A -> C -> A pumps 10 + 2 of 22, A -> B -> C
        // -> A pumps 7 + 2 + 2 of 27. Dropping B leaves the first; dropping A or C ends both.
        {"one problem must go",
         {{{3, 1}, {4, 1}}, {{2, 1}, {1, 3}}, {{1, 3}, {0, 3}}},
         2,
         11.0 / 27,
         12.0 / 22},
        // A (8, 2) and B (9, 1) on the same line, prices (1, 1), E = 10; C (4, 4) at prices
        // (0.5, 2), E = 10. Costs {10, 10, 8}, {10, 10, 8}, {8, 6.5, 10}: A and B tie both ways.
        // A -> C -> A pumps 4 of 20, B -> C -> B 5.5 of 20, and A -> B -> C -> A (through the tie)
        // 4 of 30: the least. A walk that goes round the tie A -> B -> A again and again would
        // bring the ratio near 0, but no simple cycle does.
        {"a cycle through a tie",
         {{{1, 1}, {8, 2}}, {{1, 1}, {9, 1}}, {{0.5, 2}, {4, 4}}},
         2,
         4.0 / 30,
         5.5 / 20},
        // Each choice i of the line pumps 2 towards C and C pumps 2 + 0.15 i towards it. The
        // least cycle comes in from C at i = 0 and passes all eleven ties: 4 of 120; the largest
        // is i = 10 <-> C: 5.5 of 20. Dropping C alone leaves only ties.
        {"one budget line eleven times", oneLineElevenTimes(), 11, 4.0 / 120, 5.5 / 20},
    };
    for (const auto& c : cases) {
        const Costs costs(c.choices);
        const Bounds<int> kept = largestConsistentSubset(costs);
        EXPECT_EQ(kept.low, c.consistent) << c.name;
        EXPECT_EQ(kept.high, c.consistent) << c.name;
        const MoneyPump pump = moneyPump(costs);
        EXPECT_DOUBLE_EQ(pump.least.low, c.leastPump) << c.name;
        EXPECT_DOUBLE_EQ(pump.least.high, c.leastPump) << c.name;
        EXPECT_DOUBLE_EQ(pump.most.low, c.mostPump) << c.name;
        EXPECT_DOUBLE_EQ(pump.most.high, c.mostPump) << c.name;
    }
}

// Small lists on few budget lines with choices at the corners and on a grid, so that ties and
// repeated lines are common: both searches must find what trying every subset and every simple
// cycle finds, and with a budget too small to finish, bounds around it.
TEST(Measures, AgreeWithTryingEverything) {
    const BudgetLine lines[] = {{10, 1, 1}, {10, 2, 1}, {20, 0.5, 1}, {10, 1, 2}, {5, 2, 2}};
    Random random;
    random.reset();
    for (int list = 0; list < 400; ++list) {
        const int n = 2 + static_cast<int>(random.next() * 7);
        std::vector<Choice> choices;
        for (int i = 0; i < n; ++i) {
            const BudgetLine& line = lines[static_cast<int>(random.next() * 5)];
            const double share = list % 2 == 0 ? static_cast<int>(random.next() * 6) / 5.0
                                               : static_cast<double>(random.next());
            choices.push_back(choiceOn(line, line.amount * share));
        }
        const Costs costs(choices);

        int consistent = 0;
        for (int mask = 1; mask < 1 << n; ++mask) {
            std::vector<Choice> subset;
            for (int i = 0; i < n; ++i)
                if ((mask >> i & 1) != 0)
                    subset.push_back(choices[static_cast<std::size_t>(i)]);
            if (violations(subset, 1.0) == 0)
                consistent = std::max(consistent, static_cast<int>(subset.size()));
        }
        double least = 0;
        double most = 0;
        bool violated = false;
        std::vector<std::size_t> path;
        const std::function<void()> extend = [&] {
            const std::size_t start = path.front();
            for (std::size_t u = start; u < costs.size(); ++u) {
                if (!costs.weakly(path.back(), u, 1) || std::ranges::count(path, u) > (u == start))
                    continue;
                if (u != start) {
                    path.push_back(u);
                    extend();
                    path.pop_back();
                    continue;
                }
                double pumped = 0;
                double spent = 0;
                bool strict = false;
                for (std::size_t k = 0; k < path.size(); ++k) {
                    const std::size_t t = path[k];
                    const std::size_t s = path[(k + 1) % path.size()];
                    if (costs.strictly(t, s, 1)) {
                        strict = true;
                        pumped += costs.spent(t) - costs.cost(t, s);
                    }
                    spent += costs.spent(t);
                }
                if (!strict || path.size() < 2)
                    continue;
                least = violated ? std::min(least, pumped / spent) : pumped / spent;
                most = std::max(most, pumped / spent);
                violated = true;
            }
        };
        for (std::size_t start = 0; start < costs.size(); ++start) {
            path = {start};
            extend();
        }

        const Bounds<int> kept = largestConsistentSubset(costs);
        const MoneyPump pump = moneyPump(costs);
        ASSERT_TRUE(kept.exact() && pump.least.exact() && pump.most.exact()) << list;
        EXPECT_EQ(kept.low, consistent) << list;
        EXPECT_NEAR(pump.least.low, least, 1e-12) << list;
        EXPECT_NEAR(pump.most.low, most, 1e-12) << list;
        for (const std::int64_t steps : {0, 2, 10}) {
            const Bounds<int> k = largestConsistentSubset(costs, steps);
            EXPECT_TRUE(k.low <= consistent && consistent <= k.high) << list << " " << steps;
            const MoneyPump p = moneyPump(costs, steps);
            EXPECT_TRUE(p.least.low <= least + 1e-12 && least <= p.least.high + 1e-12) << list;
            EXPECT_TRUE(p.most.low <= most + 1e-12 && most <= p.most.high + 1e-12) << list;
        }
    }
}

TEST(Measures, PowerOfADesign) {
    // Lines that never cross: every money bundle of the smaller one is cheaper on the larger, so
    // no random choices can violate GARP, and no simulated CCEI is below 1.
    const Power nested = simulatePower({{10, 1, 1}, {20, 1, 1}, {30, 1, 1}}, 1000, true);
    EXPECT_EQ(nested.power, 0);
    EXPECT_EQ(nested.shareBelow(1), 0);

    // Money intercepts (10, 20) and (20, 10): choices x on the first and y on the second break
    // GARP when y < 10/3 and x > 20/3, so the power is 1/9 give or take the draws.
    const std::vector<BudgetLine> crossing = {{10, 1, 2}, {10, 2, 1}};
    const Power power = simulatePower(crossing, 1000, true);
    EXPECT_NEAR(power.power, 1.0 / 9, 0.03);
    // The same figure every time, in any order of the lines, on every platform (this test runs
    // under Wine too).
    EXPECT_EQ(power.power, 0.123);
    EXPECT_EQ(simulatePower({crossing[1], crossing[0]}, 1000, false).power, 0.123);
    EXPECT_EQ(power.shareBelow(1), 0.123);
    EXPECT_EQ(power.cceis.size(), 1000u);
}

} // namespace
} // namespace tovask::report
