#include "tools/console/RunWatch.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/OperatingSystem.h"
#include "files/RunLog.h"
#include "files/TextFile.h"
#include "tools/console/RunFiles.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

namespace tovask::console {

namespace fs = std::filesystem;
using std::chrono::duration;
using std::chrono::milliseconds;

namespace {

// Beats come every few seconds; a run whose last one is older than this has stopped.
constexpr auto kSilentAfter = std::chrono::seconds(15);
// A lock gone while the log has not ended: the run is gone, unless the end comes in this time
// (a run removes its lock as its window closes, and writes the log's last line after).
constexpr auto kGoneAfter = std::chrono::seconds(2);

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::max(0.0, duration<double>(to - from).count());
}

std::optional<double> median(std::vector<double> values) {
    if (values.empty())
        return std::nullopt;
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    if (values.size() % 2 == 1)
        return values[middle];
    const double upper = values[middle];
    return (*std::max_element(values.begin(),
                              values.begin() + static_cast<std::ptrdiff_t>(middle)) +
            upper) /
           2;
}

// A time as the run log writes it, "2024-03-05T14:07:09.042+01:00", on the system clock.
std::optional<std::chrono::system_clock::time_point> logTime(std::string_view text) {
    if (text.size() != 29 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != '.' || text[26] != ':' ||
        (text[23] != '+' && text[23] != '-'))
        return std::nullopt;
    const auto field = [&](std::size_t at, std::size_t size) {
        return exactValue<int>(text.substr(at, size));
    };
    const auto year = field(0, 4), month = field(5, 2), day = field(8, 2), hour = field(11, 2),
               minute = field(14, 2), second = field(17, 2), milli = field(20, 3),
               offsetHours = field(24, 2), offsetMinutes = field(27, 2);
    if (!year || !month || !day || !hour || !minute || !second || !milli || !offsetHours ||
        !offsetMinutes)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(*year),
                                           std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok())
        return std::nullopt;
    const auto offset =
        std::chrono::minutes((text[23] == '-' ? -1 : 1) * (*offsetHours * 60 + *offsetMinutes));
    return std::chrono::sys_days(date) + std::chrono::hours(*hour) + std::chrono::minutes(*minute) +
           std::chrono::seconds(*second) + milliseconds(*milli) - offset;
}

// How far a run has come: stages in the order a run passes them, then the problem, then a step
// within the stage (a problem shown, its waiting time over, answered; or the hold point reached).
struct Progress {
    int rank = 0;
    int problem = 0;
    int step = 0;
    auto operator<=>(const Progress&) const = default;
};

Progress progressOf(int stage, int problem, int waitingAt) {
    switch (stage) {
    case 1:
        return {1, 0, 0};
    case 11:
        return {2, 0, waitingAt == 1 ? 1 : 0};
    case 2:
        return {3, 0, 0};
    case 3:
    case 4:
    case 5:
        return {4, problem, stage - 3};
    case 6:
        return {5, problem, waitingAt == 2 ? 1 : 0};
    case 7:
    case 8:
    case 9:
        return {stage - 1, problem, 0};
    default:
        return {0, 0, 0};
    }
}

// The phase of a run at its stage, and the words for where it stands.
std::pair<Phase, std::string> stageWords(const RunRow& row, int stage) {
    const std::string problem =
        "problem " + std::to_string(row.problem) + " of " + std::to_string(row.problems);
    switch (stage) {
    case 0:
        return {Phase::ParameterScreen, "parameter screen"};
    case 1:
        return {Phase::Instructions, "files read, instructions not yet opened"};
    case 11:
        if (row.waitingAt == 1)
            return {Phase::HoldOne, "waiting at hold point 1"};
        if (row.readingLeft)
            return {Phase::Reading, "reading, " + std::to_string(*row.readingLeft) + " s left"};
        return {Phase::Reading, "reading"};
    case 2:
        return {Phase::Problems, "released, closing the instructions"};
    case 3:
    case 4:
        return {Phase::Problems, problem};
    case 5:
        return {Phase::Problems, problem + " answered"};
    case 6:
        if (row.waitingAt == 2)
            return {Phase::HoldTwo, "results written, waiting at hold point 2"};
        return {Phase::Problems, "all " + std::to_string(row.problems) + " problems answered"};
    case 7:
        return {Phase::PlayingOut, "released, about to choose the problem to pay"};
    case 9:
        return {Phase::PlayedOut, "played out"};
    default:
        return {Phase::PlayingOut, "choosing the problem to pay"};
    }
}

} // namespace

