#include "tools/check/DataCheck.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "core/Experiment.h"
#include "files/OperatingSystem.h"
#include "files/ProblemFile.h"
#include "files/SessionPlan.h"
#include "files/TextFile.h"
#include "files/WordFile.h"
#include "tools/report/Power.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tovask::check {

namespace fs = std::filesystem;

std::string format(const Finding& finding) {
    const char* const severities[] = {"note: ", "warning: ", "error: "};
    return describe(finding.where,
                    severities[static_cast<int>(finding.severity)] + finding.message);
}

FileKind kindOf(const fs::path& path) {
    const std::string name = path.filename().string();
    if (path.extension() == ".wds")
        return FileKind::words;
    if (name.starts_with("inp"))
        return FileKind::problems;
    if (name == SessionPlan::kFileName)
        return FileKind::plan;
    return FileKind::other;
}

namespace {

// Keeps every report of a reader and lets it go on.
class Collector : public Diagnostics {
public:
    void error(const Location& where, const std::string& message) override {
        findings.push_back({where, Severity::error, message});
    }
    void warning(const Location& where, const std::string& message) override {
        findings.push_back({where, Severity::warning, message});
    }
    // What the subject would meet is what a check before the session is for.
    void seenBySubject(const Location& where, const std::string& message) override {
        error(where, message);
    }
    bool hasErrors() const {
        return std::ranges::any_of(findings,
                                   [](const Finding& f) { return f.severity == Severity::error; });
    }

