#include "tools/check/DataCheck.h"

#include "files/ProblemFile.h"
#include "files/WordFile.h"

#include <algorithm>

namespace tovask::check {

namespace fs = std::filesystem;

std::string format(const Finding& finding) {
    return describe(finding.where, (finding.severity == Severity::error ? "error: " : "warning: ") +
                                       finding.message);
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

} // namespace

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
    parseProblemFile(bytes, name, collector, [&](int pn, const Location& where) {
        const std::string number = std::to_string(pn);
        collector.seenBySubject(where,
                                "problem " + number + " does not have the number " + number +
                                    "; the subject will see \"Mistake in data entry on problem " +
                                    number + "\"");
    });
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

std::vector<fs::path> dataFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && kindOf(entry.path()) != FileKind::other)
            files.push_back(entry.path());
    std::ranges::sort(files);
    return files;
}

} // namespace tovask::check
