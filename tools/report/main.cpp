// tovask-report: reads the results files of a session (the data folders collected from the lab
// PCs, or single files) and writes the tables researchers analyse and a PDF of plots.
#include "base/Failure.h"
#include "base/Text.h"
#include "files/TextFile.h"
#include "tools/report/Sources.h"
#include "tools/report/Subject.h"
#include "tools/report/Tables.h"
#include "tools/report/qt/ReportPdf.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tovask;
using namespace tovask::report;

constexpr int kAllRead = 0;
constexpr int kFaults = 1;
constexpr int kCannotRun = 2;

constexpr const char* kUsage =
    "usage: tovask-report [--out DIR] PATH...\n"
    "Reads every results file (out<data file>.<number>) of each PATH, a data folder or a results\n"
    "file, with the run log beside it, and writes DIR/decisions.csv (one row per problem),\n"
    "DIR/subjects.csv (consistency measures per results file and type) and DIR/report.pdf\n"
    "(plots). DIR: report/ in the current folder.\n"
    "Exit status: 0 every file read, 1 a file could not be read or is malformed (the others are\n"
    "in the report), 2 wrong arguments or the report could not be written.\n";

int cannotRun(const std::string& message) {
    std::cerr << "tovask-report: " << message << "\n";
    return kCannotRun;
}

} // namespace

int main(int argc, char** argv) {
    fs::path out = "report";
    std::vector<fs::path> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return kAllRead;
        }
        if (arg == "--out") {
            if (++i == argc)
                return cannotRun("--out needs a folder\n" + std::string(kUsage));
            out = argv[i];
        } else if (arg.starts_with('-')) {
            return cannotRun("unknown option " + std::string(arg) + "\n" + kUsage);
        } else {
            paths.emplace_back(arg);
        }
    }
    if (paths.empty())
        return cannotRun("name at least one data folder or results file\n" + std::string(kUsage));

    const Found found = findResultsFiles(paths);
    bool faults = !found.errors.empty();
    for (const std::string& error : found.errors)
        std::cerr << "tovask-report: " << error << "\n";
    for (const std::string& note : found.notes)
        std::cout << note << "\n";

    std::vector<Subject> subjects;
    std::size_t problems = 0;
    for (const Source& source : found.sources) {
        std::vector<std::string> notes;
        try {
            subjects.push_back(readSubject(source, notes));
            problems += subjects.back().decisions.size();
        } catch (const Failure& failure) {
            std::cerr << "tovask-report: " << failure.what() << "; the file is left out\n";
            faults = true;
        }
        for (const std::string& note : notes)
            std::cout << note << "\n";
    }
    if (subjects.empty()) {
        std::cerr << "tovask-report: no results file could be read; no report written\n";
        return kFaults;
    }

    const fs::path files[] = {out / "decisions.csv", out / "subjects.csv", out / "report.pdf"};
    try {
        std::error_code error;
        fs::create_directories(out, error);
        if (error)
            return cannotRun("cannot make the folder " + out.string() + ": " + error.message());
        writeFileAtomically(files[0], decisionsCsv(subjects));
        writeFileAtomically(files[1], subjectsCsv(subjects));
        writeFileAtomically(files[2], reportPdf(subjects));
    } catch (const Failure& failure) {
        return cannotRun(failure.what());
    }

    std::size_t recovered = 0;
    std::size_t timed = 0;
    for (const Subject& subject : subjects) {
        recovered += subject.recovered ? 1 : 0;
        timed += subject.timed ? 1 : 0;
    }
    std::cout << "tovask-report: " << counted(subjects.size(), "results file") << " read ("
              << recovered << " recovered, " << timed << " with decision times from the run log), "
              << counted(problems, "problem") << "; written: " << files[0].generic_string() << ", "
              << files[1].generic_string() << ", " << files[2].generic_string() << "\n";
    return faults ? kFaults : kAllRead;
}
