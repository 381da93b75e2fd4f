#pragma once
// The plots of the report, each a picture of its own (Svg.h) that a page places: the share of
// the money to side one, the budget lines with the choices, the decision times, the CCEI of the
// session, and a subject's CCEI among the random choosers of the same budget lines.

#include "tools/report/Subject.h"
#include "tools/report/Svg.h"

#include <string>
#include <vector>

namespace tovask::report {

// A range with ticks at 1, 2 or 5 times a power of ten, widened to start and end on a tick.
struct Axis {
    double low = 0;
    double high = 1;
    double step = 0.2;
    std::vector<double> ticks() const;
};
// About `count` intervals; no step below minStep (1 for counts).
Axis niceAxis(double low, double high, int count = 5, double minStep = 0);

// The six problem types in order; a type's place among them picks its marker.
inline constexpr double kTypes[] = {11, 12, 13, 21, 22, 23};
int typeIndex(double pt);

// Each picture is width x height millimetres, its title and axis labels included.
svg::Picture sharesPlot(const Subject& subject, double width, double height);
svg::Picture budgetLinesPlot(const Subject& subject, double width, double height);
svg::Picture decisionTimesPlot(const Subject& subject, double width, double height);
// The CCEI of every results file over all its problems, beside what random choosers on the
// same budget lines would reach.
svg::Picture cceiDistribution(const std::vector<Subject>& subjects, double width, double height);
// The CCEIs of the random choosers of a scope's budget lines, and the subject's own.
svg::Picture randomChoosersPlot(const Scope& scope, double width, double height);
// The marker of each type and the lines of the share plot, in one row.
svg::Picture typeLegend(double width);

} // namespace tovask::report
