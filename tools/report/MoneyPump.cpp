#include "tools/report/MoneyPump.h"

#include <algorithm>
#include <limits>

namespace tovask::report {

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// A graph whose cycles have a ratio: the sum of the amounts of their steps over the sum of the
// weights of their steps.
//
// Dinkelbach's iteration finds the cycle of largest (or least) ratio: given the ratio r of a
// cycle, look for a cycle whose sum of (amount - r weight) is above (below) 0, by Bellman-Ford,
// which finds it as a cycle of its predecessors; its ratio is beyond r; repeat until there is
// none. A closed walk's ratio is a weighted mean of the ratios of the simple cycles it is made
// of, so the cycle found is a best one among all simple cycles, as long as every cycle has a
// weight above 0.
class RatioGraph {
public:
    explicit RatioGraph(std::size_t size)
        : steps_(size), amounts_(size * size), weights_(size * size) {}

    std::size_t size() const { return steps_.size(); }
    // The nodes a step from t leads to, in rising order.
    const std::vector<std::size_t>& steps(std::size_t t) const { return steps_[t]; }
    double amount(std::size_t t, std::size_t s) const { return amounts_[t * size() + s]; }
    double weight(std::size_t t, std::size_t s) const { return weights_[t * size() + s]; }

    // Steps from a node are added in the rising order of the nodes they lead to.
    void addStep(std::size_t t, std::size_t s, double amount, double weight) {
        steps_[t].push_back(s);
        amounts_[t * size() + s] = amount;
        weights_[t * size() + s] = weight;
        slack_ = std::max(slack_, 1e-12 * weight);
    }

    // Summed from the cycle's smallest node on, so that a cycle has one figure.
    double ratio(const std::vector<std::size_t>& cycle) const {
        const auto first =
            static_cast<std::size_t>(std::ranges::min_element(cycle) - cycle.begin());
        double amounts = 0;
        double weights = 0;
        for (std::size_t k = 0; k < cycle.size(); ++k) {
            const std::size_t t = cycle[(first + k) % cycle.size()];
            const std::size_t s = cycle[(first + k + 1) % cycle.size()];
            amounts += amount(t, s);
            weights += weight(t, s);
        }
        return amounts / weights;
    }

    // From the ratio r of a cycle (or a figure beyond every cycle's), upwards (direction 1) or
    // downwards (-1); `best` becomes a cycle of the ratio found. When the budget runs out, the
    // bound on the other side is that of the ratios of single steps, or 0.
    Bounds<double> dinkelbach(double r, double direction, SearchBudget& budget,
                              std::vector<std::size_t>& best) const {
        while (auto cycle = cycleBeyond(r, direction, budget)) {
            const double next = ratio(*cycle);
            if (direction * (next - r) <= 0)
                break;
            r = next;
            best = std::move(*cycle);
        }
        if (!budget.spent())
            return {r, r};
        if (direction < 0)
            return {0.0, r};
        double most = r;
        for (std::size_t t = 0; t < size(); ++t)
            for (const std::size_t s : steps_[t])
                most = std::max(most, amount(t, s) / weight(t, s));
        return {r, most};
    }

private:
    // A cycle whose direction * sum(amount - r weight) exceeds the slack, by Bellman-Ford from
    // every node at once; empty when there is none or the budget is spent.
    std::optional<std::vector<std::size_t>> cycleBeyond(double r, double direction,
                                                        SearchBudget& budget) const {
        const std::size_t m = size();
        std::vector<double> gain(m, 0.0);
        std::vector<std::size_t> from(m, kNone);
        for (std::size_t round = 0; round <= m && budget.take(); ++round) {
            bool changed = false;
            for (std::size_t t = 0; t < m; ++t)
                for (const std::size_t s : steps_[t]) {
                    const double step = direction * (amount(t, s) - r * weight(t, s));
                    if (gain[t] + step > gain[s] + slack_) {
                        gain[s] = gain[t] + step;
                        from[s] = t;
                        changed = true;
                    }
                }
            if (!changed)
                return std::nullopt;
            if (auto cycle = predecessorCycle(from))
                return cycle;
        }
        return std::nullopt;
    }

