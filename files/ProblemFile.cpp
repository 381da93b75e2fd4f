#include "files/ProblemFile.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "files/ItemReader.h"
#include "files/TextFile.h"

#include <utility>

namespace tovask {

bool isKnownType(double pt) {
    return sidesOf(pt).has_value();
}

bool isPairType(double pt) {
    return pt == 21 || pt == 22 || pt == 23;
}

std::optional<Sides> sidesOf(double pt) {
    static constexpr std::pair<double, Sides> kTypes[] = {{11, {2, {3, 3}}}, {12, {1, {3, 3}}},
                                                          {13, {1, {2, 2}}}, {21, {1, {2, 3}}},
                                                          {22, {2, {1, 3}}}, {23, {3, {1, 2}}}};
    for (const auto& [type, sides] : kTypes)
        if (pt == type)
            return sides;
    return std::nullopt;
}

std::array<int, 2> pairGroups(int pt) {
    return sidesOf(pt).value_or(Sides{}).two;
}

bool hasUnequalPair(const Problem& p) {
    if (!isPairType(p.pt))
        return false;
    const auto [first, second] = pairGroups(static_cast<int>(p.pt));
    return p.e[first] != p.e[second];
}

namespace {

const char* const kItemNames[] = {"its own number", "orig",        "type",      "amount",
                                  "first rate",     "second rate", "third rate"};

} // namespace

ProblemList parseProblemFile(std::string_view bytes, const std::string& file,
                             Diagnostics& diagnostics, const WrongNumberHandler& onWrongNumber) {
    ProblemList list;
    std::optional<std::string> text = dataFileText(bytes, encodingOf(bytes), file, diagnostics);
    if (!text)
        return list;
    ItemReader reader(std::move(*text), file);
    Location countWhere;
    const auto counted = countItem(reader, diagnostics, "the number of problems", 1,
                                   ProblemList::kMaxProblems, countWhere);
    if (!counted)
        return list;
    const int count = *counted;
    for (int pn = 1; pn <= count; ++pn) {
        if (endsEarly(reader, diagnostics, pn - 1, count, "problems"))
            break;
        const std::string problemName = "problem " + std::to_string(pn);
        std::array<Item, 7> items;
        std::array<double, 7> values{};
        for (std::size_t k = 0; k < items.size(); ++k) {
            const std::string what = std::string(kItemNames[k]) + " of " + problemName;
            items[k] = reader.next(diagnostics, what);
            // The rates are held in single precision.
            values[k] =
                numberItem(items[k], diagnostics, what, k >= 4 ? Held::asSingle : Held::asDouble);
        }
        Problem& p = list.problems[pn];
        p.orig = values[1];
        p.pt = values[2];
        p.a = values[3];
        for (int k = 1; k <= 3; ++k)
            p.e[k] = static_cast<float>(values[static_cast<std::size_t>(k) + 3]);
        for (std::size_t k = 0; k < items.size(); ++k)
            p.where[k] = items[k].where;

        if (roundHalfEven(values[0]) != pn && items[0].where.item != 0)
            onWrongNumber(pn, items[0].where);
        if (!isKnownType(p.pt))
            diagnostics.error(items[2].where, "the type " + inQuotes(items[2].text) + " of " +
                                                  problemName +
                                                  " is none of 11, 12, 13, 21, 22, 23");
        if (hasUnequalPair(p)) {
            // Reported at the rate of the pair's first group (item 5 + group - 1 of the problem).
            const auto first = static_cast<std::size_t>(pairGroups(static_cast<int>(p.pt))[0]);
            diagnostics.seenBySubject(items[3 + first].where,
                                      "the two rates of the pair of " + problemName +
                                          " differ; the subject will see \"Error in data in "
                                          "problem " +
                                          std::to_string(pn) + "\"");
        }
        for (int k = 1; k <= 3; ++k)
            if (p.e[k] < 0)
                diagnostics.warning(
                    items[static_cast<std::size_t>(k) + 3].where,
                    "the rate " + shownInMessage(items[static_cast<std::size_t>(k) + 3].text) +
                        " of " + problemName + " is negative");
        if (p.a <= 0)
            diagnostics.warning(items[3].where, "the amount " + shownInMessage(items[3].text) +
                                                    " of " + problemName + " is not positive");
        if (p.a > list.maxAmount) {
            try {
                list.maxAmount = toInteger(p.a);
            } catch (const Failure&) {
                diagnostics.error(items[3].where, "the amount " + shownInMessage(items[3].text) +
                                                      " of " + problemName + " is above 32767");
            }
        }
    }
    list.count = count;
    if (list.maxAmount <= 0)
        diagnostics.error({file, 0, 0},
                          "no amount is positive (as a whole number), so no bar can be scaled; "
                          "at least one amount must be more than 0.5");
    if (!reader.atEnd())
        diagnostics.warning(reader.position(), leftOverItems(count, "problems"));
    return list;
}

ProblemList readProblemFile(const std::filesystem::path& path, Diagnostics& diagnostics,
                            const WrongNumberHandler& onWrongNumber) {
    return parseProblemFile(readFileBytes(path, reading::kProblemFile), path.string(), diagnostics,
                            onWrongNumber);
}

} // namespace tovask
