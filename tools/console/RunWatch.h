#pragma once
// One run as the console sees it through the files in its data folder: the run log, followed as
// it grows; the sign of life, whose beats the console times on its own clock; the lock; and a
// release request that waits for the run.

#include "files/RunLock.h"
#include "files/RunLogReader.h"
#include "files/SessionSignals.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tovask::console {

using Clock = std::chrono::steady_clock;

// Where a run stands, for the summary and the release buttons.
enum class Phase {
    NotStarted,
    ParameterScreen,
    Instructions, // the files are read; the instructions not yet shown
    Reading,
    HoldOne, // the reading time is over: waiting for the experimenter
    Problems,
    HoldTwo, // the results file is written: waiting for the experimenter
    PlayingOut,
    PlayedOut,
    Closed,   // the window was closed before the end
    BrokeOff, // the program or the PC stopped: the run cannot go on
};
inline constexpr int kPhases = static_cast<int>(Phase::BrokeOff) + 1;
// "reading", "waiting at hold point 1", ...: the summary's words for the phase.
std::string_view phaseText(Phase phase);
// The run will not go on: played out, closed or broken off.
bool isOver(Phase phase);

// What the page shows of a run.
struct RunRow {
    std::string id;     // tells the run from every other: "out01.001", or "lab07/out01.001"
    std::string folder; // the data folder's label
    std::string pc;
    std::string inputDataFile;
    std::string resultsFile; // "out01.001"; empty for a PC of the plan that has not started
    std::string language, treatment, readingTime, waitingTime;
    Phase phase = Phase::NotStarted;
    std::optional<int> stage; // the run's Stage
    std::string stageText;    // "problem 37 of 100"
    int waitingAt = 0;        // the hold point it waits at: 1, 2, or 0
    bool releaseSent = false; // a request of the console waits for the run
    int problem = 0, problems = 0, answered = 0;
    std::optional<int> readingLeft;
    std::optional<double> secondsOnProblem, secondsSinceStart, secondsSinceAlive;
    std::optional<double> medianDecisionMs;
    std::optional<double> secondsLeft; // until its last problem is answered, estimated
    std::vector<std::string> warnings;
};

class RunWatch {
public:
    // A run with the results file named, in its data folder.
    explicit RunWatch(std::filesystem::path resultsFile, Clock::time_point now);

    // Which of the run's files the folder holds, as the latest listing of it says.
    struct Present {
        bool log = false, lock = false, signOfLife = false, request = false;
    };
    // Reads what changed. `now` is the console's clock, `wallNow` the computer's (to place what
    // a log held before the console saw it), machineId this computer's system id.
    void poll(const Present& present, Clock::time_point now,
              std::chrono::system_clock::time_point wallNow, const std::string& machineId);

    // The row as it stands at `now`; sessionCycleMs is the median time a problem takes over all
    // runs, for the estimate of a run that has answered too few itself.
    RunRow row(Clock::time_point now, std::optional<double> sessionCycleMs) const;

    // The times from one problem shown to the next, in ms, on the run's own clock.
    const std::vector<double>& cycles() const { return cycles_; }
    // The run's start as its lock and its sign of life hold it; empty when not known.
    std::string started() const;
    // The PC its sign of life or its lock names, or named last; empty when none did.
    std::string pc() const;
    const std::filesystem::path& resultsFile() const { return resultsFile_; }
    // The lock's holder while it holds the files, and whether its run still goes on.
    const std::optional<LockHolder>& lock() const { return lock_; }
    bool ended() const;
    // A request has been written for the run; shown until the run removes it.
    void requestWritten() { requestPresent_ = true; }

private:
    void readLog(Clock::time_point now, std::chrono::system_clock::time_point wallNow);
    void take(const RunLogEvent& event, Clock::time_point at);
    void forgetLog();
    void readSignOfLife(Clock::time_point now);
    void readLock(Clock::time_point now, const std::string& machineId);
    bool brokeOff(Clock::time_point now) const;
    // The parts of a row: where the run stands, its phase and words, its warnings, the time
    // its problems still take.
    void place(RunRow& row, Clock::time_point now) const;
    void name(RunRow& row, bool broke) const;
    void warn(RunRow& row, Clock::time_point now) const;
    void estimate(RunRow& row, std::optional<double> sessionCycleMs) const;

    std::filesystem::path resultsFile_;
    Clock::time_point firstSeen_;

    // From the run log.
    RunLogFollower log_;
    bool logPresent_ = false;
    std::string logProblem_; // why the log cannot be read
    bool polledLog_ = false; // the log has been read once: what comes later is seen as it happens
    std::map<std::string, std::string> parameters_;
    std::optional<Clock::time_point> startedAt_, shownAt_, lastEventAt_;
    std::optional<std::int64_t> shownMs_;
    int shown_ = 0, answered_ = 0;
    std::vector<double> decisionsMs_, cycles_;
    bool releasedOne_ = false, releasedTwo_ = false, resultsWritten_ = false;
    std::string resultsFailed_; // why the last try failed; empty once written
    bool playedOut_ = false, closed_ = false;

    // From the sign of life.
    std::optional<SignOfLife> life_;
    std::optional<Clock::time_point> beatSeenAt_;
    std::optional<Clock::time_point> readingSeenAt_; // when readingLeft was last read anew

    // From the lock.
    bool lockPresent_ = false;
    std::string lockText_;
    std::optional<LockHolder> lock_;
    bool lockProcessGone_ = false;
    std::optional<Clock::time_point> lockGoneSince_;

    bool requestPresent_ = false;
    std::string pc_; // as the sign of life or the lock named it last
};

} // namespace tovask::console
