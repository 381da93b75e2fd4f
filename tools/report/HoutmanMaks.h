#pragma once
// The Houtman-Maks index: how many of a subject's choices together satisfy GARP at most.

#include "tools/report/Revealed.h"
#include "tools/report/Search.h"

namespace tovask::report {

// The size of a largest subset of the choices that satisfies GARP (at efficiency 1, with the
// tolerance of Costs). Exact where the search ends within the budget; otherwise the largest
// subset found and a bound that no subset exceeds.
Bounds<int> largestConsistentSubset(const Costs& costs, std::int64_t steps = kSearchSteps);

} // namespace tovask::report