    std::vector<Finding> findings;
};

// A reader reports some findings only at the end (a count that is too small, no positive
// amount); the list is put in the order of the file, file-wide findings first. A warning at the
// place of an error goes: it comes from the value the reader put in for an unreadable item.
void tidy(std::vector<Finding>& findings) {
    const auto place = [](const Finding& f) { return std::pair(f.where.line, f.where.item); };
    std::vector<std::pair<int, int>> errorPlaces;
    for (const Finding& f : findings)
        if (f.severity == Severity::error)
            errorPlaces.push_back(place(f));
    std::erase_if(findings, [&](const Finding& f) {
        return f.severity == Severity::warning &&
               std::ranges::find(errorPlaces, place(f)) != errorPlaces.end();
    });
    std::ranges::stable_sort(findings, {}, place);
}

// How many budget lines of each type cross; a warning where none do.
Finding designFinding(const std::string& file, const std::vector<Crossings>& types) {
    std::string shares;
    bool anyCrossing = false;
    for (const Crossings& t : types) {
        shares += (shares.empty() ? "" : ", ") + doubleText(t.type) + ": ";
        if (t.pairs == 0) {
            shares += "one problem, no pair";
            continue;
        }
        anyCrossing = anyCrossing || t.crossing > 0;
        shares += std::to_string(t.crossing) + " of " + std::to_string(t.pairs) +
                  (t.pairs == 1 ? " pair" : " pairs") + " (" +
                  doubleText(roundHalfEven(100.0 * t.crossing / t.pairs)) + "%)";
    }
    if (types.empty())
        shares = "no problem with an amount and both rates above 0";
    if (anyCrossing)
        return {{file, 0, 0}, Severity::note, "budget lines that cross, by type: " + shares};
    return {{file, 0, 0},
            Severity::warning,
            "no two budget lines of the same type cross, so the choices within a type cannot "
            "reveal an inconsistency: the GARP violations and CCEI of tovask-report by type "
            "have no power; crossing pairs by type: " +
                shares};
}

// The power of the design; a warning where a type's is low.
Finding powerFinding(const std::string& file, const DesignPower& power) {
    std::string byType;
    std::string low;
    for (const auto& [type, ofType] : power.byType) {
        byType += (byType.empty() ? "" : ", ") + doubleText(type) + ": " + doubleText(ofType);
        if (ofType < kLowPower)
            low += (low.empty() ? "" : ", ") + doubleText(type) + " (" + doubleText(ofType) + ")";
    }
    const std::string figures =
        "power of the design (the share of " + std::to_string(report::kPowerDraws) +
        " simulated subjects, choosing at random on these budget lines, whose choices break "
        "GARP): all problems " +
        doubleText(power.all) + "; by type: " + byType;
    if (low.empty())
        return {{file, 0, 0}, Severity::note, figures};
    return {{file, 0, 0},
            Severity::warning,
            "the power is below " + doubleText(kLowPower) + " in type " + low +
                ": random choices on those budget lines seldom break GARP, so the consistency "
                "measures of tovask-report by type say little there; " +
                figures};
}

// A bar of a side that would end beyond the window, where the subject cannot see its end: the
// bars follow the scale of the largest amount, and nothing limits a bar of a high rate. One
// warning per side and row, at the item that makes it long (a rate, or an amount above the
// largest amount as a whole number).
void checkBarReach(const std::string& file, const ProblemList& list,
                   std::vector<Finding>& findings) {
    constexpr double roomLeft = Experiment::kBarCentre;
    constexpr double roomRight = Experiment::kDesignWidth - Experiment::kBarCentre;
    for (int pn = 1; pn <= list.count; ++pn) {
        const Problem& p = list.problems[static_cast<std::size_t>(pn)];
        const auto sides = sidesOf(p.pt);
        if (!sides)
            continue;
        const auto reach = Experiment::barReach(p, list.maxAmount);
        const struct {
            const char* side;
            const char* row;
            double length;
            std::size_t item; // of the problem: 3 the amount, 3 + k the rate of group k
        } bars[] = {
            {"one", "units", reach.unitsOne, 3},
            {"one", "money", reach.moneyOne, 3 + static_cast<std::size_t>(sides->one)},
            {"two", "units", reach.unitsTwo, 3},
            {"two", "money", reach.moneyTwo, 3 + static_cast<std::size_t>(sides->two[0])},
        };
        for (const auto& bar : bars) {
            if (bar.length <= roomRight)
                continue;
            const std::string where = bar.length > roomLeft
                                          ? "(" + doubleText(roomLeft) +
                                                " twips left of the centre line, " +
                                                doubleText(roomRight) + " right)"
                                          : "when drawn right of the centre line (" +
                                                doubleText(roomRight) + " twips there)";
            const std::string largest = std::to_string(list.maxAmount);
            const std::string fits =
                bar.item == 3
                    ? "the amount is at most " + largest + ", the largest amount as a whole number"
                    : "the amount times the rate is at most " + largest + ", the largest amount";
            findings.push_back({{file, p.where[bar.item].line, p.where[bar.item].item},
                                Severity::warning,
                                "problem " + std::to_string(pn) + ", side " + bar.side + ": its " +
                                    bar.row + " bar (" + doubleText(std::round(bar.length)) +
                                    " twips with the whole amount) would end beyond the window " +
                                    where + ": the subject cannot see its end; bars fit where " +
                                    fits});
        }
    }
}

} // namespace

BudgetLinesByType budgetLines(const ProblemList& list) {
    // The results file writes each number as its text, which tovask-report reads back.
    const auto asWritten = [](const std::string& text) { return parseNumber(text).value_or(0); };
    BudgetLinesByType lines;
    for (int pn = 1; pn <= list.count; ++pn) {
        const Problem& p = list.problems[static_cast<std::size_t>(pn)];
        const auto sides = sidesOf(p.pt);
        if (!sides)
            continue;
        const double one = asWritten(singleText(p.e[static_cast<std::size_t>(sides->one)]));
        const double two = asWritten(singleText(p.e[static_cast<std::size_t>(sides->two[0])]));
        if (p.a > 0 && one > 0 && two > 0)
            lines[p.pt].push_back({asWritten(doubleText(p.a)), one, two});
    }
    return lines;
}

