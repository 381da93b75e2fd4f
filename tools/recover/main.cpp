// tovask-recover LOGFILE: rebuilds the results file of a run that broke from its run log.
#include "base/Failure.h"
#include "files/TextFile.h"
#include "tools/common/CommandLine.h"
#include "tools/recover/Recovery.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace {

// "1 to 7" for a run of three or more problems from 1, "1, 2, 4" otherwise.
std::string problemList(const std::vector<int>& problems) {
    bool fromOne = true;
    for (std::size_t i = 0; i < problems.size(); ++i)
        fromOne = fromOne && problems[i] == static_cast<int>(i) + 1;
    if (fromOne && problems.size() > 2)
        return "1 to " + std::to_string(problems.size());
    std::string text;
    for (const int p : problems)
        text += (text.empty() ? "" : ", ") + std::to_string(p);
    return text;
}

constexpr std::string_view kUsage = R"(usage: tovask-recover LOGFILE
Rebuilds the results of a run that broke from its run log (data/out....log)
and writes them beside it, never over a results file.
Exit status: 0 recovered (or nothing to recover), 1 refused or failed, 2 wrong arguments
or the output could not be written.
)";

// Recovers the one log named and says what it wrote.
int recover(const tovask::tools::Tool& tool, const tovask::tools::CommandLine& line) {
    if (line.names.size() != 1)
        return tool.misused("name exactly one run log");
    const std::filesystem::path& logFile = line.names.front();
    try {
        const auto recovery = tovask::recover::recoverLog(logFile);
        const auto& recovered = recovery.recovered;
        for (const std::string& note : recovered.notes)
            std::cout << "Note: " << note << ".\n";
        if (recovered.answered.empty()) {
            std::cout << "No problem was answered before the run stopped: nothing to recover, "
                         "no file written.\n";
            return tool.done;
        }
        const auto path = tovask::recover::recoveredPath(recovery.resultsFile);
        tovask::writeFileAtomically(path, recovered.results);
        std::cout << "Recovered the answers to " << recovered.answered.size() << " of the "
                  << recovery.parameters.problemCount << " problems (problem"
                  << (recovered.answered.size() > 1 ? "s " : " ") << problemList(recovered.answered)
                  << ") from " << logFile.string() << ".\n"
                  << "Written: " << path.string() << "\n";
        return tool.done;
    } catch (const tovask::Failure& failure) {
        // A refusal is not a wrong call of the tool: status 1, where tool.fail() gives 2.
        std::cerr << tool.name << ": " << failure.what() << "\n";
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    constexpr tovask::tools::Tool kTool{.name = "tovask-recover", .usage = kUsage};
    return kTool.run(argc, argv, recover);
}