    // A cycle of the predecessors, in the order of its steps.
    static std::optional<std::vector<std::size_t>>
    predecessorCycle(const std::vector<std::size_t>& from) {
        std::vector<std::size_t> walk(from.size(), kNone);
        for (std::size_t v = 0; v < from.size(); ++v) {
            std::size_t u = v;
            while (u != kNone && walk[u] == kNone) {
                walk[u] = v;
                u = from[u];
            }
            if (u == kNone || walk[u] != v)
                continue;
            std::vector<std::size_t> cycle = {u};
            for (std::size_t w = from[u]; w != u; w = from[w])
                cycle.push_back(w);
            std::ranges::reverse(cycle);
            return cycle;
        }
        return std::nullopt;
    }

    std::vector<std::vector<std::size_t>> steps_;
    std::vector<double> amounts_;
    std::vector<double> weights_;
    double slack_ = 0; // below the accuracy of a sum of weights
};

// Sets of ties larger than this are not searched for their longest paths.
constexpr int kLargestTieSet = 10;

// One strongly connected component of the direct relation that holds a strict step (every
// violating cycle lies within one), its choices numbered from 0. A step t -> s pumps
// E_t - p_t x_s where it is strict, 0 where it is within the tolerance (a tie); it weighs E_t.
//
// Its largest index is that of its cycle of largest ratio: a ratio above 0 needs a strict step.
//
// Its smallest is not the least ratio of a cycle where ties form cycles of their own: such a
// cycle (two problems with the same budget line, two choices at the same corner of two lines)
// has ratio 0 but violates nothing, and a walk around it lowers the ratio of any violating cycle
// it joins. So the choices joined by cycles of ties are taken as sets, and a cycle passes through
// a set from the choice it comes in at to the one it leaves from, along the path of ties between
// them that spends the most. In that graph every cycle has a strict step, and no violating cycle
// of the choices has a lower ratio than its counterpart, so its least ratio is a lower bound; it
// is the index sought where that cycle's paths through the sets never share a choice, for then
// they make a violating cycle of the choices of the same ratio. Where they share one, the simple
// cycles of the choices are searched one by one, within the budget.
class Component {
public:
    Component(const Costs& costs, const Relation& weak, const Relation& strict, ChoiceSet component)
        : members_(component.members()), choices_(members_.size()), steps_(members_.size()),
          strict_(members_.size()), ties_(members_.size()) {
        const std::size_t m = members_.size();
        for (std::size_t i = 0; i < m; ++i) {
            const std::size_t t = members_[i];
            spent_.push_back(costs.spent(t));
            for (std::size_t j = 0; j < m; ++j) {
                const std::size_t s = members_[j];
                if (i == j || !weak[t].contains(s))
                    continue;
                const bool isStrict = strict[t].contains(s);
                choices_.addStep(i, j, isStrict ? costs.spent(t) - costs.cost(t, s) : 0.0,
                                 costs.spent(t));
                steps_[i].insert(j);
                (isStrict ? strict_ : ties_)[i].insert(j);
            }
        }
    }

    Bounds<double> most(SearchBudget& budget) const {
        std::vector<std::size_t> cycle;
        return choices_.dinkelbach(0.0, 1.0, budget, cycle);
    }

    Bounds<double> least(SearchBudget& budget) const {
        const std::size_t m = members_.size();
        const double firstRatio =
            choices_.ratio(*violatingCycle(steps_, strict_, ChoiceSet::firstOf(m)));

        const Passes passes = passesThroughTies();
        std::vector<std::size_t> cycle;
        const Bounds<double> bound = passes.graph.dinkelbach(passes.beyondAll, -1.0, budget, cycle);
        if (!bound.exact())
            return {bound.low, firstRatio};
        // Node 2t is the way into choice t, node 2t + 1 the way out of it.
        std::vector<std::size_t> choices;
        ChoiceSet on;
        for (std::size_t k = 0; k < cycle.size(); ++k) {
            if (cycle[k] % 2 == 1)
                continue;
            if (passes.bounded.contains(cycle[k] / 2))
                return searchLeast(firstRatio, bound.low, budget);
            const Path& path = passes.paths[cycle[k] / 2][cycle[(k + 1) % cycle.size()] / 2];
            for (const std::size_t t : path) {
                if (on.contains(t))
                    return searchLeast(firstRatio, bound.low, budget);
                on.insert(t);
                choices.push_back(t);
            }
        }
        const double ratio = choices_.ratio(choices);
        return {ratio, ratio};
    }

private:
    using Path = std::vector<std::size_t>;

