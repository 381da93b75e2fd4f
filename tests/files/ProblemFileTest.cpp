// The problem input file: a count N, then seven items per problem.
#include "files/ProblemFile.h"

#include "tests/files/FileTestSupport.h"
#include "tests/support/TestServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tovask {
namespace {

namespace fs = std::filesystem;
using test::CollectDiagnostics;
using test::failureOf;

struct WrongNumber {
    int pn;
    int line;
    int item;
    bool operator==(const WrongNumber&) const = default;
};

struct Parsed {
    ProblemList list;
    std::vector<WrongNumber> wrongNumbers;
};

Parsed parse(const std::string& bytes) {
    Parsed parsed;
    ThrowOnError diagnostics;
    parsed.list =
        parseProblemFile(bytes, "inp01.001", diagnostics, [&parsed](int pn, const Location& where) {
            EXPECT_EQ(where.file, "inp01.001");
            parsed.wrongNumbers.push_back({pn, where.line, where.item});
        });
    return parsed;
}

// The error the problem file raises.
std::string errorOf(const std::string& bytes) {
    return failureOf([&] { parse(bytes); });
}

void expectSameProblems(const ProblemList& actual, const ProblemList& expected,
                        const std::string& name) {
    ASSERT_EQ(actual.count, expected.count) << name;
    EXPECT_EQ(actual.maxAmount, expected.maxAmount) << name;
    for (int p = 0; p <= ProblemList::kMaxProblems; ++p) {
        const Problem& a = actual.problems[p];
        const Problem& e = expected.problems[p];
        EXPECT_EQ(a.orig, e.orig) << name << " problem " << p;
        EXPECT_EQ(a.pt, e.pt) << name << " problem " << p;
        EXPECT_EQ(a.a, e.a) << name << " problem " << p;
        EXPECT_EQ(a.e, e.e) << name << " problem " << p;
    }
}

// A file of n problems, problem p being "p,p,11,10,1,1,1".
std::string problems(int announced, int present) {
    std::string text = std::to_string(announced) + "\r\n";
    for (int p = 1; p <= present; ++p)
        text += std::to_string(p) + "," + std::to_string(p) + ",11,10,1,1,1\r\n";
    return text;
}

const char* const kExample = "2\r\n1,14,11,10,1,0.5,2\r\n2,3,21,8,1,1.5,0.75\r\n";

TEST(ProblemFile, ReadsTheExampleOfTwoProblems) {
    const Parsed parsed = parse(kExample);
    const ProblemList& list = parsed.list;
    EXPECT_TRUE(parsed.wrongNumbers.empty());
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.maxAmount, 10);

    const Problem& first = list.problems[1];
    EXPECT_EQ(first.orig, 14);
    EXPECT_EQ(first.pt, 11);
    EXPECT_EQ(first.a, 10);
    EXPECT_EQ(first.e, (std::array<float, 4>{0, 1, 0.5f, 2}));

    const Problem& second = list.problems[2];
    EXPECT_EQ(second.orig, 3);
    EXPECT_EQ(second.pt, 21);
    EXPECT_EQ(second.a, 8);
    EXPECT_EQ(second.e, (std::array<float, 4>{0, 1, 1.5f, 0.75f}));

    // Index 0 and the places beyond the count stay empty.
    EXPECT_EQ(list.problems[0].a, 0);
    EXPECT_EQ(list.problems[3].pt, 0);
}

TEST(ProblemFile, LineBreaksCarryNoMeaning) {
    const ProblemList expected = parse(kExample).list;
    const struct {
        const char* name;
        std::string bytes;
    } layouts[] = {
        {"all on one line", "2,1,14,11,10,1,0.5,2,2,3,21,8,1,1.5,0.75"},
        {"one item to a line", "2\n1\n14\n11\n10\n1\n0.5\n2\n2\n3\n21\n8\n1\n1.5\n0.75\n"},
        {"split anywhere", "2,1,14\r\n11,10\r\n1,0.5,2,2\r\n3,21,8,1\r\n1.5\r\n0.75"},
        {"blanks and empty lines",
         "  2 \r\n\r\n 1 , 14,11 ,10,1, 0.5,2\r\n\r\n2,3,21,8,1,1.5,0.75"},
        {"CR line ends", "2\r1,14,11,10,1,0.5,2\r2,3,21,8,1,1.5,0.75\r"},
        {"other notations", "2e0\r\n+1,14.0,1.1e1,10,1,.5,2\r\n2,3,21,8,1,1.5,75e-2\r\n"},
        {"items after the last problem", std::string(kExample) + "3,9,9,9,9,9,9\r\n"},
    };
    for (const auto& layout : layouts)
        expectSameProblems(parse(layout.bytes).list, expected, layout.name);
}

