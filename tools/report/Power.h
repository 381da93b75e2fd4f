#pragma once
// Bronars' power of a design (Bronars 1987): how often a subject who chose at random on the
// same budget lines would violate GARP. And the CCEIs of those simulated subjects, to set a
// subject's own index beside.

#include "tools/report/Revealed.h"

#include <map>
#include <memory>
#include <vector>

namespace tovask::report {

inline constexpr int kPowerDraws = 1000;

struct Power {
    int draws = 0;
    double power = 0;          // the share of simulated subjects with a violation at efficiency 1
    std::vector<double> cceis; // their CCEIs in rising order, where asked for
    // The share of the simulated subjects whose CCEI is below this one.
    double shareBelow(double ccei) const;
};

// Each simulated subject chooses on each line, in the order of the lines sorted, x units to
// side one uniform on [0, a]: x = a u, u the next draw of the run's generator (base/Random.h,
// SplitMix64) put into its fixed state and seeded with 1987 for every list. So the figure
// depends on the lines alone, not on their order, and is the same on every platform.
Power simulatePower(std::vector<BudgetLine> lines, int draws, bool withCceis);

// The simulations of a session: subjects who share a list of budget lines, in any order, share
// its simulation, made once.
class PowerSimulations {
public:
    explicit PowerSimulations(int draws) : draws_(draws) {}
    std::shared_ptr<const Power> of(std::vector<BudgetLine> lines);

private:
    int draws_;
    std::map<std::vector<BudgetLine>, std::shared_ptr<const Power>> made_;
};

} // namespace tovask::report
