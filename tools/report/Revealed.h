#pragma once
// Choices on budget lines and the preferences they reveal, which every consistency measure of
// the report is built on: what each bundle costs at each choice's prices, the direct relation
// at an efficiency, and sets of choices as bits.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tovask::report {

// One choice: the prices of the two goods and the bundle chosen. For an allocation problem the
// goods are the money of the two sides: prices (1/r1, 1/r2), bundle (r1 x, r2 (a - x)).
struct Choice {
    std::array<double, 2> price{};
    std::array<double, 2> bundle{};
};

// An allocation problem's budget line: the amount and the rates of the two sides.
struct BudgetLine {
    double amount = 0;
    double rateOne = 0;
    double rateTwo = 0;
    auto operator<=>(const BudgetLine&) const = default;
};

// The choice of x units to side one on a budget line.
Choice choiceOn(const BudgetLine& line, double unitsOne);

// Costs within this share of a choice's expenditure count as equal, so that the rounding of the
// files reveals no preference.
inline constexpr double kTolerance = 1e-6;

// A list holds at most this many choices (a problem file at most 100 problems).
inline constexpr std::size_t kMaxChoices = 128;

// A set of choices of one list, by their place in it.
class ChoiceSet {
public:
    static ChoiceSet firstOf(std::size_t n); // {0, ..., n - 1}
    void insert(std::size_t i) { words_[i / 64] |= bit(i); }
    void erase(std::size_t i) { words_[i / 64] &= ~bit(i); }
    bool contains(std::size_t i) const { return (words_[i / 64] & bit(i)) != 0; }
    bool empty() const { return (words_[0] | words_[1]) == 0; }
    int size() const { return std::popcount(words_[0]) + std::popcount(words_[1]); }
    // The smallest member; the set must not be empty.
    std::size_t first() const {
        return words_[0] != 0 ? static_cast<std::size_t>(std::countr_zero(words_[0]))
                              : 64 + static_cast<std::size_t>(std::countr_zero(words_[1]));
    }
    bool within(const ChoiceSet& other) const { return (*this - other).empty(); }
    ChoiceSet operator&(const ChoiceSet& o) const {
        return ChoiceSet({words_[0] & o.words_[0], words_[1] & o.words_[1]});
    }
    ChoiceSet operator|(const ChoiceSet& o) const {
        return ChoiceSet({words_[0] | o.words_[0], words_[1] | o.words_[1]});
    }
    ChoiceSet operator-(const ChoiceSet& o) const {
        return ChoiceSet({words_[0] & ~o.words_[0], words_[1] & ~o.words_[1]});
    }
    bool operator==(const ChoiceSet&) const = default;
    // The members in rising order.
    std::vector<std::size_t> members() const;

    ChoiceSet() = default;

private:
    explicit ChoiceSet(std::array<std::uint64_t, 2> words) : words_(words) {}
    static std::uint64_t bit(std::size_t i) { return std::uint64_t{1} << (i % 64); }
    std::array<std::uint64_t, 2> words_{};
};

// A relation on the choices of a list: row t is the set of s that t is related to.
using Relation = std::vector<ChoiceSet>;

// What each bundle costs at each choice's prices. Throws std::length_error beyond kMaxChoices.
class Costs {
public:
    explicit Costs(const std::vector<Choice>& choices);
    std::size_t size() const { return n_; }
    // p_t . x_s
    double cost(std::size_t t, std::size_t s) const { return costs_[t * n_ + s]; }
    // E_t = p_t . x_t
    double spent(std::size_t t) const { return cost(t, t); }
    // At efficiency e, x_t is directly revealed preferred to x_s when e E_t >= p_t x_s - tol E_t,
    // and strictly so when e E_t > p_t x_s + tol E_t.
    bool weakly(std::size_t t, std::size_t s, double efficiency) const {
        return efficiency * spent(t) >= cost(t, s) - kTolerance * spent(t);
    }
    bool strictly(std::size_t t, std::size_t s, double efficiency) const {
        return efficiency * spent(t) > cost(t, s) + kTolerance * spent(t);
    }
    // Row t: every s that x_t is (weakly or strictly) directly revealed preferred to.
    Relation weakRelation(double efficiency) const;
    Relation strictRelation(double efficiency) const;

private:
    template <typename Holds> Relation relation(Holds holds) const {
        Relation relation(n_);
        for (std::size_t t = 0; t < n_; ++t)
            for (std::size_t s = 0; s < n_; ++s)
                if (holds(t, s))
                    relation[t].insert(s);
        return relation;
    }

    std::size_t n_;
    std::vector<double> costs_;
};

// The transitive closure, in place (Warshall: whenever t reaches k, t reaches all k reaches).
void close(Relation& relation);

// The strongly connected components of the relation among the choices of `within` that have
// more than one member, in the order of their smallest member.
std::vector<ChoiceSet> components(const Relation& relation, ChoiceSet within);

// The components of the weak relation that hold a strict step: every cycle that violates GARP
// lies within one of them.
std::vector<ChoiceSet> violatingComponents(const Relation& weak, const Relation& strict);

// A simple cycle t1 -> ... -> tk -> t1 of `weak` within `within` of which at least one step is
// in `strict`, as its members; empty when there is none (the choices in `within` satisfy GARP).
// The cycle found is a shortest one through the first strict step found.
std::optional<std::vector<std::size_t>> violatingCycle(const Relation& weak, const Relation& strict,
                                                       ChoiceSet within);

} // namespace tovask::report
