// The pages of the report as the HTML report and the PDF show them: a session page, then one
// page per results file, each a well-formed SVG document whatever the file is called; the HTML
// report needs nothing outside itself.
#include "tools/report/Pages.h"
#include "tools/report/ReportHtml.h"

#include "files/ResultsFile.h"
#include "tests/support/Occurrences.h"

#include <gtest/gtest.h>

namespace tovask::report {
namespace {

using test::count;

TEST(Pages, ASessionPageThenOnePerResultsFile) {
    const std::string results = resultsHeaderLine() + "1 14 11 10 1 0.5 2 0 1 4\r\n"
                                                      "2 3 11 8 1 1.5 1.5 1 0 8\r\n";
    std::vector<std::string> notes;
    std::vector<Subject> subjects = {
        subjectOf({"a", "lab<1>/out&01.001", false, std::nullopt}, results, std::nullopt, notes),
        subjectOf({"b", "lab2/out01.001", true, std::nullopt}, results, std::nullopt, notes)};
    addPower(subjects, 100);

    const std::vector<Page> pages = reportPages(subjects);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[1].title, "lab<1>/out&01.001");
    for (const Page& page : pages) {
        EXPECT_TRUE(page.svg.starts_with("<svg xmlns=\"http://www.w3.org/2000/svg\""));
        EXPECT_EQ(count(page.svg, "<text"), count(page.svg, "</text>"));
    }
    EXPECT_NE(pages[0].svg.find("lab&lt;1&gt;/out&amp;01.001"), std::string::npos);
    EXPECT_EQ(pages[1].svg.find("lab<1>"), std::string::npos);
    EXPECT_NE(pages[2].svg.find("lab2/out01.001 (recovered from its run log)"), std::string::npos);
    EXPECT_NE(pages[1].svg.find("page 2 of 3"), std::string::npos);

    const std::string html = reportHtml(pages);
    EXPECT_EQ(count(html, "<section"), 3u);
    EXPECT_EQ(count(html, "<svg"), 3u);
    EXPECT_EQ(count(html, "<script"), 0u);
    // The only address in it is the name of SVG's namespace.
    EXPECT_EQ(count(html, "http"), count(html, "xmlns=\"http://www.w3.org/2000/svg\""));
}

} // namespace
} // namespace tovask::report
