#pragma once
// The report as one HTML file: the pages' SVG inline, a list of them at the top, no script and
// no link to anything outside the file. A browser prints it one page per sheet of A4 landscape.

#include "tools/report/Pages.h"

#include <string>
#include <vector>

namespace tovask::report {

std::string reportHtml(const std::vector<Page>& pages);

} // namespace tovask::report
