// What the window records in the run log: the parameters at the start, each problem shown, each
// slider change, each answer, the experimenter key, the results file, the playing out and a
// window closed during the run.
#include "core/Experiment.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/ResultsFile.h"

namespace tovask {

Experiment::Experiment(ui::Services& services) : Experiment(services, systemLogClock()) {}

void Experiment::Record(std::string_view event, std::optional<int> problem, std::string value,
                        std::string detail, bool durable) {
    if (!log_)
        return;
    try {
        log_->record({Stage, event, problem, std::move(value), std::move(detail)});
        if (durable)
            log_->sync();
    } catch (const Failure& failure) {
        if (logFailureReported_)
            return;
        logFailureReported_ = true;
        Message(std::string(failure.what()) +
                ".\nThe run goes on, and its results file is written at the end as usual; what "
                "the log misses cannot be recovered after a crash.");
    }
}

// Called by the click that starts the run, once everything has been read and checked.
void Experiment::StartRunLog() {
    const std::filesystem::path results =
        dataFilePath(services_.programFolder(), "out", DataFileName, SubjectNo);
    if (const auto& stale = lock_->removedStale())
        Message("A run of the same input data file ended without finishing and left its files "
                "locked (" +
                *stale +
                "). The lock was removed and this run goes on. If that run's answers are needed: "
                "its run log is kept as " +
                runLogPath(results).filename().string() +
                ".earlier-<time>, and tovask-recover rebuilds them.");
    // A lock that could not be taken is said once: with the run log's failure, which has the
    // same cause in most cases, or alone.
    const std::string notLocked = lock_->notHeldBecause().empty()
                                      ? std::string()
                                      : " be locked against a second run (" +
                                            lock_->path().string() + ": " +
                                            lock_->notHeldBecause() + ").";
    try {
        log_ = std::make_unique<RunLog>(runLogPath(results), clock_);
    } catch (const Failure& failure) {
        Message(std::string(failure.what()) +
                ".\nThe run goes on without a run log: its results file is written at the end as "
                "usual, but answers given before a crash cannot be recovered." +
                (notLocked.empty() ? "" : " Nor can its files" + notLocked));
        return;
    }
    const std::string problemFile =
        dataFilePath(services_.programFolder(), "inp", DataFileName, SubjectNo).filename().string();
    const std::pair<std::string_view, std::string> parameters[] = {
        {logged::kProgramVersion, std::string(programVersion())},
        {logged::kDataFileText, DataFileName},
        {logged::kSubjectNumber, SubjectNo},
        {logged::kLanguage, Language.text()},
        {logged::kTreatment, TreatmentVal.text()},
        {logged::kReadingTime, std::to_string(ReadTime.value_or(0))},
        {logged::kWaitingTime, std::to_string(WaitTime)},
        {logged::kProblemFile, problemFile},
        {logged::kProblemCount, std::to_string(ProblemCount.value_or(0))},
    };
    // The parameters are made durable with the last of them.
    for (std::size_t i = 0; i < std::size(parameters); ++i)
        Record(logged::kParameter, std::nullopt, parameters[i].second,
               std::string(parameters[i].first), i + 1 == std::size(parameters));

    if (const auto& cause = log_->folderNotForced())
        Record(logged::kFolderSyncUnsupported, std::nullopt, cause->message());
    if (!notLocked.empty())
        Message("The files of this run cannot" + notLocked +
                "\nThe run goes on, but a second run of the same input data file would not be "
                "stopped.");
    if (const auto& stale = lock_->removedStale())
        Record(logged::kStaleLockRemoved, std::nullopt, *stale);
}

void Experiment::RecordProblemShown() {
    problemOnScreen_ = pn;
    subjectMoves_ = 0;
    shownAt_ = clock_.monotonic();
    Record(logged::kProblemShown, pn, {},
           detailText({{"rev", std::to_string(rev[pn].value_or(0))},
                       {"inv", std::to_string(inv[pn].value_or(0))},
                       {"pt", exactText(pt[pn])},
                       {"orig", exactText(orig[pn])},
                       {"a", exactText(a[pn])},
                       {"e1", exactText(e[1][pn])},
                       {"e2", exactText(e[2][pn])},
                       {"e3", exactText(e[3][pn])}}));
}

// The hot path while the subject moves the slider: one line, handed to the system, no wait for
// the disk.
void Experiment::RecordSliderChange() {
    const bool bySubject = problemOnScreen_ == pn;
    if (bySubject)
        ++subjectMoves_;
    Record(logged::kSlider, pn, std::to_string(AllocationSlider.value()),
           detailText({{"all", all[pn] ? exactText(*all[pn]) : std::string()},
                       {"by", bySubject ? "subject" : "program"}}));
}

void Experiment::RecordProblemAnswered() {
    const auto decision = clock_.monotonic() - shownAt_;
    Record(logged::kProblemAnswered, pn, all[pn] ? exactText(*all[pn]) : std::string(),
           detailText({{"moves", std::to_string(subjectMoves_)},
                       {"decision_ms", std::to_string(decision.count())}}),
           true);
}

void Experiment::RecordPlayedOut(double unitsOne, double unitsTwo) {
    Record(logged::kPlayedOut, pn, {},
           detailText({{"units_one", exactText(unitsOne)},
                       {"units_two", exactText(unitsTwo)},
                       {"money_one", exactText(unitsOne * RateOne)},
                       {"money_two", exactText(unitsTwo * RateTwo)}}),
           true);
}

void Experiment::ReleaseLock() {
    if (!lock_)
        return;
    const auto stays = lock_->release();
    const std::string path = lock_->path().string();
    lock_.reset();
    if (stays)
        Message("The run has ended, but its lock file " + path + " could not be removed (" +
                *stays +
                "). Delete it: until then a run of the same input data file on another PC is "
                "refused.");
}

void Experiment::WindowClosed() {
    ReleaseLock();
    if (!log_ || Stage == 9)
        return;
    const bool problemOnScreen = (Stage == 3 || Stage == 4) && pn >= 1 && problemOnScreen_ == pn;
    Record(logged::kWindowClosed, problemOnScreen ? std::optional<int>(pn) : std::nullopt, {}, {},
           true);
    log_.reset();
}

} // namespace tovask
