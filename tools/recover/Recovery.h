#pragma once
// Rebuilds the results of a run that broke (a crash, a power cut, a window closed by mistake)
// from its run log and the problem file it names: one results line for every problem the
// subject answered, byte for byte the line the run would have written.

#include "files/ProblemFile.h"
#include "files/RunLogReader.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovask::recover {

// What the log says about the run it records.
struct RunParameters {
    std::string dataFileText;
    std::string subjectNumber;
    int problemCount = 0;
};

// Throws tovask::Failure when the log lacks the parameters that name the problem file.
RunParameters runParameters(const ReadRunLog& log, const std::string& logName);

struct Recovered {
    std::string results;       // the header line and one line per answered problem
    std::vector<int> answered; // the problems whose lines it holds, in order
    // Things the experimenter should know: lines left out, problems that cannot be rebuilt,
    // a results file the run wrote itself.
    std::vector<std::string> notes;
};

// Throws tovask::Failure when the log does not belong to the problem list: another number of
// problems, or a problem shown with values that the list does not hold.
Recovered rebuildResults(const ReadRunLog& log, const ProblemList& problems,
                         const std::string& logName, const std::string& problemFileName);

// The whole recovery of one log file: reads it, finds its problem file in the same folder
// (the data folder of the run), checks and rebuilds. Throws tovask::Failure.
struct Recovery {
    RunParameters parameters;
    std::filesystem::path problemFile;
    std::filesystem::path resultsFile; // the name the run writes its results under
    Recovered recovered;
};
Recovery recoverLog(const std::filesystem::path& logFile);

// The first free name "<results file>.recovered", "<results file>.recovered-2", ...: never a
// name the program writes results under, and never a file that exists.
std::filesystem::path recoveredPath(const std::filesystem::path& resultsFile);

} // namespace tovask::recover
