#include "tools/report/Revealed.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tovask::report {

Choice choiceOn(const BudgetLine& line, double unitsOne) {
    return {{1 / line.rateOne, 1 / line.rateTwo},
            {line.rateOne * unitsOne, line.rateTwo * (line.amount - unitsOne)}};
}

ChoiceSet ChoiceSet::firstOf(std::size_t n) {
    ChoiceSet set;
    for (std::size_t i = 0; i < n; ++i)
        set.insert(i);
    return set;
}

std::vector<std::size_t> ChoiceSet::members() const {
    std::vector<std::size_t> result;
    for (ChoiceSet rest = *this; !rest.empty();) {
        result.push_back(rest.first());
        rest.erase(result.back());
    }
    return result;
}

Costs::Costs(const std::vector<Choice>& choices) : n_(choices.size()), costs_(n_ * n_) {
    if (n_ > kMaxChoices)
        throw std::length_error("a list of " + std::to_string(n_) + " choices; at most " +
                                std::to_string(kMaxChoices) + " are measured");
    for (std::size_t t = 0; t < n_; ++t)
        for (std::size_t s = 0; s < n_; ++s)
            costs_[t * n_ + s] = choices[t].price[0] * choices[s].bundle[0] +
                                 choices[t].price[1] * choices[s].bundle[1];
}

Relation Costs::weakRelation(double efficiency) const {
    return relation([&](std::size_t t, std::size_t s) { return weakly(t, s, efficiency); });
}

Relation Costs::strictRelation(double efficiency) const {
    return relation([&](std::size_t t, std::size_t s) { return strictly(t, s, efficiency); });
}

void close(Relation& relation) {
    for (std::size_t k = 0; k < relation.size(); ++k)
        for (ChoiceSet& row : relation)
            if (row.contains(k))
                row = row | relation[k];
}

std::vector<ChoiceSet> components(const Relation& relation, ChoiceSet within) {
    Relation reaches(relation.size());
    for (const std::size_t t : within.members())
        reaches[t] = relation[t] & within;
    close(reaches);
    std::vector<ChoiceSet> result;
    for (ChoiceSet rest = within; !rest.empty();) {
        const std::size_t t = rest.first();
        ChoiceSet component;
        component.insert(t);
        for (const std::size_t s : reaches[t].members())
            if (reaches[s].contains(t))
                component.insert(s);
        rest = rest - component;
        if (component.size() > 1)
            result.push_back(component);
    }
    return result;
}

std::vector<ChoiceSet> violatingComponents(const Relation& weak, const Relation& strict) {
    std::vector<ChoiceSet> result = components(weak, ChoiceSet::firstOf(weak.size()));
    std::erase_if(result, [&](const ChoiceSet& component) {
        const std::vector<std::size_t> members = component.members();
        return std::ranges::none_of(
            members, [&](std::size_t t) { return !(strict[t] & component).empty(); });
    });
    return result;
}

std::optional<std::vector<std::size_t>> violatingCycle(const Relation& weak, const Relation& strict,
                                                       ChoiceSet within) {
    Relation reaches(weak.size());
    for (const std::size_t t : within.members())
        reaches[t] = weak[t] & within;
    close(reaches);
    for (const std::size_t s : within.members()) {
        // A strict step s -> t closes a cycle when t reaches s: the shortest path t -> ... -> s
        // by breadth-first search, every choice on it once.
        for (const std::size_t t : (strict[s] & within).members()) {
            if (!reaches[t].contains(s))
                continue;
            std::vector<std::size_t> from(weak.size(), weak.size());
            std::vector<std::size_t> queue = {t};
            ChoiceSet seen;
            seen.insert(t);
            for (std::size_t next = 0; !seen.contains(s); ++next)
                for (const std::size_t u : ((weak[queue[next]] & within) - seen).members()) {
                    seen.insert(u);
                    from[u] = queue[next];
                    queue.push_back(u);
                }
            std::vector<std::size_t> cycle = {s};
            while (cycle.front() != t)
                cycle.insert(cycle.begin(), from[cycle.front()]);
            return cycle;
        }
    }
    return std::nullopt;
}

} // namespace tovask::report
