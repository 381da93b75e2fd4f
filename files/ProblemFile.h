#pragma once
// The problem input file: a count N, then seven items per problem: its own number, orig,
// type, amount and the three rates.

#include "files/Diagnostics.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tovask {

struct Problem {
    double orig = 0;
    double pt = 0;
    double a = 0;
    std::array<float, 4> e{}; // e[1..3]; e[0] unused
    // Where each of its seven items stands in the file: its own number, orig, type, amount and
    // the three rates.
    std::array<Location, 7> where{};
};

struct ProblemList {
    static constexpr int kMaxProblems = 100;
    int count = 0;
    std::array<Problem, kMaxProblems + 1> problems; // problem p at index p
    std::int16_t maxAmount = 0; // the largest amount, as a whole number (halves to even)
};

// The six problem types: two single groups (11, 12, 13) or a group against a pair (21, 22, 23).
bool isKnownType(double pt);
bool isPairType(double pt);
// The groups on the two sides of a problem of a type. Side one is one group: 2, 1, 1 for 11, 12,
// 13 and 1, 2, 3 for 21, 22, 23. Side two is one group (3, 3, 2), held twice, or the pair of the
// other two groups in colour order (2 and 3, 1 and 3, 1 and 2). A pair side has the rate of its
// first member. Empty for a type that is none of the six.
struct Sides {
    int one = 0;
    std::array<int, 2> two{};
};
std::optional<Sides> sidesOf(double pt);
// The two groups that form side two of a pair type. Their rates must be equal.
std::array<int, 2> pairGroups(int pt);
// A pair type whose two pair rates differ (compared as single-precision values).
bool hasUnequalPair(const Problem& p);

// Called for a problem whose own number is not its place in the list; the problem is kept.
using WrongNumberHandler = std::function<void(int pn, const Location& where)>;

ProblemList parseProblemFile(std::string_view bytes, const std::string& file,
                             Diagnostics& diagnostics, const WrongNumberHandler& onWrongNumber);
ProblemList readProblemFile(const std::filesystem::path& path, Diagnostics& diagnostics,
                            const WrongNumberHandler& onWrongNumber);

} // namespace tovask
