#include "tools/recover/Recovery.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "files/ResultsFile.h"
#include "files/RunLog.h"
#include "files/TextFile.h"

#include <map>
#include <optional>

namespace tovask::recover {

namespace fs = std::filesystem;

namespace {

using namespace logread;

// The values of a problem as the log shows it, each named as the experimenter knows it.
struct ShownValue {
    const char* name;
    double shown;
    double fileValue;
    bool single; // a rate, held in single precision
};

} // namespace

RunParameters runParameters(const ReadRunLog& log, const std::string& logName) {
    const std::string* dataFileText = runParameter(log.events, logged::kDataFileText);
    const std::string* subjectNumber = runParameter(log.events, logged::kSubjectNumber);
    const std::string* problemCount = runParameter(log.events, logged::kProblemCount);
    const auto count = problemCount ? exactValue<int>(*problemCount) : std::nullopt;
    if (!dataFileText || !subjectNumber || !count)
        throw Failure(logName + " does not name its problem file: the parameters recorded at the "
                                "start of the run are missing or damaged");
    return {*dataFileText, *subjectNumber, *count};
}

Recovered rebuildResults(const ReadRunLog& log, const ProblemList& problems,
                         const std::string& logName, const std::string& problemFileName) {
    const RunParameters parameters = runParameters(log, logName);
    const auto refuse = [&](const std::string& why) {
        throw Failure("the run log " + logName + " does not belong to the problem file " +
                      problemFileName + ": " + why +
                      ". Was the problem file changed or replaced after the run?");
    };
    if (parameters.problemCount != problems.count)
        refuse("the run had " + std::to_string(parameters.problemCount) +
               " problems, the file has " + std::to_string(problems.count));

    Recovered recovered;
    const auto damaged = [&recovered](int line) {
        recovered.notes.push_back("line " + std::to_string(line) +
                                  " of the log cannot be read; it was left out");
    };
    for (const int line : log.damagedLines)
        damaged(line);

    std::map<int, const ProblemShown*> shown;
    std::map<int, std::optional<double>> answers;
    const RunLogEvent* resultsWritten = nullptr;
    for (const RunLogEvent& event : log.events) {
        if (const auto* problem = event.as<ProblemShown>()) {
            const int pn = problem->pn;
            if (pn < 1 || pn > problems.count)
                refuse("problem " + std::to_string(pn) + " was shown, but the file has " +
                       std::to_string(problems.count) + " problems");
            const Problem& p = problems.problems[static_cast<std::size_t>(pn)];
            const ShownValue values[] = {{"type", problem->pt, p.pt, false},
                                         {"orig value", problem->orig, p.orig, false},
                                         {"amount", problem->a, p.a, false},
                                         {"first rate", problem->e[1], p.e[1], true},
                                         {"second rate", problem->e[2], p.e[2], true},
                                         {"third rate", problem->e[3], p.e[3], true}};
            for (const ShownValue& value : values) {
                const bool same = value.single ? static_cast<float>(value.shown) ==
                                                     static_cast<float>(value.fileValue)
                                               : value.shown == value.fileValue;
                if (!same)
                    refuse("problem " + std::to_string(pn) + " was shown with the " + value.name +
                           " \"" +
                           (value.single ? exactText(static_cast<float>(value.shown))
                                         : exactText(value.shown)) +
                           "\", the file gives " +
                           (value.single ? singleText(static_cast<float>(value.fileValue))
                                         : doubleText(value.fileValue)));
            }
            shown[pn] = problem;
        } else if (const auto* answer = event.as<ProblemAnswered>()) {
            if (answer->pn < 1 || answer->pn > problems.count) {
                damaged(event.line);
                continue;
            }
            const double amount = problems.problems[static_cast<std::size_t>(answer->pn)].a;
            if (answer->all && !isPossibleAnswer(*answer->all, amount)) {
                recovered.notes.push_back(
                    "line " + std::to_string(event.line) + " of the log gives problem " +
                    std::to_string(answer->pn) + " the answer " +
                    inQuotes(exactText(*answer->all)) + ", which the slider cannot give (0 to " +
                    doubleText(amount) + "); it was left out");
                continue;
            }
            answers[answer->pn] = answer->all;
        } else if (event.as<ResultsWritten>()) {
            resultsWritten = &event;
        }
    }

    recovered.results = resultsHeaderLine();
    for (const auto& [pn, all] : answers) {
        const auto draws = shown.find(pn);
        if (draws == shown.end()) {
            recovered.notes.push_back("problem " + std::to_string(pn) +
                                      " was answered, but the line that shows it is not in the "
                                      "log; its results line cannot be rebuilt");
            continue;
        }
        recovered.results += resultsLine(pn, problems.problems[static_cast<std::size_t>(pn)],
                                         Outcome{draws->second->rev, draws->second->inv, all});
        recovered.answered.push_back(pn);
    }
    if (log.endsInPiece)
        recovered.notes.push_back("the log ends in part of a line, written as the run broke; "
                                  "it was left out");
    if (resultsWritten)
        recovered.notes.push_back("the run wrote its results file itself (" +
                                  shownInMessage(resultsWritten->as<ResultsWritten>()->file) +
                                  ", " + shownInMessage(resultsWritten->time) +
                                  "); that file is complete, the recovered one is for comparison");
    return recovered;
}

Recovery recoverLog(const fs::path& logFile) {
    const std::string logName = logFile.string();
    const ReadRunLog log = parseRunLog(readFileBytes(logFile, reading::kRunLog), logName);
    Recovery recovery;
    recovery.parameters = runParameters(log, logName);
    // The problem file and the results file of the run lie in the folder of its log.
    const fs::path folder = fs::absolute(logFile).parent_path();
    const auto name = [&](const std::string& prefix) {
        return folder / dataFilePath(folder.parent_path(), prefix, recovery.parameters.dataFileText,
                                     recovery.parameters.subjectNumber)
                            .filename();
    };
    recovery.problemFile = name("inp");
    recovery.resultsFile = name("out");
    ThrowOnError stopAtError;
    const ProblemList problems =
        readProblemFile(recovery.problemFile, stopAtError, [](int, const Location&) {});
    recovery.recovered = rebuildResults(log, problems, logName, recovery.problemFile.string());
    return recovery;
}

fs::path recoveredPath(const fs::path& resultsFile) {
    fs::path base = resultsFile;
    base += ".recovered";
    return firstFreeName(base);
}

} // namespace tovask::recover
