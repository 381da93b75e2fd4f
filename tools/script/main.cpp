// tovask-script: runs the experiment window without a screen, driven by a script of events,
// and prints the window's state as JSON on demand.
#include "files/OperatingSystem.h"
#include "tools/common/CommandLine.h"
#include "tools/script/Runner.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string_view>

namespace {

constexpr std::string_view kUsage = R"(usage: tovask-script [--program-dir DIR] [--pc NAME] [SCRIPT]
  DIR     the folder whose data/ holds the word, problem and
          results files (default: the folder of tovask-script)
  NAME    the computer name the run goes by in the session plan and
          the lock (default: this computer's), so that a pilot can stand
          for a PC of the plan
  SCRIPT  a file of events, one per line; - or none: standard input
)";

constexpr std::string_view kValueOptions[] = {"--pc"};

constexpr tovask::tools::Tool kTool{.name = "tovask-script",
                                    .folderOption = "--program-dir",
                                    .usage = kUsage,
                                    .done = tovask::script::kExitDone,
                                    .cannotRun = tovask::script::kExitUsage,
                                    .valueOptions = kValueOptions};

// Plays the script named (or standard input) and gives the run's exit status.
int play(const tovask::tools::Tool& tool, const tovask::tools::CommandLine& line) {
    if (line.names.size() > 1)
        return tool.misused("more than one script given");
    const std::filesystem::path programFolder =
        line.folder.value_or(tovask::os::executableFolder());
    const std::string scriptName = line.names.empty() ? "-" : line.names.front().string();

    std::ifstream file;
    if (scriptName != "-") {
        // A script may come through a pipe (/dev/fd/63 of the shell's <(...)); a folder is
        // named as one rather than failing at its first read.
        std::error_code error;
        if (std::filesystem::is_directory(line.names.front(), error))
            return tool.fail("cannot read the script " + scriptName + ": it is a folder");
        file.open(line.names.front(), std::ios::binary);
        if (!file)
            return tool.fail("cannot open the script " + scriptName + ": " + std::strerror(errno));
    }
    tovask::script::Runner runner(programFolder, std::cout, std::cerr);
    if (const auto pc = line.values.find("--pc"); pc != line.values.end())
        runner.experiment().SetComputerName(pc->second);
    return runner.run(scriptName == "-" ? std::cin : file);
}

} // namespace

int main(int argc, char** argv) {
    return kTool.run(argc, argv, play);
}