std::string_view phaseText(Phase phase) {
    static constexpr std::array<std::string_view, kPhases> kTexts = {"not started",
                                                                     "parameter screen",
                                                                     "instructions",
                                                                     "reading",
                                                                     "waiting at hold point 1",
                                                                     "problems",
                                                                     "waiting at hold point 2",
                                                                     "playing out",
                                                                     "played out",
                                                                     "closed early",
                                                                     "broke off"};
    return kTexts[static_cast<std::size_t>(phase)];
}

bool isOver(Phase phase) {
    return phase == Phase::PlayedOut || phase == Phase::Closed || phase == Phase::BrokeOff;
}

RunWatch::RunWatch(fs::path resultsFile, Clock::time_point now)
    : resultsFile_(std::move(resultsFile)), firstSeen_(now), log_(runLogPath(resultsFile_)) {}

void RunWatch::poll(const Present& present, Clock::time_point now,
                    std::chrono::system_clock::time_point wallNow, const std::string& machineId) {
    logPresent_ = present.log;
    if (present.log)
        readLog(now, wallNow);
    if (present.signOfLife)
        readSignOfLife(now);
    else
        life_.reset();
    lockPresent_ = present.lock;
    readLock(now, machineId);
    requestPresent_ = present.request;
}

void RunWatch::readLog(Clock::time_point now, std::chrono::system_clock::time_point wallNow) {
    RunLogFollower::Poll poll;
    try {
        poll = log_.poll();
        logProblem_.clear();
    } catch (const Failure& failure) {
        logProblem_ = failure.what();
        return;
    }
    const bool live = polledLog_;
    if (poll.reset)
        forgetLog();
    polledLog_ = true;
    if (poll.events.empty())
        return;
    // The newest event happened now when it is seen as it comes; what the log held before the
    // console looked is placed by the PC's clock, never in the future. The others are placed
    // from the newest by the run's own clock.
    const RunLogEvent& newest = poll.events.back();
    Clock::time_point newestAt = now;
    if (const auto written = logTime(newest.time); written && !live)
        newestAt -= std::chrono::duration_cast<Clock::duration>(
            std::max(std::chrono::system_clock::duration::zero(), wallNow - *written));
    for (const RunLogEvent& event : poll.events)
        take(event, newestAt - milliseconds(newest.msSinceStart - event.msSinceStart));
}

void RunWatch::forgetLog() {
    parameters_.clear();
    startedAt_.reset();
    shownAt_.reset();
    lastEventAt_.reset();
    shownMs_.reset();
    shown_ = answered_ = 0;
    decisionsMs_.clear();
    cycles_.clear();
    releasedOne_ = releasedTwo_ = resultsWritten_ = playedOut_ = closed_ = false;
    resultsFailed_.clear();
}

void RunWatch::take(const RunLogEvent& event, Clock::time_point at) {
    if (!startedAt_)
        startedAt_ = at - milliseconds(event.msSinceStart);
    lastEventAt_ = at;
    if (const auto* parameter = event.as<logread::Parameter>()) {
        parameters_[parameter->name] = parameter->value;
    } else if (const auto* shown = event.as<logread::ProblemShown>()) {
        if (shownMs_ && shown->pn == shown_ + 1)
            cycles_.push_back(static_cast<double>(event.msSinceStart - *shownMs_));
        shown_ = shown->pn;
        shownMs_ = event.msSinceStart;
        shownAt_ = at;
    } else if (const auto* answered = event.as<logread::ProblemAnswered>()) {
        answered_ = answered->pn;
        if (answered->decisionMs)
            decisionsMs_.push_back(static_cast<double>(*answered->decisionMs));
    } else if (const auto* released = event.as<logread::Released>()) {
        (released->hold == logread::HoldPoint::Instructions ? releasedOne_ : releasedTwo_) = true;
    } else if (event.as<logread::ResultsWritten>()) {
        resultsWritten_ = true;
        resultsFailed_.clear();
    } else if (const auto* failed = event.as<logread::ResultsFailed>()) {
        resultsFailed_ = failed->why.empty() ? "unknown" : failed->why;
    } else if (event.as<logread::PlayedOut>()) {
        playedOut_ = true;
    } else if (event.as<logread::WindowClosed>()) {
        closed_ = true;
    }
}

