// What the window records in the run log: the parameters at the start, each problem shown, each
// slider change, each answer, the experimenter key, the results file, the playing out, and the
// subject's closing of the window during the run, asked first.
#include "core/Experiment.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/ResultsFile.h"

namespace tovask {

namespace key = logged::key;

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

// A run that could keep no answer does not start: the click that would start it is refused,
// with what the experimenter can do about it.
std::unique_ptr<RunLog> Experiment::CreateRunLog(const std::filesystem::path& results) {
    try {
        return std::make_unique<RunLog>(runLogPath(results), clock_);
    } catch (const Failure& failure) {
        throw Failure(std::string(failure.what()) +
                      ".\nWithout its run log no answer of this run could be kept, so the run "
                      "does not start. Check that the data folder " +
                      results.parent_path().string() +
                      " exists and that the user of this PC may create files in it (on a "
                      "network share: that the share is connected and writable), then click "
                      "Continue again.");
    }
}

// Called by the click that starts the run, once everything has been read and checked and the
// run log created.
void Experiment::StartRunLog() {
    if (const auto& stale = lock_->removedStale())
        Message("A run of the same input data file ended without finishing and left its files "
                "locked (" +
                *stale +
                "). The lock was removed and this run goes on. If that run's answers are needed: "
                "its run log is kept as " +
                runLogPath(resultsFile_).filename().string() +
                ".earlier-<time>, and tovask-recover rebuilds them.");
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
    if (!lock_->notHeldBecause().empty())
        Message("The files of this run cannot be locked against a second run (" +
                lock_->path().string() + ": " + lock_->notHeldBecause() +
                ").\nThe run goes on, but a second run of the same input data file would not be "
                "stopped.");
    if (const auto& stale = lock_->removedStale())
        Record(logged::kStaleLockRemoved, std::nullopt, *stale);
}

void Experiment::RecordProblemShown() {
    problemOnScreen_ = pn;
    subjectMoves_ = 0;
    shownAt_ = clock_.monotonic();
    Record(logged::kProblemShown, pn, {},
           detailText({{key::kRev, std::to_string(rev[pn].value_or(0))},
                       {key::kInv, std::to_string(inv[pn].value_or(0))},
                       {key::kPt, exactText(pt[pn])},
                       {key::kOrig, exactText(orig[pn])},
                       {key::kAmount, exactText(a[pn])},
                       {key::kRate[1], exactText(e[1][pn])},
                       {key::kRate[2], exactText(e[2][pn])},
                       {key::kRate[3], exactText(e[3][pn])}}));
}

// The hot path while the subject moves the slider: one line, handed to the system, no wait for
// the disk.
void Experiment::RecordSliderChange() {
    const bool bySubject = problemOnScreen_ == pn;
    if (bySubject)
        ++subjectMoves_;
    Record(logged::kSlider, pn, std::to_string(AllocationSlider.value()),
           detailText({{key::kAll, all[pn] ? exactText(*all[pn]) : std::string()},
                       {key::kBy, std::string(bySubject ? key::kBySubject : key::kByProgram)}}));
}

void Experiment::RecordProblemAnswered() {
    const auto decision = clock_.monotonic() - shownAt_;
    Record(logged::kProblemAnswered, pn, all[pn] ? exactText(*all[pn]) : std::string(),
           detailText({{key::kMoves, std::to_string(subjectMoves_)},
                       {key::kDecisionMs, std::to_string(decision.count())}}),
           true);
}

void Experiment::RecordPlayedOut(double unitsOne, double unitsTwo) {
    Record(logged::kPlayedOut, pn, {},
           detailText({{key::kUnitsOne, exactText(unitsOne)},
                       {key::kUnitsTwo, exactText(unitsTwo)},
                       {key::kMoneyOne, exactText(unitsOne * RateOne)},
                       {key::kMoneyTwo, exactText(unitsTwo * RateTwo)}}),
           true);
}

void Experiment::RecordRelease(std::string_view holdPoint, Releaser releaser) {
    DetailPairs detail = {{key::kReleased, std::string(holdPoint)}};
    if (releaser == Releaser::Console)
        detail.emplace_back(key::kBy, key::kByConsole);
    // The key's character code, as typed; a release from the console typed none.
    Record(logged::kExperimenterKey, std::nullopt,
           releaser == Releaser::Key ? std::to_string(kCtrlC) : "", detailText(detail), true);
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

std::optional<int> Experiment::ProblemOnScreen() const {
    if ((Stage == 3 || Stage == 4) && pn >= 1 && problemOnScreen_ == pn)
        return pn;
    return std::nullopt;
}

// Before the first problem nothing of the subject's is lost by closing, and after the end
// nothing is left to do: the window closes at once there, as it always has.
bool Experiment::Experiment_QueryClose() {
    if (!log_ || problemOnScreen_ < 1 || Stage == 9)
        return true;
    const std::string log = log_->path().string();
    const std::string where = resultsWritten_
                                  ? "The answers are in the results file " + resultsFile_.string() +
                                        " and in the run log " + log + "."
                                  : "The answers given so far are kept in the run log " + log +
                                        "; tovask-recover rebuilds the results from it.";
    const bool close = Ask("The run has not ended. Closing the window ends it here.\n" + where +
                           "\n\nClose the window and end the run?");
    Record(logged::kCloseAsked, ProblemOnScreen(),
           std::string(close ? logged::kChoseClose : logged::kChoseGoOn), {}, true);
    return close;
}

void Experiment::WindowClosed() {
    ReleaseRunFiles();
    if (!log_ || Stage == 9)
        return;
    Record(logged::kWindowClosed, ProblemOnScreen(), {}, {}, true);
    log_.reset();
}

} // namespace tovask
