#pragma once
// The results files of a session: found in the data folders collected from the lab PCs, or
// named one by one, each with the run log that lies beside it.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tovask::report {

// "out<data file>.<digits>", the name the program writes results under.
bool isResultsName(const std::string& name);

// The results file a recovered file stands for, and its place among the recovered files of that
// run: "out01.001.recovered" is the first, "out01.001.recovered-2" the second...
struct RecoveredName {
    std::string resultsName;
    int number = 0;
};
std::optional<RecoveredName> recoveredName(const std::string& name);

struct Source {
    std::filesystem::path file;
    std::string name; // how the tables and the messages name it: its path as given
    bool recovered = false;
    std::optional<std::filesystem::path> log;
};

struct Found {
    std::vector<Source> sources;
    std::vector<std::string> notes;  // what was read in place of what, what was left out
    std::vector<std::string> errors; // paths that hold no results to read
};

// Every results file of each folder (in name order) and each results file named, in the order
// given. Run logs, earlier runs' files (.earlier-...), temporary files and the files of other
// programs are left out. A recovered file is read only where its run has no results file (the
// latest, when there are several), or when it is named itself.
Found findResultsFiles(const std::vector<std::filesystem::path>& paths);

} // namespace tovask::report