void RunWatch::readSignOfLife(Clock::time_point now) {
    std::optional<SignOfLife> read;
    try {
        read = parseSignOfLife(readFileBytes(signOfLifePath(resultsFile_), reading::kSignOfLife));
    } catch (const Failure&) {
        return; // replaced or removed just now: the next poll reads it
    }
    if (!read)
        return;
    pc_ = read->pc;
    if (!life_ || life_->beat != read->beat || life_->started != read->started) {
        beatSeenAt_ = now;
        readingSeenAt_ = now;
    }
    life_ = read;
}

void RunWatch::readLock(Clock::time_point now, const std::string& machineId) {
    if (!lockPresent_) {
        lock_.reset();
        lockText_.clear();
        lockProcessGone_ = false;
        if (!lockGoneSince_)
            lockGoneSince_ = now;
        return;
    }
    lockGoneSince_.reset();
    try {
        std::string text = readFileBytes(runLockPath(resultsFile_), reading::kLockFile);
        if (text != lockText_) {
            lockText_ = std::move(text);
            lock_ = parseLockHolder(lockText_);
            if (lock_)
                pc_ = lock_->host;
        }
    } catch (const Failure&) {
        return; // removed just now
    }
    // Only a process of this very computer can be looked at: gone, or another one now.
    lockProcessGone_ = false;
    if (lock_ && !machineId.empty() && lock_->machine == machineId) {
        if (const auto id = exactValue<std::uint64_t>(lock_->process)) {
            const os::ProcessStart process = os::processStart(*id);
            lockProcessGone_ = process.state == os::ProcessStart::State::Gone ||
                               (process.state == os::ProcessStart::State::Running &&
                                process.mark != lock_->processStart);
        }
    }
}

bool RunWatch::ended() const {
    return playedOut_ || closed_;
}

bool RunWatch::brokeOff(Clock::time_point now) const {
    if (ended())
        return false;
    if (lockPresent_)
        return lockProcessGone_;
    return !life_ && lockGoneSince_ && now - *lockGoneSince_ >= kGoneAfter;
}

std::string RunWatch::started() const {
    if (lock_)
        return lock_->started;
    return life_ ? life_->started : std::string();
}

std::string RunWatch::pc() const {
    if (life_)
        return life_->pc;
    return lock_ ? lock_->host : pc_;
}

RunRow RunWatch::row(Clock::time_point now, std::optional<double> sessionCycleMs) const {
    RunRow row;
    const auto parameter = [this](std::string_view name) {
        const auto found = parameters_.find(std::string(name));
        return found == parameters_.end() ? std::string() : found->second;
    };
    row.resultsFile = resultsFile_.filename().string();
    row.inputDataFile = parameter(logged::kDataFileText);
    if (row.inputDataFile.empty()) // "out" + the input data file + the subject's suffix
        row.inputDataFile = row.resultsFile.substr(3, row.resultsFile.rfind('.') - 3);
    row.pc = pc();
    row.language = parameter(logged::kLanguage);
    row.treatment = parameter(logged::kTreatment);
    row.readingTime = parameter(logged::kReadingTime);
    row.waitingTime = parameter(logged::kWaitingTime);
    row.problems =
        exactValue<int>(parameter(logged::kProblemCount)).value_or(life_ ? life_->problems : 0);
    row.answered = answered_;
    row.releaseSent = requestPresent_;
    row.medianDecisionMs = median(decisionsMs_);
    place(row, now);
    name(row, brokeOff(now));
    // A run that has ended shows how long it took.
    if (startedAt_)
        row.secondsSinceStart =
            secondsBetween(*startedAt_, isOver(row.phase) ? lastEventAt_.value_or(now) : now);
    if ((row.stage == 3 || row.stage == 4) && shownAt_ && row.phase == Phase::Problems)
        row.secondsOnProblem = secondsBetween(*shownAt_, now);
    if (beatSeenAt_)
        row.secondsSinceAlive = secondsBetween(*beatSeenAt_, now);
    warn(row, now);
    estimate(row, sessionCycleMs);
    return row;
}

