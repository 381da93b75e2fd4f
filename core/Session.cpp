// The lab session. Where the data folder holds a session plan, the load fills the parameter
// screen in from this PC's row, and from the click that starts the run to its end the run shows
// a sign of life in the shared folder and acts on the session console's release requests.
// Without a plan none of this happens.
#include "core/Experiment.h"

#include "base/Failure.h"
#include "files/OperatingSystem.h"
#include "files/ResultsFile.h"
#include "files/SessionPlan.h"
#include "files/TextFile.h"

#include <system_error>

namespace tovask {

namespace {

namespace fs = std::filesystem;

// The first fault of a plan, for the message at the load; the rows without one are used.
class FirstFault : public Diagnostics {
public:
    void error(const Location& where, const std::string& message) override {
        if (first.empty())
            first = describe(where, message);
    }
    void warning(const Location&, const std::string&) override {}
    std::string first;
};

} // namespace

// Called at the end of the load, once the lists hold their entries.
void Experiment::StartSession() {
    const fs::path planFile = sessionPlanPath(services_.programFolder() / "data");
    std::error_code error;
    if (!fs::exists(planFile, error))
        return;
    sessionMode_ = true;
    FirstFault faults;
    SessionPlan plan;
    try {
        plan = readSessionPlan(planFile, faults);
    } catch (const Failure& failure) {
        faults.first = failure.what();
    }
    if (!faults.first.empty())
        Message("The session plan has a fault: " + faults.first +
                ".\nThe parameter screen is filled in only where the plan could be read: check "
                "every field before you click Continue.");
    const PlanRow* row = plan.rowOf(computer_);
    if (!row)
        return;
    InputDataFile.setText(row->inputDataFile);
    Language.setText(row->language);
    TreatmentVal.setText(row->treatment);
    TimeToWait.setText(row->timeToWait);
    ReadTimeInput.setText(row->readingTime);
}

// Called by the click that starts the run, once it holds its files.
void Experiment::StartSignOfLife() {
    if (!sessionMode_)
        return;
    signOfLife_ = std::make_unique<SignOfLifeFile>(resultsFile_);
    signOfLife_->show(Standing());
    SessionWatch.setEnabled(true);
}

SignOfLife Experiment::Standing() const {
    SignOfLife life;
    life.started = lock_->holder().started;
    life.pc = computer_;
    life.stage = Stage;
    life.problems = ProblemCount.value_or(0);
    // The problem on the screen or just answered; after the last one, the count of the list
    // (pn serves other ends before the problems and at the end).
    if (Stage >= 3 && Stage <= 5)
        life.problem = pn;
    else if (Stage >= 6 && Stage <= 9)
        life.problem = life.problems;
    life.readingLeft = Stage == 11 ? ReadTime.value_or(0) : 0;
    life.waitingAt = HoldPointWaitedAt();
    life.messageOpen = messageOpen_;
    return life;
}

// Where Ctrl+C on Continue would release the run now.
int Experiment::HoldPointWaitedAt() const {
    if (KeyArmed != 1 || !Continue.takesInput())
        return 0;
    if (Stage == 11)
        return 1;
    if (Stage == 6)
        return 2;
    return 0;
}

void Experiment::SessionWatch_Timer() {
    if (!signOfLife_)
        return;
    ActOnReleaseRequest();
    signOfLife_->show(Standing());
}

// A request acts only on the run it names, by its start, and only at the hold point it names;
// any other request (for a run that has ended or started again, or for a hold point not
// reached) is removed without effect, so that it can never release a later run.
void Experiment::ActOnReleaseRequest() {
    const fs::path request = releaseRequestPath(resultsFile_);
    std::error_code error;
    if (!fs::is_regular_file(request, error))
        return;
    std::optional<ReleaseRequest> asked;
    try {
        asked = parseReleaseRequest(readFileBytes(request, reading::kReleaseRequest));
    } catch (const Failure&) {
        return; // removed in the meantime, or the share is gone: the next second tries again
    }
    try {
        os::fileSystem().remove(request);
    } catch (const std::system_error&) {
        // Left in place, it names this run's start and a hold point passed: it acts no more.
    }
    if (asked && asked->started == lock_->holder().started && asked->hold == HoldPointWaitedAt())
        ReleaseHoldPoint(Releaser::Console);
}

void Experiment::ReleaseRunFiles() {
    SessionWatch.setEnabled(false);
    signOfLife_.reset();
    ReleaseLock();
}

} // namespace tovask