TEST(ProblemFile, AWrongProblemNumberIsReportedAndTheProblemKept) {
    const struct {
        const char* name;
        std::string bytes;
        std::vector<WrongNumber> calls;
    } cases[] = {
        {"numbered 1, 2, 4",
         "3\r\n1,1,11,10,1,1,1\r\n2,2,12,10,1,1,1\r\n4,3,13,10,1,1,1\r\n",
         {{3, 4, 1}}},
        {"two wrong",
         "3\r\n1,1,11,10,1,1,1\r\n5,2,12,10,1,1,1\r\n0,3,13,10,1,1,1\r\n",
         {{2, 3, 1}, {3, 4, 1}}},
        {"all on one line", "2,2,1,11,10,1,1,1,1,2,12,10,1,1,1", {{1, 1, 2}, {2, 1, 9}}},
        {"right after rounding", "2\r\n1.4,1,11,10,1,1,1\r\n2.5,2,12,10,1,1,1\r\n", {}},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.bytes);
        EXPECT_EQ(parsed.wrongNumbers, c.calls) << c.name;
        ASSERT_GE(parsed.list.count, 2) << c.name;
        for (int p = 1; p <= parsed.list.count; ++p) {
            EXPECT_EQ(parsed.list.problems[p].orig, p) << c.name << " problem " << p;
            EXPECT_EQ(parsed.list.problems[p].pt, 10 + p) << c.name << " problem " << p;
        }
    }
}

TEST(ProblemFile, MaxAmountIsTheLargestAmountRoundedHalfToEven) {
    const struct {
        const char* name;
        std::vector<std::string> amounts;
        int maxAmount;
    } cases[] = {
        {"12.5 rounds down to even", {"10", "12.5", "7"}, 12},
        {"13.5 rounds up to even", {"10", "13.5"}, 14},
        {"largest first", {"20", "3", "7.5"}, 20},
        {"one small positive amount", {"0.6"}, 1},
        {"negative and zero amounts beside a positive one", {"-3", "0", "5"}, 5},
        {"highest that fits", {"32767.4"}, 32767},
    };
    for (const auto& c : cases) {
        std::string bytes = std::to_string(c.amounts.size()) + "\r\n";
        for (std::size_t p = 1; p <= c.amounts.size(); ++p)
            bytes += std::to_string(p) + ",1,11," + c.amounts[p - 1] + ",1,1,1\r\n";
        const Parsed parsed = parse(bytes);
        EXPECT_EQ(parsed.list.maxAmount, c.maxAmount) << c.name;
        EXPECT_EQ(parsed.list.count, static_cast<int>(c.amounts.size())) << c.name;
    }
}

TEST(ProblemFile, OneHundredProblemsAreReadCompletely) {
    const Parsed parsed = parse(problems(100, 100));
    EXPECT_EQ(parsed.list.count, 100);
    EXPECT_TRUE(parsed.wrongNumbers.empty());
    EXPECT_EQ(parsed.list.problems[100].orig, 100);
    EXPECT_EQ(parsed.list.problems[100].e[3], 1.0f);
}