// Where the log says the run stands; the sign of life, when it is the same run's and not behind
// the log, says more: the stage the log does not record, the reading time left, the hold point
// waited at.
void RunWatch::place(RunRow& row, Clock::time_point now) const {
    int stage = 0, waitingAt = 0;
    if (playedOut_)
        stage = 9;
    else if (releasedTwo_)
        stage = 7;
    else if (resultsWritten_ || (row.problems > 0 && answered_ == row.problems))
        stage = 6;
    else if (shown_ > 0)
        stage = answered_ == shown_ ? 5 : 3;
    else if (releasedOne_)
        stage = 2;
    else if (!parameters_.empty() || lockPresent_)
        stage = 1;
    if (resultsWritten_ && !releasedTwo_ && !playedOut_)
        waitingAt = 2;
    row.problem = shown_;
    const bool sameRun = life_ && (!lock_ || lock_->started == life_->started);
    if (sameRun && progressOf(life_->stage, life_->problem, life_->waitingAt) >=
                       progressOf(stage, shown_, waitingAt)) {
        stage = life_->stage;
        waitingAt = life_->waitingAt;
        row.problem = life_->problem;
        if (stage == 11 && readingSeenAt_)
            row.readingLeft = std::max(
                0, life_->readingLeft - static_cast<int>(secondsBetween(*readingSeenAt_, now)));
    }
    row.stage = stage;
    row.waitingAt = waitingAt;
}

// The phase of the run and the words for where it stands.
void RunWatch::name(RunRow& row, bool broke) const {
    if (closed_) {
        row.phase = Phase::Closed;
        row.stageText = "window closed before the end";
        return;
    }
    std::tie(row.phase, row.stageText) = stageWords(row, row.stage.value_or(0));
    if (broke && !isOver(row.phase)) {
        row.phase = Phase::BrokeOff;
        row.stageText = "broke off (" + row.stageText + ")";
        row.waitingAt = 0;
    }
}

void RunWatch::warn(RunRow& row, Clock::time_point now) const {
    const bool going = !isOver(row.phase);
    if (row.phase == Phase::BrokeOff)
        row.warnings.push_back(resultsWritten_ ? "broke off after its results file was written"
                                               : "broke off, no results file: run tovask-recover");
    if (!resultsFailed_.empty() && !resultsWritten_)
        row.warnings.push_back("the results file could not be written");
    const bool messageOpen = going && life_ && life_->messageOpen;
    if (messageOpen)
        row.warnings.push_back("a message is open on this PC");
    // Silence counts only for a run that has shown a sign of life (one of a lab session) while
    // it holds its files; a message box pauses the beats.
    if (going && beatSeenAt_ && !messageOpen && (lockPresent_ || life_)) {
        const double silent = secondsBetween(*beatSeenAt_, now);
        if (silent > duration<double>(kSilentAfter).count())
            row.warnings.push_back("silent for " + std::to_string(static_cast<int>(silent)) + " s");
    }
    if (!logProblem_.empty())
        row.warnings.push_back(logProblem_);
}

// The time its remaining problems take at the pace of its own problems so far (of the whole
// session while it has too few), less what it spent on the one on the screen.
void RunWatch::estimate(RunRow& row, std::optional<double> sessionCycleMs) const {
    const bool beforeResults = row.phase == Phase::Instructions || row.phase == Phase::Reading ||
                               row.phase == Phase::HoldOne ||
                               (row.phase == Phase::Problems && row.stage != 6);
    const std::optional<double> cycleMs = cycles_.size() >= 2 ? median(cycles_) : sessionCycleMs;
    if (!beforeResults || !cycleMs || row.problems <= 0)
        return;
    const double cycle = *cycleMs / 1000;
    double left = (row.problems - answered_) * cycle;
    if (row.secondsOnProblem)
        left -= std::min(*row.secondsOnProblem, cycle);
    left += row.readingLeft.value_or(0);
    row.secondsLeft = std::max(0.0, left);
}

} // namespace tovask::console
