// Number texts, whole-number conversion, number parsing and the three amount rules.
#include "base/Numbers.h"
#include "base/Failure.h"
#include "tests/support/FailureOf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace tovask {
namespace {

using test::failureOf;

// ---- Rule A: two fixed decimals ----------------------------------------------------------

struct FixedCase {
    double x;
    const char* text;
};

TEST(FormatAmountFixed, WritesTwoDecimals) {
    const FixedCase cases[] = {
        {2.5, "2.50"},   {3, "3.00"},     {0.05, "0.05"},      {4.07, "4.07"},
        {7.25, "7.25"},  {12, "12.00"},   {0, "0.00"},         {10.1, "10.10"},
        {0.5, "0.50"},   {1.5, "1.50"},   {0.01, "0.01"},      {0.1, "0.10"},
        {0.09, "0.09"},  {100, "100.00"}, {32767, "32767.00"}, {12345.67, "12345.67"},
        {0.125, "0.12"}, {0.375, "0.38"}, // hundredths halves go to the even neighbour
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatAmountFixed(c.x), c.text) << "x = " << c.x;
}

TEST(FormatAmountFixed, AbsorbsFloatingPointErrorOfProducts) {
    // 0.5 x 3.3 is 1.6499999999999999 in a double; the hundredths must still be 65.
    EXPECT_EQ(FormatAmountFixed(0.5 * 3.3), "1.65");
    EXPECT_EQ(FormatAmountFixed(0.5 * 12.5 * 0.7), "4.38"); // 4.375, half to even
    EXPECT_EQ(FormatAmountFixed(0.5 * 8 * 1.1), "4.40");
    EXPECT_EQ(FormatAmountFixed(0.5 * 7.5 * 2), "7.50");
    EXPECT_EQ(FormatAmountFixed(0.1 + 0.2), "0.30");
    EXPECT_EQ(FormatAmountFixed(3 - 1e-12), "3.00");
}

TEST(FormatAmountFixed, CarriesHundredthsThatRoundToOneHundred) {
    const FixedCase cases[] = {
        {2.999, "3.00"}, {0.999, "1.00"}, {0.996, "1.00"}, {9.9999, "10.00"}, {99.996, "100.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatAmountFixed(c.x), c.text) << "x = " << c.x;
}

// ---- Rule B: rounded to two decimals, shortest form --------------------------------------

TEST(FormatAmountRounded, RoundsToTwoDecimalsInShortestForm) {
    const FixedCase cases[] = {
        {2.5, "2.5"},     {3, "3"},           {0.125, "0.12"}, // exact half: to the even 12
        {0.375, "0.38"},  {2.625, "2.62"},    {0.875, "0.88"},     {0.135, "0.14"},
        {10.1, "10.1"},   {0, "0"},           {0.5 * 3.3, "1.65"}, {1.999, "2"},
        {7.254, "7.25"},  {12.3456, "12.35"}, {-0.125, "-0.12"},   {-2.5, "-2.5"},
        {-0.001, "0"}, // rounds to -0, written without a sign
        {32767, "32767"}, {0.1 + 0.2, "0.3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatAmountRounded(c.x), c.text) << "x = " << c.x;
}

// ---- Rule C: the file-name suffix of the subject number ----------------------------------

TEST(FileNumberSuffix, ChoosesThePaddingByTheNumericValue) {
    const struct {
        const char* subjectNo;
        const char* suffix;
    } cases[] = {
        {"1", ".001"},   {"7", ".007"},     {"9", ".009"},      {"10", ".010"},    {"42", ".042"},
        {"99", ".099"},  {"100", ".100"},   {"123", ".123"},    {"0", ".000"},     {"-3", ".00-3"},
        {"07", ".0007"}, {"9.5", ".009.5"}, {"99.5", ".099.5"}, {"1000", ".1000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileNumberSuffix(c.subjectNo), c.suffix) << "subject " << c.subjectNo;
}

TEST(FileNumberSuffix, RefusesASubjectNumberThatIsNoNumber) {
    EXPECT_EQ(failureOf([] { FileNumberSuffix("abc"); }),
              "the subject number \"abc\" is not a number");
    EXPECT_EQ(failureOf([] { FileNumberSuffix(""); }), "the subject number \"\" is not a number");
}

// ---- Number texts ------------------------------------------------------------------------

TEST(NumberText, SingleIsShortestToSevenDigits) {
    const struct {
        float x;
        const char* text;
    } cases[] = {
        {0.1f, "0.1"},         {2.5f, "2.5"},           {10.0f, "10"},
        {-0.5f, "-0.5"},       {0.25f, "0.25"},         {0.0f, "0"},
        {-0.0f, "0"},          {1.5f, "1.5"},           {0.75f, "0.75"},
        {100.0f, "100"},       {1.0f / 3, "0.3333333"}, {1234567.0f, "1234567"},
        {-32768.0f, "-32768"}, {3.3f, "3.3"},           {0.7f, "0.7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(singleText(c.x), c.text) << "x = " << c.x;
}

TEST(NumberText, DoubleIsShortestToFifteenDigits) {
    const struct {
        double x;
        const char* text;
    } cases[] = {
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {10, "10"},
        {-0.5, "-0.5"},
        {0, "0"},
        {-0.0, "0"},
        {1.0 / 3, "0.333333333333333"},
        {123456789012345.0, "123456789012345"},
        {static_cast<double>(0.1f), "0.100000001490116"}, // why rates are written as singles
        {14, "14"},
        {7.5, "7.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(doubleText(c.x), c.text) << "x = " << c.x;
}

TEST(NumberText, SmallAndLargeValuesReadBackUnchanged) {
    // How a value in exponent form is written is free, but it must read back as the value.
    for (const float x : {1e-5f, -1e-5f, 0.001f, 3e7f, 1.5e-3f, 1234567e3f}) {
        const std::string text = singleText(x);
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text.front(), ' ') << text;
        const auto back = parseNumber(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(static_cast<float>(*back), x) << text;
    }
    for (const double x : {1e-5, 1e20, -2.5e-9}) {
        const auto back = parseNumber(doubleText(x));
        ASSERT_TRUE(back) << doubleText(x);
        EXPECT_DOUBLE_EQ(*back, x);
    }
}

// ---- Whole-number conversion -------------------------------------------------------------

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    const struct {
        double x;
        double rounded;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {12.5, 12},
        {13.5, 14},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {-3.5, -4},
        {1.25, 1},
        {1.75, 2},
        {2.4999, 2},
        {2.5001, 3},
        {-2.5001, -3},
        {0.49999999999999994, 0},
        {7, 7},
        {4503599627370497.0, 4503599627370497.0}, // 2^52 + 1: no fraction left to round
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundHalfEven(c.x), c.rounded) << "x = " << c.x;
}

TEST(ToInteger, ConvertsInRangeHalvesToEven) {
    const struct {
        double x;
        int value;
    } cases[] = {
        {1.25 * 1, 1},      {12.5, 12},       {13.5, 14},       {-2.5, -2},
        {0.4, 0},           {0.5, 0},         {0.6, 1},         {32767, 32767},
        {32767.4, 32767},   {32766.5, 32766}, {-32768, -32768}, {-32768.5, -32768},
        {-32767.5, -32768}, {-0.4, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toInteger(c.x), c.value) << "x = " << c.x;
}

TEST(ToInteger, FailsOutsideSixteenBits) {
    EXPECT_EQ(failureOf([] { toInteger(32767.5); }),
              "the number 32767.5 is outside the range -32768 to 32767"); // rounds to 32768
    const double outside[] = {32768,
                              40000,
                              -32768.6,
                              -32769,
                              1e10,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
    for (const double x : outside)
        EXPECT_NE(failureOf([x] { toInteger(x); }), "") << "x = " << x;
}

// ---- Reading numbers ---------------------------------------------------------------------

TEST(ParseNumber, ReadsPlainDecimalNotation) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"3", 3},       {" 3 ", 3},   {"\t3\t", 3}, {"+3", 3},
        {"-3", -3},     {"2.5", 2.5}, {"0.5", 0.5}, {".5", 0.5},
        {"-.5", -0.5},  {"1e2", 100}, {"1E2", 100}, {"1.5e-1", 0.15},
        {"2.5e+1", 25}, {"007", 7},   {"-0", 0},    {"32767.5", 32767.5},
    };
    for (const auto& c : cases) {
        const auto value = parseNumber(c.text);
        ASSERT_TRUE(value) << '"' << c.text << '"';
        EXPECT_EQ(*value, c.value) << '"' << c.text << '"';
    }
}

TEST(ParseNumber, RefusesWhatIsNoNumber) {
    const char* const cases[] = {
        "abc", "",     "   ",  "inf", "-inf",  "+inf", "infinity", "nan", "NaN", "-nan",
        "1,5", "0x10", "0X10", "1e",  "1e+",   "--3",  "+-3",      "-+3", "++3", "+",
        "-",   ".",    "3 4",  "3a",  "1e999", "- 3",  "2.5.1",    "€3",
    };
    for (const char* text : cases)
        EXPECT_EQ(parseNumber(text), std::nullopt) << '"' << text << '"';
}

} // namespace
} // namespace tovask
