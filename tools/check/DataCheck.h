#pragma once
// The data checker: runs the program's own readers over word files and problem files and keeps
// every error and warning they report, where the program stops at the first error.

#include "files/Diagnostics.h"
#include "files/ProblemFile.h"
#include "tools/report/Revealed.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovask::check {

// A note informs and counts as neither.
enum class Severity { note, warning, error };

struct Finding {
    Location where;
    Severity severity = Severity::error;
    std::string message;
};

// "file:line:item: error: message"; line and item are left out where the finding has none.
std::string format(const Finding& finding);

enum class FileKind { words, problems, plan, other };

// The kind of a file by its name, as the program finds its files: a word file ends in ".wds",
// a problem file begins with "inp", the session plan is "session.csv".
FileKind kindOf(const std::filesystem::path& path);

struct FileCheck {
    std::string name; // the file as named in the findings
    FileKind kind = FileKind::other;
    std::vector<Finding> findings; // in the order of the file: by line, then by item
    // A word file that reads without error: its number of texts and where that number stands.
    std::optional<int> wordCount;
    Location countWhere;
};

// bytes: the file as stored; name: how the findings name it.
FileCheck checkWordFile(std::string_view bytes, const std::string& name);
FileCheck checkProblemFile(std::string_view bytes, const std::string& name);
// A session plan: its own faults, and for each row the problem file and the word file that PC's
// run will read, in the folder of the plan: missing, or with errors.
FileCheck checkSessionPlan(std::string_view bytes, const std::string& name);

// The budget lines of the problems of one type, in money to side one and side two: a line from
// (a r1, 0) to (0, a r2). Choices can reveal an inconsistency only between lines that cross.
struct Crossings {
    double type = 0;
    int problems = 0; // with an amount and both rates above 0
    int pairs = 0;
    int crossing = 0;
};
// The budget lines of the problems with an amount and both rates above 0, by type, as
// tovask-report reads them back from a results file.
using BudgetLinesByType = std::map<double, std::vector<report::BudgetLine>>;
BudgetLinesByType budgetLines(const ProblemList& list);

// Each type with such a problem, in type order.
std::vector<Crossings> crossingBudgetLines(const BudgetLinesByType& lines);

// Bronars' power of the design, as tovask-report computes it for a subject (tools/report/Power.h):
// over all problems with an amount and both rates above 0, and within each type.
struct DesignPower {
    double all = 0;
    std::vector<std::pair<double, double>> byType; // (type, power), in type order
};
DesignPower designPower(const BudgetLinesByType& lines, int draws);
// Below this a type's power draws a warning.
inline constexpr double kLowPower = 0.5;

// Word file k holds the text of word k in its language, so every language file must hold as many
// texts as the English one (or, without it, the first word file). Adds a warning to each word
// file whose count differs; word files with errors are left out.
void compareLanguages(std::vector<FileCheck>& files);

// A run creates its log and its lock in the data folder and refuses to start where it cannot:
// an error when no new file can be created there.
std::optional<Finding> checkDataFolder(const std::filesystem::path& folder);

// What the check takes from a data folder when no file is named.
struct DataFolder {
    // The word files, problem files and session plan, sorted by name; and whatever else has a
    // name the program reads (english.wds, inp01.001, the plan): a folder, a FIFO, a link that
    // leads nowhere, which the reading then reports.
    std::vector<std::filesystem::path> files;
    // A warning for every other link that leads to no file (a loop, a file not there).
    std::vector<FileCheck> brokenLinks;
};
// Throws std::filesystem::filesystem_error when the folder cannot be read.
DataFolder dataFolder(const std::filesystem::path& folder);

} // namespace tovask::check
