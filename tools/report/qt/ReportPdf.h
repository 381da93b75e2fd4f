#pragma once
// The report's pages as a PDF document, each page rendered from its SVG by Qt Svg: the same
// pictures as the HTML report, drawn by no other code. Declared without Qt, so the program's
// main needs none of its headers.

#include "tools/report/Pages.h"

#include <string>
#include <vector>

namespace tovask::report {

// The bytes of the PDF file. Starts Qt's GUI layer (offscreen: no display is needed) when the
// program has not.
std::string reportPdf(const std::vector<Page>& pages);

} // namespace tovask::report
