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

} // namespace tovask::report
