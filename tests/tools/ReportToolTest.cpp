// tovask-report as the experimenter runs it, on two PCs' data folders: one results file is
// malformed and the rest are still in the report.
#include "files/ResultsFile.h"
#include "files/RunLog.h"
#include "files/TextFile.h"
#include "tests/support/Occurrences.h"
#include "tests/support/TestServices.h"
#include "tests/tools/Process.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

// What tovask-report writes, read back by the tests.
constexpr FileToRead kWritten{"report output", 64 * reading::kMiB};

TEST(ReportTool, AMalformedFileIsNamedAndTheOthersAreReported) {
    TestServices lab01;
    TestServices lab02;
    const std::string good =
        resultsHeaderLine() + "1 14 11 10 1 0.5 2 0 1 4\r\n" + "2 3 21 8 1 1.5 1.5 1 0 6\r\n";
    lab01.writeData("out01.001", good);
    lab01.writeData("out01.001.log", std::string(RunLog::kHeader) + "\n" +
                                         "t,9,4,problem_answered,1,4,moves=3 decision_ms=2500\n");
    lab02.writeData("out01.001", resultsHeaderLine() + "1 14 11 10 1 0,5 2 0 1 4\r\n");
    lab02.writeData("out02.001.recovered", good);
    const fs::path out = lab01.programFolder() / "report";

    const Finished run = runToEnd({TOVASK_REPORT_EXE, "--out", out.string(),
                                   (lab01.programFolder() / "data").string(),
                                   (lab02.programFolder() / "data").string()});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    const std::string malformed = (lab02.programFolder() / "data" / "out01.001").generic_string();
    EXPECT_NE(run.output.find(malformed + ":2:6: \"0,5\" is not a number as the program writes "
                                          "it (e(2,pn)); the file is left out"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("out02.001.recovered: read in place of out02.001"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("2 results files read (1 recovered, 1 with decision times from "
                              "the run log), 4 problems"),
              std::string::npos)
        << run.output;

    const std::string decisions = readFileBytes(out / "decisions.csv", kWritten);
    EXPECT_EQ(count(decisions, "\n"), 5u) << decisions;
    EXPECT_NE(decisions.find(",2500,3\n"), std::string::npos) << decisions;
    EXPECT_EQ(count(readFileBytes(out / "subjects.csv", kWritten), ",all,"), 2u);
    // A page for the session and one for each of the two files read, in the HTML report and
    // in the PDF rendered from the same pages.
    EXPECT_EQ(count(readFileBytes(out / "report.html", kWritten), "<section"), 3u);
    const std::string pdf = readFileBytes(out / "report.pdf", kWritten);
    EXPECT_TRUE(pdf.starts_with("%PDF-"));
    EXPECT_EQ(count(pdf, "/Type /Page\n"), 3u);
    // Its texts are text, in an embedded font, not outlines.
    EXPECT_GT(count(pdf, "/FontFile2"), 0u);

    const Finished wrong = runToEnd({TOVASK_REPORT_EXE, "--power-draws", "1.5", "--out",
                                     out.string(), (lab01.programFolder() / "data").string()});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.output.find("--power-draws needs a whole number from 0 to 1000000"),
              std::string::npos)
        << wrong.output;
}

} // namespace
} // namespace tovask::test
