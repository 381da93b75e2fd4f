#pragma once
// The report's plots as a PDF document: a page (or more) for the session, then one page per
// subject. Declared without Qt, so the program's main needs none of its headers.

#include "tools/report/Subject.h"

#include <string>
#include <vector>

namespace tovask::report {

// The bytes of the PDF file. Starts Qt's GUI layer (offscreen: no display is needed) when the
// program has not.
std::string reportPdf(const std::vector<Subject>& subjects);

} // namespace tovask::report
