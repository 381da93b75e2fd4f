// The results file lines and the names of the data files.
#include "files/ResultsFile.h"

#include "files/OperatingSystem.h"

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

// The reader takes back every line the writer makes, to the same bytes.
TEST(ResultsFile, ReadsBackWhatItWrites) {
    const std::vector<std::pair<Problem, Outcome>> lines = {
        {problem(14, 11, 10, 1, 0.5f, 2), outcome(0, 1, 5)},
        {problem(7, 12, 12, 0.1f, 1.0f / 3, 0.75f), outcome(1, 1, 0.1 + 0.2)},
        {problem(1, 11, 10, 1, 1, 1), outcome(std::nullopt, 1, 4)},
        {problem(-1, 23, 7.5, -0.5f, 1e-7f, 3e20f), outcome(0, 0, std::nullopt)},
    };
    const int numbers[] = {1, 2, 4, 100}; // a recovered file may leave problems out
    std::string text = resultsHeaderLine();
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += resultsLine(numbers[i], lines[i].first, lines[i].second);

    const auto records = parseResultsFile(text, "out01.001");
    ASSERT_EQ(records.size(), lines.size());
    std::string again = resultsHeaderLine();
    for (const ResultsRecord& r : records) {
        const Problem p = problem(r.orig, r.pt, r.a, static_cast<float>(r.e[1]),
                                  static_cast<float>(r.e[2]), static_cast<float>(r.e[3]));
        again += resultsLine(r.pn, p, r.outcome);
    }
    EXPECT_EQ(again, text);
    EXPECT_EQ(records[1].line, 3);
    EXPECT_EQ(records[1].e[1], 0.1); // the value of the text, not of the single-precision rate
    EXPECT_EQ(records[2].outcome.rev, std::nullopt);
    EXPECT_EQ(records[3].outcome.all, std::nullopt);
    EXPECT_TRUE(parseResultsFile(resultsHeaderLine(), "out01.001").empty());
}

TEST(ResultsFile, RefusesWhatTheProgramDoesNotWriteNamingLineAndField) {
    const std::string header = resultsHeaderLine();
    const std::string good = "1 14 11 10 1 0.5 2 0 1 5\r\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"", "f: the file is empty; a results file begins with the line \"pn orig(pn) pt(pn) "
             "a(pn) e(1,pn) e(2,pn) e(3,pn) rev(pn) inv(pn) all(pn)\""},
        {"pn orig\r\n" + good, "f:1: the first line is not the header line of a results file, "
                               "\"pn orig(pn) pt(pn) a(pn) e(1,pn) e(2,pn) e(3,pn) rev(pn) "
                               "inv(pn) all(pn)\""},
        {header + "1 14 11 10 1 0.5 2 0 1 5\n", "f:2: the line ends in a line feed without CR: the "
                                                "file was converted or edited after the run"},
        {header + good + "2 3 21 8", "f:3: the file ends inside this line, before its CR LF: the "
                                     "file is cut short"},
        {header + "1 14 11 10 1 0.5 2 0 1\r\n",
         "f:2: the line has 9 fields separated by single blanks; a results line has 10"},
        {header + "1 14 11 10 1 0.5 2 0 1 5 \r\n",
         "f:2: the line has 11 fields separated by single blanks; a results line has 10"},
        {header + "1 14 11 10,5 1 0.5 2 0 1 5\r\n",
         "f:2:4: \"10,5\" is not a number as the program writes it (a(pn))"},
        {header + "1 14 11 10.0 1 0.5 2 0 1 5\r\n",
         "f:2:4: \"10.0\" is not a number as the program writes it (a(pn))"},
        {header + "1 14 11 10 1 0.50000001 2 0 1 5\r\n",
         "f:2:6: \"0.50000001\" is not a number as the program writes it (e(2,pn))"},
        {header + "1 14 11 10 1 1e39 2 0 1 5\r\n",
         "f:2:6: \"1e39\" is not a number as the program writes it (e(2,pn))"},
        {header + "1 14 11  1 0.5 2 0 1 5\r\n", "f:2:4: the field a(pn) is empty"},
        {header + "1 14 31 10 1 0.5 2 0 1 5\r\n",
         "f:2:3: \"31\" is none of the types 11, 12, 13, 21, 22, 23 (pt(pn))"},
        {header + "1 14 11 10 1 0.5 2 2 1 5\r\n", "f:2:8: \"2\" is neither 0 nor 1 (rev(pn))"},
        {header + "1 14 11 10 1 0.5 2 0  5\r\n", "f:2:9: \"\" is neither 0 nor 1 (inv(pn))"},
        {header + "0 14 11 10 1 0.5 2 0 1 5\r\n",
         "f:2:1: \"0\" is no problem number from 1 to 100 (pn)"},
        {header + "101 14 11 10 1 0.5 2 0 1 5\r\n",
         "f:2:1: \"101\" is no problem number from 1 to 100 (pn)"},
        {header + good + good,
         "f:3:1: \"1\" follows problem 1: the problem numbers must rise (pn)"},
        {header + "1 14 11 10 1 0.5 2 0 1 5\r\r\n", "f:2: the line holds a CR before its end"},
        {header + "1 14 11 10 1 0.5 2 0 1 \x01\r\n",
         "f:2:10: \"\\x01\" is not a number as the program writes it (all(pn))"},
        // An answer the slider cannot give.
        {header + "1 14 11 10 1 0.5 2 0 1 99999\r\n",
         "f:2:10: \"99999\" is not between 0 and a(pn), 10 (all(pn))"},
        {header + "1 14 11 10 1 0.5 2 0 1 -0.5\r\n",
         "f:2:10: \"-0.5\" is not between 0 and a(pn), 10 (all(pn))"},
        {header + "1 14 11 -4 1 0.5 2 0 1 -5\r\n",
         "f:2:10: \"-5\" is not between 0 and a(pn), -4 (all(pn))"},
        // A field of a hundred thousand characters is cut in the message.
        {header + "1 14 11 10 1 0.5 2 0 1 " + std::string(100000, '9') + "\r\n",
         "f:2:10: \"" + std::string(100, '9') +
             "\xE2\x80\xA6\" (cut: 100000 characters in all) is not a number as the program "
             "writes it (all(pn))"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(failureOf([&] { parseResultsFile(c.text, "f"); }), c.message)
            << testing::PrintToString(c.text);
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
        EXPECT_EQ(dataFilePath(folder, c.prefix, c.dataFile, c.subject),
                  folder / "data" / os::pathFromUtf8(c.name))
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
        // Control characters are escaped, so the message is neither cut nor broken.
        {"a\tb", "a file name cannot hold the character with code 9", "a\\tb"},
        {"a\r\n", "a file name cannot hold the character with code 13", "a\\r\\n"},
        {std::string("a\0b", 3), "a file name cannot hold the character with code 0", "a\\x00b"},
        {"a\x7F", "a file name cannot hold the character with code 127", "a\\x7F"},
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