DesignPower designPower(const BudgetLinesByType& lines, int draws) {
    DesignPower power;
    std::vector<report::BudgetLine> all;
    for (const auto& [type, ofType] : lines) {
        all.insert(all.end(), ofType.begin(), ofType.end());
        power.byType.emplace_back(type, report::simulatePower(ofType, draws, false).power);
    }
    power.all = report::simulatePower(all, draws, false).power;
    return power;
}

std::vector<Crossings> crossingBudgetLines(const BudgetLinesByType& lines) {
    // The ends of a budget line on the two axes.
    const auto ends = [](const report::BudgetLine& line) {
        return std::pair{line.amount * line.rateOne, line.amount * line.rateTwo};
    };
    // Two lines cross when one reaches further on one axis and less far on the other; ends that
    // differ by less than the tolerance of the consistency measures count as the same.
    const auto differs = [](double x, double y) {
        return std::fabs(x - y) > 1e-6 * std::max(std::fabs(x), std::fabs(y));
    };
    std::vector<Crossings> result;
    for (const auto& [type, ofType] : lines) {
        Crossings c{type, static_cast<int>(ofType.size()), 0, 0};
        for (std::size_t i = 0; i < ofType.size(); ++i)
            for (std::size_t j = i + 1; j < ofType.size(); ++j) {
                ++c.pairs;
                const auto [a1, b1] = ends(ofType[i]);
                const auto [a2, b2] = ends(ofType[j]);
                if (differs(a1, a2) && differs(b1, b2) && (a1 > a2) != (b1 > b2))
                    ++c.crossing;
            }
        result.push_back(c);
    }
    return result;
}

FileCheck checkWordFile(std::string_view bytes, const std::string& name) {
    Collector collector;
    const WordTable table = parseWordFile(bytes, name, collector);
    const bool readable = !collector.hasErrors();
    FileCheck result{name, FileKind::words, std::move(collector.findings), {}, table.countWhere};
    if (readable)
        result.wordCount = table.count;
    tidy(result.findings);
    return result;
}

FileCheck checkProblemFile(std::string_view bytes, const std::string& name) {
    Collector collector;
    // The program reads inp<data file name>.<subject number> and the subject number is always 1.
    if (fs::path(name).extension() != ".001")
        collector.warning({name, 0, 0}, "the program reads only problem files whose name ends in "
                                        "\".001\" (the subject number is always 1), so it never "
                                        "reads this one");
    const ProblemList list =
        parseProblemFile(bytes, name, collector, [&](int pn, const Location& where) {
            const std::string number = std::to_string(pn);
            collector.seenBySubject(
                where, "problem " + number + " does not have the number " + number +
                           "; the subject will see \"Mistake in data entry on problem " + number +
                           "\"");
        });
    if (!collector.hasErrors()) {
        checkBarReach(name, list, collector.findings);
        const BudgetLinesByType lines = budgetLines(list);
        collector.findings.push_back(designFinding(name, crossingBudgetLines(lines)));
        collector.findings.push_back(powerFinding(name, designPower(lines, report::kPowerDraws)));
    }
    FileCheck result{name, FileKind::problems, std::move(collector.findings), {}, {}};
    tidy(result.findings);
    return result;
}

namespace {

// Why a file a plan's row needs cannot serve that PC's run: it is missing or unreadable, or its
// check finds errors. Empty when it can.
std::string unusable(const fs::path& file, const FileToRead& what,
                     FileCheck (*check)(std::string_view, const std::string&)) {
    std::string bytes;
    try {
        bytes = readFileBytes(file, what);
    } catch (const Failure& failure) {
        return failure.what();
    }
    const FileCheck checked = check(bytes, file.string());
    const auto errors = std::ranges::count_if(
        checked.findings, [](const Finding& f) { return f.severity == Severity::error; });
    if (errors == 0)
        return {};
    return file.filename().string() + " has " + counted(static_cast<std::size_t>(errors), "error") +
           " (check it on its own)";
}

} // namespace

