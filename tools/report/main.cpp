// tovask-report: reads the results files of a session (the data folders collected from the lab
// PCs, or single files) and writes the tables researchers analyse and the pages of plots, as
// HTML (and on Linux as a PDF too).
#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "files/TextFile.h"
#include "tools/common/CommandLine.h"
#include "tools/report/Pages.h"
#include "tools/report/ReportHtml.h"
#include "tools/report/Sources.h"
#include "tools/report/Subject.h"
#include "tools/report/Tables.h"
#ifdef TOVASK_REPORT_PDF
#include "tools/report/qt/ReportPdf.h"
#endif

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tovask;
using namespace tovask::report;

constexpr std::string_view kUsage = R"(usage: tovask-report [--out DIR] [--power-draws N] PATH...
Reads every results file (out<data file>.<number>) of each PATH, a data folder or a results
file, with the run log beside it, and writes DIR/decisions.csv (one row per problem),
DIR/subjects.csv (consistency measures per results file and type) and DIR/report.html
(plots, a page per results file; on Linux the same pages in DIR/report.pdf too).
DIR: report/ in the current folder.
--power-draws N: the simulated subjects choosing at random behind the power and
ccei_percentile columns (default 1000; 0 leaves those columns empty).
Exit status: 0 every file read, 1 a file could not be read or is malformed (the others are
in the report), 2 wrong arguments or the report could not be written.
)";

constexpr std::string_view kPowerDraws = "--power-draws";
constexpr std::string_view kValueOptions[] = {kPowerDraws};
constexpr int kMostPowerDraws = 1'000'000;

// The draws --power-draws asks for (the default without it); nothing when its value is not a
// whole number from 0 to kMostPowerDraws.
std::optional<int> powerDraws(const tools::CommandLine& line) {
    const auto given = line.values.find(kPowerDraws);
    if (given == line.values.end())
        return report::kPowerDraws;
    const auto draws = exactValue<std::int64_t>(given->second);
    if (!draws || *draws < 0 || *draws > kMostPowerDraws)
        return std::nullopt;
    return static_cast<int>(*draws);
}

// Reads the results files of the paths named and writes the tables and the plots.
int writeReport(const tools::Tool& tool, const tools::CommandLine& line) {
    const fs::path out = line.folder.value_or("report");
    const std::vector<fs::path>& paths = line.names;
    if (paths.empty())
        return tool.misused("name at least one data folder or results file");
    const std::optional<int> draws = powerDraws(line);
    if (!draws)
        return tool.misused(std::string(kPowerDraws) + " needs a whole number from 0 to " +
                            std::to_string(kMostPowerDraws));

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
        return tools::kExitFindings;
    }
    addPower(subjects, *draws);

    const std::vector<Page> pages = reportPages(subjects);
    std::vector<std::pair<fs::path, std::string>> files = {
        {out / "decisions.csv", decisionsCsv(subjects)},
        {out / "subjects.csv", subjectsCsv(subjects)},
        {out / "report.html", reportHtml(pages)}};
#ifdef TOVASK_REPORT_PDF
    files.emplace_back(out / "report.pdf", reportPdf(pages));
#endif
    std::string written;
    try {
        std::error_code error;
        fs::create_directories(out, error);
        if (error)
            return tool.fail("cannot make the folder " + out.string() + ": " + error.message());
        for (const auto& [file, content] : files) {
            writeFileAtomically(file, content);
            written += (written.empty() ? "" : ", ") + file.generic_string();
        }
    } catch (const Failure& failure) {
        return tool.fail(failure.what());
    }

    std::size_t recovered = 0;
    std::size_t timed = 0;
    for (const Subject& subject : subjects) {
        recovered += subject.recovered ? 1 : 0;
        timed += subject.timed ? 1 : 0;
    }
    std::cout << "tovask-report: " << counted(subjects.size(), "results file") << " read ("
              << recovered << " recovered, " << timed << " with decision times from the run log), "
              << counted(problems, "problem") << "; written: " << written << "\n";
    return faults ? tools::kExitFindings : tools::kExitDone;
}

} // namespace

int main(int argc, char** argv) {
    constexpr tools::Tool kTool{.name = "tovask-report",
                                .folderOption = "--out",
                                .usage = kUsage,
                                .valueOptions = kValueOptions};
    return kTool.run(argc, argv, writeReport);
}