TEST(ProblemFile, RefusesBadContentNamingFileLineItemAndText) {
    test::expectForEach(
        {
            {"101 problems", problems(101, 101),
             "inp01.001:1:1: the number of problems must be a whole number from 1 to 100, not 101"},
            {"no problems", "0\r\n",
             "inp01.001:1:1: the number of problems must be a whole number from 1 to 100, not 0"},
            {"fractional count", "1.5\r\n1,1,11,10,1,1,1\r\n",
             "inp01.001:1:1: the number of problems must be a whole number from 1 to 100, not 1.5"},
            {"count not a number", "two\r\n",
             "inp01.001:1:1: \"two\" is not a number (the number of problems)"},
            {"type not a number", "2\r\n1,14,11,10,1,0.5,2\r\n2,3,abc,8,1,1.5,0.75\r\n",
             "inp01.001:3:3: \"abc\" is not a number (type of problem 2)"},
            {"comma decimal shifts the later items",
             "2\r\n1,14,11,10,1,0,5,2\r\n2,3,21,8,1,1.5,0.75\r\n",
             "inp01.001:3:2: the type \"3\" of problem 2 is none of 11, 12, 13, 21, 22, 23"},
            {"quoted number", "1\r\n1,14,11,\"10\",1,0.5,2\r\n",
             "inp01.001:2:4: \"10\" is not a number (amount of problem 1)"},
            {"empty item", "1\r\n1,14,11,10,,0.5,2\r\n",
             "inp01.001:2:5: \"\" is not a number (first rate of problem 1)"},
            {"comma before a line end within a problem", "1\r\n1,14,11,\r\n10,1,0.5,2\r\n",
             "inp01.001:2:4: \"\" is not a number (amount of problem 1)"},
            {"comma before a line end between problems",
             "2\r\n1,14,11,10,1,0.5,2,\r\n2,3,21,8,1,1.5,0.75\r\n",
             "inp01.001:2:8: \"\" is not a number (its own number of problem 2)"},
            {"third rate missing", "2\r\n1,14,11,10,1,0.5,2\r\n2,3,21,8,1,1.5\r\n",
             "inp01.001:4: the file ends where third rate of problem 2 should follow"},
            {"problem missing", "2\r\n1,14,11,10,1,0.5,2\r\n",
             "inp01.001:3:1: the file ends after 1 of the 2 problems it announces"},
            {"empty file", "",
             "inp01.001:1: the file ends where the number of problems should follow"},
            {"unknown type", "2\r\n1,14,11,10,1,0.5,2\r\n2,3,24,8,1,1.5,0.75\r\n",
             "inp01.001:3:3: the type \"24\" of problem 2 is none of 11, 12, 13, 21, 22, 23"},
            {"type zero", "1\r\n1,14,0,10,1,0.5,2\r\n",
             "inp01.001:2:3: the type \"0\" of problem 1 is none of 11, 12, 13, 21, 22, 23"},
            {"amount above 32767", "1\r\n1,14,11,40000,1,0.5,2\r\n",
             "inp01.001:2:4: the amount 40000 of problem 1 is above 32767"},
            {"amount rounding to 32768", "2\r\n1,14,11,10,1,0.5,2\r\n2,3,21,32767.5,1,1,1\r\n",
             "inp01.001:3:4: the amount 32767.5 of problem 2 is above 32767"},
            // A rate is held in single precision: beyond it, the subject would see "EUR inf".
            {"rate beyond single precision", "1\r\n1,14,11,10,1,1e39,2\r\n",
             "inp01.001:2:6: \"1e39\" is beyond the largest single-precision number, about "
             "3.4e38 (second rate of problem 1)"},
            {"negative rate beyond single precision", "1\r\n1,14,11,10,1,0.5,-4e38\r\n",
             "inp01.001:2:7: \"-4e38\" is beyond the largest single-precision number, about "
             "3.4e38 (third rate of problem 1)"},
            {"number beyond double precision", "1\r\n1,1e999,11,10,1,0.5,2\r\n",
             "inp01.001:2:2: \"1e999\" is not a number (orig of problem 1)"},
            {"a NUL byte", std::string("1\r\n1,14,11,1\0,1,0.5,2\r\n", 22),
             "inp01.001:2: the file holds a NUL byte, so it was most likely saved as UTF-16: save "
             "it as UTF-8 or ANSI"},
        },
        errorOf);
}

TEST(ProblemFile, RefusesAFileWithoutAPositiveWholeAmount) {
    const std::string message = "inp01.001: no amount is positive (as a whole number), so no bar "
                                "can be scaled; at least one amount must be more than 0.5";
    for (const std::string amount : {"0.4", "0", "-3", "0.5"})
        EXPECT_EQ(errorOf("1\r\n1,14,11," + amount + ",1,1,1\r\n"), message) << amount;
}

TEST(ProblemFile, ReportsEveryFaultInOnePassWhenTheDiagnosticsGoOn) {
    CollectDiagnostics diagnostics;
    std::vector<int> wrong;
    const ProblemList list = parseProblemFile(
        "3\r\n1,1,11,x,1,1,1\r\n2,2,31,10,1,1,1\r\n7,3,22,-4,2,-1,3\r\n9,9\r\n", "inp01.001",
        diagnostics, [&wrong](int pn, const Location&) { wrong.push_back(pn); });
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list.problems[2].a, 10);
    EXPECT_EQ(list.maxAmount, 10);
    EXPECT_EQ(wrong, std::vector<int>{3});
    const std::vector<std::string> errors = {
        "inp01.001:2:4: \"x\" is not a number (amount of problem 1)",
        "inp01.001:3:3: the type \"31\" of problem 2 is none of 11, 12, 13, 21, 22, 23",
    };
    EXPECT_EQ(diagnostics.errors, errors);
    const std::vector<std::string> warnings = {
        "inp01.001:2:4: the amount x of problem 1 is not positive",
        "inp01.001:4:5: the two rates of the pair of problem 3 differ; the subject will see "
        "\"Error in data in problem 3\"",
        "inp01.001:4:6: the rate -1 of problem 3 is negative",
        "inp01.001:4:4: the amount -4 of problem 3 is not positive",
        "inp01.001:5:1: items after the last of the 3 announced problems are not read",
    };
    EXPECT_EQ(diagnostics.warnings, warnings);
}

