#pragma once
// Every number that reaches the screen, a file or a file name goes through these functions.
// None depends on the locale: the decimal separator is always a point.

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tovask {

// Nearest whole number, halves to the even neighbour (1.25 -> 1 after scaling, 12.5 -> 12).
double roundHalfEven(double x);
// x rounded half to even to a number of decimals from 0 to 6: roundedTo(0.125, 2) is 0.12.
double roundedTo(double x, int decimals);

// Whole-number conversion to a 16-bit integer, halves to even; throws tovask::Failure when the
// result lies outside -32768..32767 (or x is not a number).
std::int16_t toInteger(double x);

// A numeric text in plain decimal notation, optionally with an exponent; blanks around it are
// ignored. Empty when the text is not a number.
std::optional<double> parseNumber(std::string_view text);

// A number of seconds typed for a countdown: a whole number from 1 to 32767 (a fraction rounded,
// halves to even), since a countdown ends only when it reaches exactly 0. Empty for any other
// text.
std::optional<std::int16_t> wholeSeconds(std::string_view text);

// The value that the whole text spells in the plain notation the program writes itself ("12",
// "-0.5", "1e+22"; no blanks, no '+'), as the run log and the lock file hold it. Empty for any
// other text, and for a value out of the type's range.
template <typename T> std::optional<T> exactValue(std::string_view text) {
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The shortest text of a single-precision value to 7 significant digits, of a double to 15:
// no leading blank, a minus sign when negative, no point for a whole value, "0.25" below 1.
std::string singleText(float x);
std::string doubleText(double x);

// The shortest text that reads back as exactly the same value ("0.1", "4.5", "1e+22"), for the
// run log and the scenario runner's dumps.
std::string exactText(double x);
std::string exactText(float x);

// Two fixed decimals: 2.5 -> "2.50", 4.07 -> "4.07"; hundredths that round to 100 carry
// into the whole part (2.999 -> "3.00"). For the non-negative amounts shown with a new problem.
std::string FormatAmountFixed(double x);

// Rounded to two decimals (halves to even) and written in the shortest form: 2.5 -> "2.5",
// 3 -> "3", 0.125 -> "0.12".
std::string FormatAmountRounded(double x);

// The suffix that ends a data file name, chosen by the numeric value of the subject number and
// followed by its text as held: "7" -> ".007", "42" -> ".042", "123" -> ".123", "07" -> ".0007".
// Throws tovask::Failure when the text is not a number.
std::string FileNumberSuffix(const std::string& subjectNo);

} // namespace tovask
