#include "tools/check/DataCheck.h"

#include "base/Numbers.h"
#include "files/ProblemFile.h"
#include "files/WordFile.h"

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

} // namespace

std::vector<Crossings> crossingBudgetLines(const ProblemList& list) {
    // The ends of each usable problem's budget line, by type.
    std::map<double, std::vector<std::pair<double, double>>> lines;
    for (int pn = 1; pn <= list.count; ++pn) {
        const Problem& p = list.problems[static_cast<std::size_t>(pn)];
        const auto sides = sidesOf(p.pt);
        if (!sides)
            continue;
        const double one = p.e[static_cast<std::size_t>(sides->one)];
        const double two = p.e[static_cast<std::size_t>(sides->two[0])];
        if (p.a > 0 && one > 0 && two > 0)
            lines[p.pt].emplace_back(p.a * one, p.a * two);
    }
    // Two lines cross when one reaches further on one axis and less far on the other; ends that
    // differ by less than the tolerance of the consistency measures count as the same.
    const auto differs = [](double x, double y) {
        return std::fabs(x - y) > 1e-6 * std::max(std::fabs(x), std::fabs(y));
    };
    std::vector<Crossings> result;
    for (const auto& [type, ends] : lines) {
        Crossings c{type, static_cast<int>(ends.size()), 0, 0};
        for (std::size_t i = 0; i < ends.size(); ++i)
            for (std::size_t j = i + 1; j < ends.size(); ++j) {
                ++c.pairs;
                const auto [a1, b1] = ends[i];
                const auto [a2, b2] = ends[j];
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
    if (!collector.hasErrors())
        collector.findings.push_back(designFinding(name, crossingBudgetLines(list)));
    FileCheck result{name, FileKind::problems, std::move(collector.findings), {}, {}};
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

namespace {

// A name the program reads: a word file of its languages, or a problem file of subject 1.
bool programReads(const fs::path& path) {
    const std::string name = path.filename().string();
    return name == "english.wds" || name == "italian.wds" ||
           (kindOf(path) == FileKind::problems && path.extension() == ".001");
}

} // namespace

DataFolder dataFolder(const fs::path& folder) {
    DataFolder found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path& path = entry->path();
        std::error_code typeError;
        const bool regular = entry->is_regular_file(typeError);
        if (kindOf(path) != FileKind::other && (regular || programReads(path))) {
            found.files.push_back(path);
        } else if (typeError && entry->is_symlink(error)) {
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
