#pragma once
// The money pump index (Echenique, Lee and Shum 2011): the share of the expenditure that an
// arbitrageur could take from a subject around a cycle of choices that violates GARP.
//
// A violating cycle is a simple cycle t1 -> t2 -> ... -> tk -> t1 of the direct relation at
// efficiency 1 (Costs::weakly) of which at least one step is strict. Its index is
//     sum over i of (E_ti - p_ti . x_t(i+1))  /  sum over i of E_ti,
// where a step that is not strict (a cost within the tolerance of the expenditure) counts 0.

#include "tools/report/Revealed.h"
#include "tools/report/Search.h"

namespace tovask::report {

struct MoneyPump {
    Bounds<double> least; // the smallest index of a violating cycle
    Bounds<double> most;  // the largest
};

// Both 0 where no cycle violates GARP. The largest index is found in polynomial time, as is the
// smallest where every cycle of the relation has a strict step; where cycles of steps within
// the tolerance alone exist, the smallest is searched for within a budget of its own.
MoneyPump moneyPump(const Costs& costs, std::int64_t steps = kSearchSteps);

} // namespace tovask::report
