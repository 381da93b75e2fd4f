// tovask-script: runs the experiment window without a screen, driven by a script of events,
// and prints the window's state as JSON on demand.
#include "files/OperatingSystem.h"
#include "tools/script/Runner.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string_view>

namespace {

constexpr const char* kUsage = "usage: tovask-script [--program-dir DIR] [SCRIPT]\n"
                               "  DIR     the folder whose data/ holds the word, problem and\n"
                               "          results files (default: the folder of tovask-script)\n"
                               "  SCRIPT  a file of events, one per line; - or none: standard "
                               "input\n";

int usageError(const std::string& why) {
    std::cerr << "tovask-script: " << why << '\n' << kUsage;
    return tovask::script::kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path programFolder;
    std::string scriptName = "-";
    bool scriptGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return tovask::script::kExitDone;
        }
        if (arg == "--program-dir") {
            if (i + 1 == argc)
                return usageError("--program-dir needs a folder");
            programFolder = argv[++i];
        } else if (arg.size() > 1 && arg.front() == '-') {
            return usageError("unknown option " + std::string(arg));
        } else if (scriptGiven) {
            return usageError("more than one script given");
        } else {
            scriptName = arg;
            scriptGiven = true;
        }
    }
    if (programFolder.empty())
        programFolder = tovask::os::executableFolder();

    std::ifstream file;
    if (scriptName != "-") {
        file.open(scriptName, std::ios::binary);
        if (!file) {
            std::cerr << "tovask-script: cannot open the script " << scriptName << ": "
                      << std::strerror(errno) << '\n';
            return tovask::script::kExitUsage;
        }
    }
    tovask::script::Runner runner(programFolder, std::cout, std::cerr);
    return runner.run(scriptName == "-" ? std::cin : file);
}
