#include "tools/recover/Recovery.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "files/ResultsFile.h"
#include "files/TextFile.h"

#include <map>
#include <optional>

namespace tovask::recover {

namespace fs = std::filesystem;

namespace {

const std::string* parameter(const ReadRunLog& log, std::string_view name) {
    for (const LoggedEvent& event : log.events)
        if (event.event == logged::kParameter && event.detail == name)
            return &event.value;
    return nullptr;
}

// rev and inv of a problem as drawn when it was shown.
struct Draws {
    int rev = 0;
    int inv = 0;
};

// The values of a problem as the log shows it, each named as the experimenter knows it.
struct ShownValue {
    std::string_view key;
    const char* name;
    double fileValue;
    bool single; // a rate, held in single precision
};

} // namespace

RunParameters runParameters(const ReadRunLog& log, const std::string& logName) {
    const std::string* dataFileText = parameter(log, logged::kDataFileText);
    const std::string* subjectNumber = parameter(log, logged::kSubjectNumber);
    const std::string* problemCount = parameter(log, logged::kProblemCount);
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

    std::map<int, Draws> shown;
    std::map<int, std::optional<double>> answers;
    const LoggedEvent* resultsWritten = nullptr;
    for (const LoggedEvent& event : log.events) {
        if (event.event == logged::kProblemShown) {
            const auto rev = exactValue<int>(detailValue(event.detail, "rev").value_or(""));
            const auto inv = exactValue<int>(detailValue(event.detail, "inv").value_or(""));
            if (!event.problem || !rev || !inv || (*rev != 0 && *rev != 1) ||
                (*inv != 0 && *inv != 1)) {
                damaged(event.line);
                continue;
            }
            const int pn = *event.problem;
            if (pn < 1 || pn > problems.count)
                refuse("problem " + std::to_string(pn) + " was shown, but the file has " +
                       std::to_string(problems.count) + " problems");
            const Problem& p = problems.problems[static_cast<std::size_t>(pn)];
            const ShownValue values[] = {
                {"pt", "type", p.pt, false},         {"orig", "orig value", p.orig, false},
                {"a", "amount", p.a, false},         {"e1", "first rate", p.e[1], true},
                {"e2", "second rate", p.e[2], true}, {"e3", "third rate", p.e[3], true}};
            for (const ShownValue& value : values) {
                const std::string text = detailValue(event.detail, value.key).value_or("");
                const bool same =
                    value.single ? exactValue<float>(text) == static_cast<float>(value.fileValue)
                                 : exactValue<double>(text) == value.fileValue;
                if (!same)
                    refuse("problem " + std::to_string(pn) + " was shown with the " + value.name +
                           " " + inQuotes(text) + ", the file gives " +
                           (value.single ? singleText(static_cast<float>(value.fileValue))
                                         : doubleText(value.fileValue)));
            }
            shown[pn] = {*rev, *inv};
        } else if (event.event == logged::kProblemAnswered) {
            const auto all = exactValue<double>(event.value);
            if (!event.problem || *event.problem < 1 || *event.problem > problems.count ||
                (!all && !event.value.empty())) {
                damaged(event.line);
                continue;
            }
            const double amount = problems.problems[static_cast<std::size_t>(*event.problem)].a;
            if (all && !isPossibleAnswer(*all, amount)) {
                recovered.notes.push_back(
                    "line " + std::to_string(event.line) + " of the log gives problem " +
                    std::to_string(*event.problem) + " the answer " + inQuotes(event.value) +
                    ", which the slider cannot give (0 to " + doubleText(amount) +
                    "); it was left out");
                continue;
            }
            answers[*event.problem] = all;
        } else if (event.event == logged::kResultsWritten) {
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
                                         Outcome{draws->second.rev, draws->second.inv, all});
        recovered.answered.push_back(pn);
    }
    if (log.endsInPiece)
        recovered.notes.push_back("the log ends in part of a line, written as the run broke; "
                                  "it was left out");
    if (resultsWritten)
        recovered.notes.push_back("the run wrote its results file itself (" +
                                  shownInMessage(resultsWritten->value) + ", " +
                                  shownInMessage(resultsWritten->time) +
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
