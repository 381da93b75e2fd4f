#pragma once
// Whether a subject's choices on budget lines are consistent with maximising some preference
// (GARP), and how far from it they are (Afriat's critical cost efficiency index).

#include "tools/report/Revealed.h"

#include <vector>

namespace tovask::report {

// R is the transitive closure of the direct relation at efficiency e (Costs::weakly). A
// violation is an ordered pair t != s with x_t R x_s and x_s strictly directly revealed
// preferred to x_t.
int violations(const Costs& costs, double efficiency);
int violations(const std::vector<Choice>& choices, double efficiency);

struct Consistency {
    int violations = 0; // at efficiency 1
    double ccei = 1;    // the largest efficiency without a violation, to within 0.001 below
};

// The index is found by bisection on the thousandths of [0, 1]: it is k / 1000 with no
// violation at k / 1000 and one at (k + 1) / 1000; 1 when there is none at efficiency 1.
Consistency consistency(const Costs& costs);
Consistency consistency(const std::vector<Choice>& choices);

} // namespace tovask::report
