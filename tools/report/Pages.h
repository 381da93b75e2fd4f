#pragma once
// The pages of the report, A4 landscape, each one SVG document: the session's (a table of the
// results files, 30 a page, and the distribution of the CCEI), then one page per results file.
// The HTML report shows them inline, and on Linux the PDF is rendered from them.

#include "tools/report/Subject.h"

#include <string>
#include <vector>

namespace tovask::report {

inline constexpr double kPageWidth = 297; // millimetres
inline constexpr double kPageHeight = 210;

struct Page {
    std::string title; // the session, or the results file
    std::string svg;
};

std::vector<Page> reportPages(const std::vector<Subject>& subjects);

} // namespace tovask::report
