#pragma once
// The two tables of a session in CSV, one header line and one line per row, for R, Python or a
// spreadsheet. Numbers are written as the results file writes them, with a point in any locale.

#include "tools/report/Subject.h"

#include <string>
#include <vector>

namespace tovask::report {

// One row per results file and problem.
std::string decisionsCsv(const std::vector<Subject>& subjects);
// One row per results file and scope.
std::string subjectsCsv(const std::vector<Subject>& subjects);

// The figures of the searches of a scope as the tables write them: the Houtman-Maks index, the
// money pump indices to 6 decimals. Empty where the scope has no used problem, or where the
// bounds the search proved give different figures (searchNote says which).
struct SearchFigures {
    std::optional<double> hmi;
    std::optional<double> mpiMin;
    std::optional<double> mpiMax;
};
SearchFigures searchFigures(const Scope& scope);
// The bounds of each figure that the search could not prove within its budget; empty where
// there is none.
std::string searchNote(const Scope& scope);

} // namespace tovask::report
