#include "tools/report/ReportHtml.h"

#include "tools/report/Svg.h"

namespace tovask::report {

namespace {

constexpr const char* kStyle = R"(body { margin: 0; background: #d6d6d6; color: #000;
  font-family: "DejaVu Sans", Verdana, Arial, sans-serif; font-size: 14px; }
nav { max-width: 297mm; margin: 12px auto; line-height: 1.7; }
nav a { margin-right: 1.2em; color: #00568f; white-space: nowrap; }
section { max-width: 297mm; margin: 12px auto; background: #fff;
  box-shadow: 0 1px 4px rgba(0, 0, 0, 0.35); }
section svg { display: block; width: 100%; height: auto; }
@page { size: A4 landscape; margin: 0; }
@media print {
  body { background: none; }
  nav { display: none; }
  section { margin: 0; max-width: none; box-shadow: none; width: 297mm; height: 210mm;
    break-after: page; page-break-after: always; }
  section:last-child { break-after: auto; page-break-after: auto; }
  section svg { width: 297mm; height: 210mm; }
}
)";

} // namespace

std::string reportHtml(const std::vector<Page>& pages) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>tovask-report</title>\n<style>\n" +
                       std::string(kStyle) + "</style>\n</head>\n<body>\n<nav>";
    for (std::size_t i = 0; i < pages.size(); ++i)
        html += "<a href=\"#page-" + std::to_string(i + 1) + "\">" + svg::escaped(pages[i].title) +
                "</a>\n";
    html += "</nav>\n";
    for (std::size_t i = 0; i < pages.size(); ++i)
        html +=
            "<section id=\"page-" + std::to_string(i + 1) + "\">\n" + pages[i].svg + "</section>\n";
    return html + "</body>\n</html>\n";
}

} // namespace tovask::report
