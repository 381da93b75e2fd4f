#pragma once
// Whether a subject's choices on budget lines are consistent with maximising some preference
// (GARP), and how far from it they are (Afriat's critical cost efficiency index).

#include <array>
#include <vector>

namespace tovask::report {

// One choice: the prices of the two goods and the bundle chosen. For an allocation problem the
// goods are the money of the two sides: prices (1/r1, 1/r2), bundle (r1 x, r2 (a - x)).
struct Choice {
    std::array<double, 2> price{};
    std::array<double, 2> bundle{};
};

// Costs within this share of a choice's expenditure count as equal, so that the rounding of the
// files reveals no preference.
inline constexpr double kTolerance = 1e-6;

// At efficiency e, x_t is directly revealed preferred to x_s when e E_t >= p_t x_s - tol E_t
// (E_t = p_t x_t), and strictly so when e E_t > p_t x_s + tol E_t; R is the transitive closure
// of the first. A violation is an ordered pair t != s with x_t R x_s and x_s strictly directly
// revealed preferred to x_t.
int violations(const std::vector<Choice>& choices, double efficiency);

struct Consistency {
    int violations = 0; // at efficiency 1
    double ccei = 1;    // the largest efficiency without a violation, to within 0.001 below
};

// The index is found by bisection on the thousandths of [0, 1]: it is k / 1000 with no
// violation at k / 1000 and one at (k + 1) / 1000; 1 when there is none at efficiency 1.
Consistency consistency(const std::vector<Choice>& choices);

} // namespace tovask::report