TEST(ProblemFile, ReadsFromTheDataFolderOrNamesTheMissingFile) {
    test::TestServices services;
    services.writeData("inp01.001", kExample);
    ThrowOnError diagnostics;
    const auto ignore = [](int, const Location&) {};
    const fs::path path = services.programFolder() / "data" / "inp01.001";
    const ProblemList list = readProblemFile(path, diagnostics, ignore);
    EXPECT_EQ(list.count, 2);

    services.writeData("inp01.002", "1\r\n1,1,abc,10,1,1,1\r\n");
    const fs::path bad = services.programFolder() / "data" / "inp01.002";
    EXPECT_EQ(failureOf([&] { readProblemFile(bad, diagnostics, ignore); }),
              bad.string() + ":2:3: \"abc\" is not a number (type of problem 1)");

    const fs::path missing = services.programFolder() / "data" / "inp01.003";
    const std::string message = failureOf([&] { readProblemFile(missing, diagnostics, ignore); });
    EXPECT_EQ(message.rfind("cannot open the problem file " + missing.string(), 0), 0u) << message;
}

TEST(ProblemFile, BundledListsReadWithoutFault) {
    for (const char* name : {"inp01.001", "inp02.001"}) {
        CollectDiagnostics diagnostics;
        int wrongNumbers = 0;
        const ProblemList list =
            readProblemFile(fs::path(TOVASK_SOURCE_DATA) / name, diagnostics,
                            [&wrongNumbers](int, const Location&) { ++wrongNumbers; });
        EXPECT_TRUE(diagnostics.errors.empty()) << name << ": " << diagnostics.errors.front();
        EXPECT_TRUE(diagnostics.warnings.empty()) << name << ": " << diagnostics.warnings.front();
        EXPECT_EQ(wrongNumbers, 0) << name;
        EXPECT_GT(list.count, 0) << name;
        for (int p = 1; p <= list.count; ++p)
            EXPECT_TRUE(isKnownType(list.problems[p].pt)) << name << " problem " << p;
    }
    ThrowOnError diagnostics;
    const ProblemList list = readProblemFile(fs::path(TOVASK_SOURCE_DATA) / "inp01.001",
                                             diagnostics, [](int, const Location&) {});
    EXPECT_EQ(list.count, 12);
    EXPECT_EQ(list.maxAmount, 20);
    EXPECT_EQ(list.problems[10].a, 7.5);
    EXPECT_EQ(list.problems[12].e, (std::array<float, 4>{0, 3, 1, 1}));
}

TEST(ProblemTypes, PairTypesNameTheirTwoGroups) {
    const struct {
        int pt;
        bool known;
        bool pair;
    } types[] = {{11, true, false},  {12, true, false}, {13, true, false},  {21, true, true},
                 {22, true, true},   {23, true, true},  {14, false, false}, {20, false, false},
                 {24, false, false}, {0, false, false}, {-11, false, false}};
    for (const auto& t : types) {
        EXPECT_EQ(isKnownType(t.pt), t.known) << t.pt;
        EXPECT_EQ(isPairType(t.pt), t.pair) << t.pt;
    }
    EXPECT_FALSE(isKnownType(11.5));
    EXPECT_EQ(pairGroups(21), (std::array<int, 2>{2, 3}));
    EXPECT_EQ(pairGroups(22), (std::array<int, 2>{1, 3}));
    EXPECT_EQ(pairGroups(23), (std::array<int, 2>{1, 2}));
    // Side one, then side two (a single group twice), for 11, 12, 13, 21, 22, 23.
    const int sides[][3] = {{2, 3, 3}, {1, 3, 3}, {1, 2, 2}, {1, 2, 3}, {2, 1, 3}, {3, 1, 2}};
    for (int k = 0; k < 6; ++k) {
        const double type = k < 3 ? 11 + k : 18 + k;
        const auto s = sidesOf(type);
        ASSERT_TRUE(s) << type;
        EXPECT_EQ((std::array<int, 3>{s->one, s->two[0], s->two[1]}),
                  (std::array<int, 3>{sides[k][0], sides[k][1], sides[k][2]}))
            << type;
    }
    EXPECT_FALSE(sidesOf(14));

    Problem p;
    p.pt = 22;
    p.e = {0, 2, 9, 2};
    EXPECT_FALSE(hasUnequalPair(p)); // groups 1 and 3 equal; group 2 is side one
    p.e = {0, 2, 2, 3};
    EXPECT_TRUE(hasUnequalPair(p));
    p.pt = 12;
    EXPECT_FALSE(hasUnequalPair(p)); // no pair in a single type
}

} // namespace
} // namespace tovask
