// tovask-check: checks the word files and problem files of a data folder before a session and
// lists every fault found, one line each, without starting a run.
#include "base/Failure.h"
#include "base/Text.h"
#include "files/OperatingSystem.h"
#include "files/TextFile.h"
#include "tools/check/DataCheck.h"
#include "tools/common/CommandLine.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tovask;
using namespace tovask::check;

constexpr std::string_view kUsage = R"(usage: tovask-check [--program-dir DIR] [FILE...]
Checks word files (*.wds), problem files (inp*) and the session plan (session.csv) without
starting a run: the FILEs named, or else every one in DIR/data, and that a run can create
its files there (DIR: the folder that holds tovask-check). Lists each fault as
file:line:item: error|warning: message, and for each problem file a note on how many of its
budget lines cross within each type.
Exit status: 0 no error (warnings allowed), 1 errors found, 2 could not check.
)";

// Checks the files named, or those of the data folder, and lists what it finds.
int checkFiles(const tools::Tool& tool, const tools::CommandLine& line) {
    if (line.folder && !line.names.empty())
        return tool.fail("name either files or a program folder, not both");
    std::vector<fs::path> files = line.names;
    std::vector<FileCheck> checks;
    std::optional<Finding> folderFinding;

    try {
        if (files.empty()) {
            const fs::path data = line.folder.value_or(os::executableFolder()) / "data";
            if (!fs::is_directory(data))
                return tool.fail("there is no data folder " + data.string());
            folderFinding = checkDataFolder(data);
            DataFolder found = dataFolder(data);
            if (found.files.empty())
                return tool.fail("no word files (*.wds) or problem files (inp*) in " +
                                 data.string());
            files = std::move(found.files);
            checks = std::move(found.brokenLinks);
        }
    } catch (const fs::filesystem_error& e) {
        return tool.fail(e.what());
    }

    bool unchecked = false; // a file could not be checked
    for (const fs::path& file : files) {
        const FileKind kind = kindOf(file);
        if (kind == FileKind::other) {
            tool.fail(file.string() + " is neither a word file (*.wds), a problem file (inp*) nor "
                                      "a session plan (session.csv)");
            unchecked = true;
            continue;
        }
        try {
            const std::string bytes = readFileBytes(file, reading::kDataFile);
            const auto check = kind == FileKind::words      ? checkWordFile
                               : kind == FileKind::problems ? checkProblemFile
                                                            : checkSessionPlan;
            checks.push_back(check(bytes, file.string()));
        } catch (const Failure& failure) {
            tool.fail(failure.what());
            unchecked = true;
        }
    }
    compareLanguages(checks);

    std::size_t errors = 0;
    std::size_t warnings = 0;
    if (folderFinding) {
        std::cout << format(*folderFinding) << "\n";
        ++errors;
    }
    for (const FileCheck& check : checks) {
        for (const Finding& finding : check.findings) {
            std::cout << format(finding) << "\n";
            if (finding.severity != Severity::note)
                ++(finding.severity == Severity::error ? errors : warnings);
        }
    }
    std::cout.flush();
    const auto checked = std::ranges::count_if(
        checks, [](const FileCheck& check) { return check.kind != FileKind::other; });
    std::cerr << "tovask-check: " << counted(static_cast<std::size_t>(checked), "file")
              << " checked, " << counted(errors, "error") << ", " << counted(warnings, "warning")
              << "\n";
    if (unchecked)
        return tools::kExitCannotRun;
    return errors > 0 ? tools::kExitFindings : tools::kExitDone;
}

} // namespace

int main(int argc, char** argv) {
    constexpr tools::Tool kTool{
        .name = "tovask-check", .folderOption = "--program-dir", .usage = kUsage};
    return kTool.run(argc, argv, checkFiles);
}
