#include "base/Numbers.h"

#include "base/Failure.h"
#include "base/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace tovask {

// The whole part and the fraction are both exact, so the fraction decides alone. (std::round
// is no help: the MinGW runtime's rounds 0.49999999999999994 up to 1.)
double roundHalfEven(double x) {
    const double whole = std::trunc(x);
    const double fraction = std::fabs(x - whole);
    const double away = whole + std::copysign(1.0, x);
    if (fraction < 0.5)
        return whole;
    if (fraction > 0.5)
        return away;
    return std::fmod(whole, 2.0) == 0 ? whole : away;
}

double roundedTo(double x, int decimals) {
    // Exact powers of ten: a library's pow may differ in the last bit between platforms.
    static constexpr double kScales[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
    const double scale = kScales[static_cast<std::size_t>(std::clamp(decimals, 0, 6))];
    return roundHalfEven(x * scale) / scale;
}

std::int16_t toInteger(double x) {
    const double r = roundHalfEven(x);
    if (!(r >= -32768.0 && r <= 32767.0))
        throw Failure("the number " + doubleText(x) + " is outside the range -32768 to 32767");
    return static_cast<std::int16_t>(r);
}

namespace {

// Every number text of the program is made here, by std::to_chars, which never looks at the
// locale.
template <typename T, typename... Format> std::string charsText(T x, Format... format) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, format...);
    return std::string(buffer, result.ptr);
}

template <typename T> std::string shortestText(T x, int significantDigits) {
    if (x == 0)
        return "0"; // also for -0
    return charsText(x, std::chars_format::general, significantDigits);
}

} // namespace

std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-')
            return std::nullopt; // "+-3" is not a number
    }
    // from_chars also takes "inf" and "nan"; a number starts with a digit, a point or a minus.
    if (s.empty())
        return std::nullopt;
    const char first = s.front() == '-' && s.size() > 1 ? s[1] : s.front();
    if (!(std::isdigit(static_cast<unsigned char>(first)) || first == '.'))
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec != std::errc() || result.ptr != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string singleText(float x) {
    return shortestText(x, 7);
}
std::string doubleText(double x) {
    return shortestText(x, 15);
}

std::string exactText(double x) {
    return charsText(x);
}
std::string exactText(float x) {
    return charsText(x);
}

std::string FormatAmountFixed(double x) {
    double whole = roundHalfEven(x);
    if (whole > x)
        whole -= 1;
    // Rounding the hundredths absorbs floating-point error: 0.5 x 3.3 gives 65, not 64.
    long hundredths = std::lround(roundHalfEven(100.0 * (x - whole)));
    if (hundredths >= 100) {
        whole += 1;
        hundredths -= 100;
    }
    const std::string wholeText = doubleText(std::fabs(whole));
    return wholeText + (hundredths > 9 ? "." : ".0") + std::to_string(hundredths);
}

std::string FormatAmountRounded(double x) {
    return doubleText(roundedTo(x, 2));
}

std::string FileNumberSuffix(const std::string& subjectNo) {
    const auto n = parseNumber(subjectNo);
    if (!n)
        throw Failure("the subject number " + inQuotes(subjectNo) + " is not a number");
    if (*n < 10)
        return ".00" + subjectNo;
    if (*n > 9 && *n < 100)
        return ".0" + subjectNo;
    if (*n > 99)
        return "." + subjectNo;
    throw Failure("the subject number " + inQuotes(subjectNo) + " gives no file-name suffix");
}

std::optional<std::int16_t> wholeSeconds(std::string_view text) {
    const auto value = parseNumber(text);
    if (!value || roundHalfEven(*value) < 1 || roundHalfEven(*value) > 32767)
        return std::nullopt;
    return toInteger(*value);
}

} // namespace tovask
