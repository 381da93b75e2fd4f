// The results file lines and the names of the data files.
#include "files/ResultsFile.h"

#include "tests/files/FileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tovask {
namespace {

namespace fs = std::filesystem;
using test::failureOf;

Problem problem(double orig, double pt, double a, float e1, float e2, float e3) {
    Problem p;
    p.orig = orig;
    p.pt = pt;
    p.a = a;
    p.e = {0, e1, e2, e3};
    return p;
}

Outcome outcome(std::optional<int> rev, std::optional<int> inv, std::optional<double> all) {
    Outcome o;
    o.rev = rev;
    o.inv = inv;
    o.all = all;
    return o;
}

// The fields of a line without its CR LF, split at every single blank.
std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result(1);
    for (const char c : line.substr(0, line.size() - 2)) {
        if (c == ' ')
            result.emplace_back();
        else
            result.back() += c;
    }
    return result;
}

TEST(ResultsFile, HeaderLineIsExact) {
    EXPECT_EQ(resultsHeaderLine(),
              "pn orig(pn) pt(pn) a(pn) e(1,pn) e(2,pn) e(3,pn) rev(pn) inv(pn) all(pn)\r\n");
}

TEST(ResultsFile, LinesHoldTenFieldsEndingInCrLf) {
    const struct {
        const char* name;
        int pn;
        Problem problem;
        Outcome outcome;
        std::string line;
    } cases[] = {
        {"first example problem", 1, problem(14, 11, 10, 1, 0.5f, 2), outcome(0, 1, 5),
         "1 14 11 10 1 0.5 2 0 1 5\r\n"},
        {"rates 2.5, 0 and 10", 2, problem(3, 21, 8, 2.5f, 0, 10), outcome(1, 0, 3.25),
         "2 3 21 8 2.5 0 10 1 0 3.25\r\n"},
        {"single rates written to seven digits", 3, problem(7, 12, 12, 0.1f, 1.0f / 3, 0.75f),
         outcome(1, 1, 6), "3 7 12 12 0.1 0.3333333 0.75 1 1 6\r\n"},
        {"fractional amount and allocation", 10, problem(4, 22, 7.5, 2, 1, 2),
         outcome(0, 0, 0.1 + 0.2), "10 4 22 7.5 2 1 2 0 0 0.3\r\n"},
        {"negative values", 100, problem(-1, 13, -3, -0.5f, 1, 1), outcome(0, 0, -2.5),
         "100 -1 13 -3 -0.5 1 1 0 0 -2.5\r\n"},
        {"empty rev leaves two blanks side by side", 4, problem(1, 11, 10, 1, 1, 1),
         outcome(std::nullopt, 1, 4), "4 1 11 10 1 1 1  1 4\r\n"},
    };
    for (const auto& c : cases) {
        const std::string line = resultsLine(c.pn, c.problem, c.outcome);
        EXPECT_EQ(line, c.line) << c.name;
        EXPECT_EQ(fields(line).size(), 10u) << c.name;
        EXPECT_NE(line.substr(line.size() - 3), " \r\n") << c.name;
    }
}

TEST(ResultsFile, EmptyValuesAreWrittenAsNothing) {
    // Nothing stored yet: the fields stay in their places, empty.
    const std::string line = resultsLine(5, problem(2, 23, 16, 2, 2, 1), Outcome{});
    const std::vector<std::string> expected = {"5", "2", "23", "16", "2", "2", "1", "", "0", ""};
    EXPECT_EQ(fields(line), expected) << line;
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    EXPECT_NE(line.find("1  0"), std::string::npos) << line;
}

TEST(DataFilePath, JoinsPrefixDataFileTextAndSubjectSuffix) {
    const fs::path folder = fs::path("lab") / "tovask";
    const struct {
        const char* prefix;
        const char* dataFile;
        const char* subject;
        const char* name;
    } cases[] = {
        {"inp", "01", "1", "inp01.001"},
        {"out", "01", "1", "out01.001"},
        {"out", "01", "0", "out01.000"},
        {"out", "01", "9", "out01.009"},
        {"out", "01", "10", "out01.010"},
        {"out", "01", "99", "out01.099"},
        {"out", "01", "100", "out01.100"},
        {"out", "01", "123", "out01.123"},
        {"out", "01", "-3", "out01.00-3"},
        {"out", "01", "07", "out01.0007"},
        {"inp", "", "1", "inp.001"},
        {"inp", "pilot-A_2", "42", "inppilot-A_2.042"},
        {"inp", "a.b", "1", "inpa.b.001"},
        {"inp", "two words", "1", "inptwo words.001"},
        {"inp", "caff\xC3\xA8", "1", "inpcaff\xC3\xA8.001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dataFilePath(folder, c.prefix, c.dataFile, c.subject), folder / "data" / c.name)
            << c.name;
}

TEST(DataFilePath, RefusesSubjectNumbersThatAreNoNumbers) {
    EXPECT_EQ(failureOf([] { dataFilePath("lab", "out", "01", "x1"); }),
              "the subject number \"x1\" is not a number");
}

TEST(CheckDataFileName, RefusesTextsThatCannotBePartOfAFileName) {
    const std::string longest(kMaxDataFileName, 'a');
    EXPECT_EQ(failureOf([&] { checkDataFileName(longest); }), "");
    EXPECT_EQ(failureOf([] { checkDataFileName("01"); }), "");

    const auto refusal = [](const std::string& text, const std::string& why) {
        return "The input data file text \"" + text + "\" cannot be part of a file name: " + why +
               ".";
    };
    const struct {
        std::string text;
        std::string why;
        std::string shown; // the text as the message shows it, when it differs
    } cases[] = {
        {std::string(kMaxDataFileName + 1, 'a'), "it is longer than 64 characters", ""},
        {"..", "it contains \"..\"", ""},
        {"01..", "it contains \"..\"", ""},
        {"../01", "it contains \"..\"", ""},
        {"a/b", "it contains a path separator", ""},
        {"a\\b", "it contains a path separator", ""},
        {"/etc", "it contains a path separator", ""},
        {"c:", "a file name cannot hold the character \":\"", ""},
        {"a*", "a file name cannot hold the character \"*\"", ""},
        {"a?", "a file name cannot hold the character \"?\"", ""},
        {"<a", "a file name cannot hold the character \"<\"", ""},
        {"a>", "a file name cannot hold the character \">\"", ""},
        {"a|b", "a file name cannot hold the character \"|\"", ""},
        {"a\"b", "a file name cannot hold the character \"\"\"", ""},
        // Control characters are shown as "?", so the message is neither cut nor broken.
        {"a\tb", "a file name cannot hold the character with code 9", "a?b"},
        {"a\r\n", "a file name cannot hold the character with code 13", "a??"},
        {std::string("a\0b", 3), "a file name cannot hold the character with code 0", "a?b"},
        {"a\x7F", "a file name cannot hold the character with code 127", "a?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(failureOf([&] { checkDataFileName(c.text); }),
                  refusal(c.shown.empty() ? c.text : c.shown, c.why))
            << testing::PrintToString(c.text);
        EXPECT_EQ(failureOf([&] { dataFilePath("lab", "out", c.text, "1"); }),
                  refusal(c.shown.empty() ? c.text : c.shown, c.why))
            << testing::PrintToString(c.text);
    }
}

} // namespace
} // namespace tovask
