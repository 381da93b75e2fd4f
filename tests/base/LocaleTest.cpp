// Under a locale whose decimal mark is a comma, every number text still uses a point.
#include "base/Numbers.h"
#include "files/Diagnostics.h"
#include "files/ProblemFile.h"
#include "files/ResultsFile.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <locale>
#include <optional>
#include <stdexcept>
#include <string>

namespace tovask {
namespace {

class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"de_DE.UTF-8", "it_IT.UTF-8", "fr_FR.UTF-8", "de_DE", "it_IT"}) {
            if (std::setlocale(LC_ALL, name) == nullptr)
                continue;
            try {
                std::locale::global(std::locale(name));
            } catch (const std::runtime_error&) {
                std::setlocale(LC_ALL, "C");
                continue;
            }
            if (std::localeconv()->decimal_point == std::string(",")) {
                name_ = name;
                return;
            }
        }
        std::setlocale(LC_ALL, "C");
        GTEST_SKIP() << "no locale with a decimal comma is installed (tried de_DE, it_IT, "
                        "fr_FR); generate one with localedef -i de_DE -f UTF-8 de_DE.UTF-8";
    }
    void TearDown() override {
        std::locale::global(std::locale::classic());
        std::setlocale(LC_ALL, "C");
    }
    std::string name_;
};

TEST_F(CommaLocale, NumberTextsKeepThePoint) {
    // The locale really is in force: the C library writes a comma.
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 2.5);
    ASSERT_EQ(std::string(buffer), "2,5") << name_;

    EXPECT_EQ(FormatAmountFixed(2.5), "2.50");
    EXPECT_EQ(FormatAmountFixed(0.5 * 3.3), "1.65");
    EXPECT_EQ(FormatAmountRounded(2.5), "2.5");
    EXPECT_EQ(FormatAmountRounded(0.125), "0.12");
    EXPECT_EQ(singleText(0.1f), "0.1");
    EXPECT_EQ(singleText(-0.5f), "-0.5");
    EXPECT_EQ(doubleText(7.5), "7.5");
    EXPECT_EQ(doubleText(1234567.0), "1234567"); // no digit grouping either
    EXPECT_EQ(FileNumberSuffix("1"), ".001");
}

TEST_F(CommaLocale, ReadingTakesThePointOnly) {
    EXPECT_EQ(parseNumber("2.5"), 2.5);
    EXPECT_EQ(parseNumber("2,5"), std::nullopt);

    ThrowOnError diagnostics;
    const ProblemList list = parseProblemFile("1\r\n1,14,21,12.5,1,0.5,0.5\r\n", "inp01.001",
                                              diagnostics, [](int, const Location&) {});
    EXPECT_EQ(list.problems[1].a, 12.5);
    EXPECT_EQ(list.problems[1].e[2], 0.5f);
    EXPECT_EQ(list.maxAmount, 12);
}

TEST_F(CommaLocale, ResultsLineKeepsThePoint) {
    Problem problem;
    problem.orig = 3;
    problem.pt = 21;
    problem.a = 7.5;
    problem.e = {0, 1.5f, 0.1f, 0.75f};
    Outcome outcome;
    outcome.rev = 1;
    outcome.inv = 0;
    outcome.all = 3.25;
    EXPECT_EQ(resultsLine(2, problem, outcome), "2 3 21 7.5 1.5 0.1 0.75 1 0 3.25\r\n");
}

} // namespace
} // namespace tovask
