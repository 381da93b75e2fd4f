#include "tools/report/HoutmanMaks.h"

#include <algorithm>
#include <limits>

namespace tovask::report {

namespace {

// Every violating cycle lies within one strongly connected component of the direct relation,
// so each component is searched on its own. Within one, the search looks for a largest clique
// of the graph in which two choices are adjacent unless they break GARP between them (a
// violating cycle of two), by branch and bound with the bound of a greedy colouring (Tomita and
// Seki 2003): a colour is a set of choices each two of which are in conflict, so a consistent set
// holds at most one of each. Longer violating cycles are learnt as the search meets them: a set
// that is about to become the best found is checked in full, and a violating cycle in it becomes
// a set that no later set may hold whole.
class ComponentSearch {
public:
    ComponentSearch(const Relation& weak, const Relation& strict, ChoiceSet component,
                    SearchBudget& budget)
        : budget_(budget) {
        const std::vector<std::size_t> members = component.members();
        const std::size_t m = members.size();
        weak_.resize(m);
        strict_.resize(m);
        for (std::size_t i = 0; i < m; ++i)
            for (std::size_t j = 0; j < m; ++j) {
                if (weak[members[i]].contains(members[j]))
                    weak_[i].insert(j);
                if (strict[members[i]].contains(members[j]))
                    strict_[i].insert(j);
            }
        conflicts_.resize(m);
        for (std::size_t i = 0; i < m; ++i)
            for (std::size_t j = 0; j < m; ++j)
                if ((weak_[i].contains(j) && strict_[j].contains(i)) ||
                    (weak_[j].contains(i) && strict_[i].contains(j)))
                    conflicts_[i].insert(j);
        all_ = ChoiceSet::firstOf(m);
    }

    Bounds<int> run() {
        greedy();
        std::vector<std::size_t> order;
        std::vector<int> colours;
        colour(all_, order, colours);
        high_ = colours.empty() ? 0 : colours.back();
        if (budget_.spent())
            return {best_, std::max(best_, high_)};
        high_ = best_;
        expand(all_);
        return {best_, std::max(best_, high_)};
    }

private:
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

    // A consistent subset to start from: drop the choice with the most conflicts from a violating
    // cycle until none is left, then take back each dropped choice that breaks nothing.
    void greedy() {
        ChoiceSet kept = all_;
        std::vector<std::size_t> dropped;
        while (const auto cycle = violatingCycle(weak_, strict_, kept)) {
            const std::size_t worst = *std::ranges::max_element(
                *cycle, {}, [&](std::size_t v) { return (conflicts_[v] & kept).size(); });
            kept.erase(worst);
            dropped.push_back(worst);
        }
        for (auto v = dropped.rbegin(); v != dropped.rend(); ++v) {
            ChoiceSet more = kept;
            more.insert(*v);
            if (!violatingCycle(weak_, strict_, more))
                kept = more;
        }
        best_ = kept.size();
    }

    // The candidates in the order of their colour, each with the number of colours up to it.
    void colour(ChoiceSet candidates, std::vector<std::size_t>& order,
                std::vector<int>& colours) const {
        int k = 0;
        while (!candidates.empty()) {
            ++k;
            for (ChoiceSet same = candidates; !same.empty();) {
                const std::size_t v = same.first();
                candidates.erase(v);
                same.erase(v);
                same = same & conflicts_[v];
                order.push_back(v);
                colours.push_back(k);
            }
        }
    }

    bool completesLearnt(std::size_t v) const {
        return std::ranges::any_of(learnt_, [&](const ChoiceSet& cycle) {
            return cycle.contains(v) && (cycle - chosen_).size() == 1;
        });
    }

    // The chosen set is larger than the best: keep it if it is consistent, else learn a
    // violating cycle in it and go back to where the cycle is no longer chosen whole.
    void check() {
        const auto cycle = violatingCycle(weak_, strict_, chosen_);
        if (!cycle) {
            best_ = chosen_.size();
            return;
        }
        ChoiceSet learnt;
        for (const std::size_t v : *cycle)
            learnt.insert(v);
        learnt_.push_back(learnt);
        unwind_ = 0;
        for (std::size_t place = 0; place < stack_.size(); ++place)
            if (learnt.contains(stack_[place]))
                unwind_ = place;
    }

    void expand(ChoiceSet candidates) {
        std::vector<std::size_t> order;
        std::vector<int> colours;
        colour(candidates, order, colours);
        const int depth = static_cast<int>(stack_.size());
        if (!budget_.take()) {
            stopped_ = true;
            high_ = std::max(high_, depth + colours.back());
            return;
        }
        for (std::size_t i = order.size(); i-- > 0;) {
            if (depth + colours[i] <= best_)
                return;
            const std::size_t v = order[i];
            if (!completesLearnt(v)) {
                stack_.push_back(v);
                chosen_.insert(v);
                if (depth + 1 > best_)
                    check();
                const ChoiceSet next = candidates & (all_ - conflicts_[v]);
                if (unwind_ == kNone && !(next - chosen_).empty())
                    expand(next - chosen_);
                chosen_.erase(v);
                stack_.pop_back();
                if (stopped_) {
                    if (i > 0)
                        high_ = std::max(high_, depth + colours[i - 1]);
                    return;
                }
                if (unwind_ != kNone) {
                    if (unwind_ < stack_.size())
                        return;
                    unwind_ = kNone;
                }
            }
            candidates.erase(v);
        }
    }

    SearchBudget& budget_;
    Relation weak_; // the component's relations, its choices numbered from 0
    Relation strict_;
    Relation conflicts_; // the pairs that break GARP between them
    ChoiceSet all_;
    std::vector<ChoiceSet> learnt_;  // longer violating cycles met
    std::vector<std::size_t> stack_; // the chosen choices in the order chosen
    ChoiceSet chosen_;
    std::size_t unwind_ = kNone; // the place in stack_ up to which to go back
    int best_ = 0;
    int high_ = 0; // the bound of what the search left out when the budget ran out
    bool stopped_ = false;
};

} // namespace

Bounds<int> largestConsistentSubset(const Costs& costs, std::int64_t steps) {
    const int n = static_cast<int>(costs.size());
    const Relation weak = costs.weakRelation(1.0);
    const Relation strict = costs.strictRelation(1.0);
    SearchBudget budget(steps);
    Bounds<int> kept{n, n};
    for (const ChoiceSet& component : violatingComponents(weak, strict)) {
        const Bounds<int> part = ComponentSearch(weak, strict, component, budget).run();
        kept.low -= component.size() - part.low;
        kept.high -= component.size() - part.high;
    }
    return kept;
}

} // namespace tovask::report