FileCheck checkSessionPlan(std::string_view bytes, const std::string& name) {
    Collector collector;
    const SessionPlan plan = parseSessionPlan(bytes, name, collector);
    const fs::path folder = fs::path(name).parent_path();
    for (const PlanRow& row : plan.rows) {
        const fs::path problems = folder / ("inp" + row.inputDataFile + ".001");
        if (const std::string why = unusable(problems, reading::kProblemFile, checkProblemFile);
            !why.empty())
            collector.error({name, row.line, 2},
                            "the PC \"" + row.pc + "\" cannot run on its problem file: " + why);
        if (const std::string why =
                unusable(folder / wordFileName(row.language), reading::kWordFile, checkWordFile);
            !why.empty())
            collector.error({name, row.line, 3},
                            "the PC \"" + row.pc + "\" cannot run in its language: " + why);
    }
    FileCheck result{name, FileKind::plan, std::move(collector.findings), {}, {}};
    tidy(result.findings);
    return result;
}

void compareLanguages(std::vector<FileCheck>& files) {
    std::vector<FileCheck*> counted;
    for (FileCheck& file : files)
        if (file.kind == FileKind::words && file.wordCount)
            counted.push_back(&file);
    if (counted.size() < 2)
        return;
    const auto english = std::ranges::find_if(counted, [](const FileCheck* file) {
        return fs::path(file->name).filename() == "english.wds";
    });
    const FileCheck& reference = english != counted.end() ? **english : *counted.front();
    const std::string referenceName = fs::path(reference.name).filename().string();
    for (FileCheck* file : counted) {
        if (*file->wordCount == *reference.wordCount)
            continue;
        file->findings.push_back({file->countWhere, Severity::warning,
                                  "the file has " + std::to_string(*file->wordCount) +
                                      " texts and " + referenceName + " has " +
                                      std::to_string(*reference.wordCount) +
                                      "; word k must be the same text in every language"});
        tidy(file->findings);
    }
}

std::optional<Finding> checkDataFolder(const fs::path& folder) {
    const auto cause = os::cannotCreateFilesIn(folder);
    if (!cause)
        return std::nullopt;
    Finding finding;
    finding.where.file = folder.string();
    finding.message = "no file can be created in the data folder (" + *cause +
                      "), so a run here could keep no answer and would not start: give the user "
                      "of the lab PCs the right to create and delete files in it";
    return finding;
}

namespace {

// A name the program reads: a word file of its languages, a problem file of subject 1, the
// session plan.
bool programReads(const fs::path& path) {
    const std::string name = path.filename().string();
    return name == wordFileName("English") || name == wordFileName("Italian") ||
           kindOf(path) == FileKind::plan ||
           (kindOf(path) == FileKind::problems && path.extension() == ".001");
}

} // namespace

DataFolder dataFolder(const fs::path& folder) {
    DataFolder found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path& path = entry->path();
        // The entry's own errors: the folder's, in `error`, end the scan.
        std::error_code typeError, linkError;
        const bool regular = entry->is_regular_file(typeError);
        if (kindOf(path) != FileKind::other && (regular || programReads(path))) {
            found.files.push_back(path);
        } else if (typeError && entry->is_symlink(linkError)) {
            found.brokenLinks.push_back({path.string(),
                                         FileKind::other,
                                         {{{path.string(), 0, 0},
                                           Severity::warning,
                                           "a link that leads to no file (" + typeError.message() +
                                               "); tovask reads nothing through it"}},
                                         {},
                                         {}});
        }
    }
    if (error)
        throw fs::filesystem_error("cannot read the folder", folder, error);
    std::ranges::sort(found.files);
    std::ranges::sort(found.brokenLinks, {}, &FileCheck::name);
    return found;
}

} // namespace tovask::check