    // The graph of the ways into and out of each choice: into t -> out of u along the path of
    // ties from t to u that spends the most (pumping nothing, weighing what its choices spend);
    // out of t -> into s for each step t -> s between different sets of ties, and each strict
    // step within one (pumping what the step pumps, weighing nothing).
    struct Passes {
        RatioGraph graph;
        std::vector<std::vector<Path>> paths; // [t][u]: empty where there is none
        ChoiceSet bounded;    // the choices of sets too large to search: their paths are not real
        double beyondAll = 0; // above the ratio of every cycle
    };

    Passes passesThroughTies() const {
        const std::size_t m = members_.size();
        Passes passes{
            RatioGraph(2 * m), std::vector<std::vector<Path>>(m, std::vector<Path>(m)), {}, 0};
        std::vector<ChoiceSet> sets = components(ties_, ChoiceSet::firstOf(m));
        std::vector<std::size_t> setOf(m, kNone);
        for (std::size_t k = 0; k < sets.size(); ++k)
            for (const std::size_t t : sets[k].members())
                setOf[t] = k;
        double pumped = 1;
        double leastSpent = std::numeric_limits<double>::max();
        for (std::size_t t = 0; t < m; ++t) {
            leastSpent = std::min(leastSpent, spent_[t]);
            if (setOf[t] == kNone)
                passes.paths[t][t] = {t};
            else if (!longestTiePaths(sets[setOf[t]], t, passes.paths[t]))
                passes.bounded.insert(t);
            for (std::size_t u = 0; u < m; ++u)
                if (!passes.paths[t][u].empty())
                    passes.graph.addStep(2 * t, 2 * u + 1, 0.0, spentOn(passes.paths[t][u]));
            for (const std::size_t s : steps_[t].members())
                if (setOf[t] == kNone || setOf[t] != setOf[s] || strict_[t].contains(s)) {
                    passes.graph.addStep(2 * t + 1, 2 * s, choices_.amount(t, s), 0.0);
                    pumped += choices_.amount(t, s);
                }
        }
        // Every cycle passes through a choice, which weighs at least leastSpent.
        passes.beyondAll = 1 + pumped / leastSpent;
        return passes;
    }

    double spentOn(const Path& path) const {
        double spent = 0;
        for (const std::size_t t : path)
            spent += spent_[t];
        return spent;
    }

    // paths[u]: the path of ties from `from` to each u of the set that spends the most, by
    // dynamic programming over the subsets of the set. A set too large for that gets, and false,
    // a path that stands for all of its choices at once, which no real path can outspend.
    bool longestTiePaths(ChoiceSet set, std::size_t from, std::vector<Path>& paths) const {
        const std::vector<std::size_t> members = set.members();
        const std::size_t k = members.size();
        // Choices on the same budget line all tie with each other: a path can take every one.
        const bool complete = std::ranges::all_of(members, [&](std::size_t t) {
            ChoiceSet others = set;
            others.erase(t);
            return others.within(ties_[t]);
        });
        if (complete) {
            for (const std::size_t to : members) {
                paths[to] = {from};
                if (to == from)
                    continue;
                for (const std::size_t t : members)
                    if (t != from && t != to)
                        paths[to].push_back(t);
                paths[to].push_back(to);
            }
            return true;
        }
        if (k > kLargestTieSet) {
            for (const std::size_t u : members)
                paths[u] = members;
            return false;
        }
        const std::size_t start =
            static_cast<std::size_t>(std::ranges::find(members, from) - members.begin());
        const std::size_t subsets = std::size_t{1} << k;
        // spent[mask * k + v]: the most a path from `from` through mask ending at v spends.
        std::vector<double> spent(subsets * k, -1.0);
        std::vector<std::size_t> previous(subsets * k, kNone);
        spent[(std::size_t{1} << start) * k + start] = spent_[from];
        for (std::size_t mask = 1; mask < subsets; ++mask)
            for (std::size_t v = 0; v < k; ++v) {
                const double here = spent[mask * k + v];
                if (here < 0)
                    continue;
                for (std::size_t w = 0; w < k; ++w) {
                    const std::size_t next = mask | (std::size_t{1} << w);
                    if (next == mask || !ties_[members[v]].contains(members[w]))
                        continue;
                    if (here + spent_[members[w]] > spent[next * k + w]) {
                        spent[next * k + w] = here + spent_[members[w]];
                        previous[next * k + w] = v;
                    }
                }
            }
        for (std::size_t w = 0; w < k; ++w) {
            std::size_t bestMask = 0;
            for (std::size_t mask = 1; mask < subsets; ++mask)
                if (spent[mask * k + w] > spent[bestMask * k + w])
                    bestMask = mask;
            if (spent[bestMask * k + w] < 0)
                continue;
            Path path;
            for (std::size_t v = w, mask = bestMask; v != kNone;) {
                path.insert(path.begin(), members[v]);
                const std::size_t before = previous[mask * k + v];
                mask &= ~(std::size_t{1} << v);
                v = before;
            }
            paths[members[w]] = path;
        }
        return true;
    }

