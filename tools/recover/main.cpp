// tovask-recover LOGFILE: rebuilds the results file of a run that broke from its run log.
#include "base/Failure.h"
#include "files/TextFile.h"
#include "tools/recover/Recovery.h"

#include <iostream>

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tovask-recover LOGFILE\n"
                     "Rebuilds the results of a run that broke from its run log (data/out....log)\n"
                     "and writes them beside it, never over a results file.\n";
        return 2;
    }
    try {
        const auto recovery = tovask::recover::recoverLog(argv[1]);
        const auto& recovered = recovery.recovered;
        for (const std::string& note : recovered.notes)
            std::cout << "Note: " << note << ".\n";
        if (recovered.answered.empty()) {
            std::cout << "No problem was answered before the run stopped: nothing to recover, "
                         "no file written.\n";
            return 0;
        }
        const auto path = tovask::recover::recoveredPath(recovery.resultsFile);
        tovask::writeFileAtomically(path, recovered.results);
        std::cout << "Recovered the answers to " << recovered.answered.size() << " of the "
                  << recovery.parameters.problemCount << " problems (problem"
                  << (recovered.answered.size() > 1 ? "s " : " ") << problemList(recovered.answered)
                  << ") from " << argv[1] << ".\n"
                  << "Written: " << path.string() << "\n";
        return 0;
    } catch (const tovask::Failure& failure) {
        std::cerr << "tovask-recover: " << failure.what() << "\n";
        return 1;
    }
}
