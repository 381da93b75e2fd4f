#pragma once
// What the measures that may take exponential time share: a budget of work, and the bounds they
// give when it runs out before the search has proved its figure.

#include <cstdint>

namespace tovask::report {

// Counted in steps of the search, not in seconds, so that the same input gives the same figures
// on every PC, however fast or busy it is.
class SearchBudget {
public:
    explicit SearchBudget(std::int64_t steps) : left_(steps) {}
    // Takes the steps; false once the budget is spent.
    bool take(std::int64_t steps = 1) {
        left_ -= steps;
        return left_ >= 0;
    }
    bool spent() const { return left_ < 0; }

private:
    std::int64_t left_;
};

// The steps of each search per scope: about half a second (README, Performance).
inline constexpr std::int64_t kSearchSteps = 1'000'000;

// The figure lies in [low, high]; it is proved where the two are equal.
template <typename T> struct Bounds {
    T low{};
    T high{};
    bool exact() const { return low == high; }
};

} // namespace tovask::report