    // Every simple cycle with a strict step once, from its smallest member, depth first; a path
    // is left when even the cheapest way to close it cannot pump less than the best found. The
    // search ends early when the best found is within a billionth of the lower bound.
    Bounds<double> searchLeast(double best, double low, SearchBudget& budget) const {
        Search search{best, budget, std::numeric_limits<double>::max(), 0, {}, {}};
        for (std::size_t t = 0; t < members_.size(); ++t) {
            search.later += spent_[t];
            for (const std::size_t s : strict_[t].members())
                search.leastStep = std::min(search.leastStep, choices_.amount(t, s));
        }
        for (std::size_t start = 0; start < members_.size(); ++start) {
            if (search.best <= low * (1 + 1e-9))
                return {low, search.best};
            search.later -= spent_[start];
            search.path = {start};
            search.on = ChoiceSet();
            search.on.insert(start);
            extend(search, 0, spent_[start], false);
            if (budget.spent())
                return {std::min(low, search.best), search.best};
        }
        return {search.best, search.best};
    }

    struct Search {
        double best;
        SearchBudget& budget;
        double leastStep; // the least amount a strict step pumps
        double later;     // what the choices after the start and off the path spend
        Path path;
        ChoiceSet on;
    };

    void extend(Search& search, double pumped, double spent, bool hasStrict) const {
        if (!search.budget.take())
            return;
        const std::size_t start = search.path.front();
        const std::size_t v = search.path.back();
        if (search.path.size() > 1 && steps_[v].contains(start) &&
            (hasStrict || strict_[v].contains(start)))
            search.best = std::min(search.best, choices_.ratio(search.path));
        for (const std::size_t u : steps_[v].members()) {
            if (u <= start || search.on.contains(u))
                continue;
            const bool strict = hasStrict || strict_[v].contains(u);
            const double pumpedThen = pumped + choices_.amount(v, u);
            const double spentThen = spent + spent_[u];
            const double spentLater = search.later - spent_[u];
            // The least any cycle through this path can pump, over the most it can spend.
            if ((pumpedThen + (strict ? 0 : search.leastStep)) / (spentThen + spentLater) >=
                search.best)
                continue;
            search.path.push_back(u);
            search.on.insert(u);
            search.later = spentLater;
            extend(search, pumpedThen, spentThen, strict);
            search.later += spent_[u];
            search.on.erase(u);
            search.path.pop_back();
            if (search.budget.spent())
                return;
        }
    }

    std::vector<std::size_t> members_;
    std::vector<double> spent_;
    RatioGraph choices_;
    Relation steps_;  // t -> s: x_t directly revealed preferred to x_s
    Relation strict_; // the strict steps among them
    Relation ties_;   // the steps within the tolerance
};

} // namespace

MoneyPump moneyPump(const Costs& costs, std::int64_t steps) {
    const Relation weak = costs.weakRelation(1.0);
    const Relation strict = costs.strictRelation(1.0);
    SearchBudget leastBudget(steps);
    SearchBudget mostBudget(steps);
    std::optional<MoneyPump> pump;
    for (const ChoiceSet& component : violatingComponents(weak, strict)) {
        const Component graph(costs, weak, strict, component);
        const MoneyPump part{graph.least(leastBudget), graph.most(mostBudget)};
        if (!pump) {
            pump = part;
            continue;
        }
        pump->least = {std::min(pump->least.low, part.least.low),
                       std::min(pump->least.high, part.least.high)};
        pump->most = {std::max(pump->most.low, part.most.low),
                      std::max(pump->most.high, part.most.high)};
    }
    return pump.value_or(MoneyPump{});
}

} // namespace tovask::report
