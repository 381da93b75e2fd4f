#pragma once
// A data folder written as the runs of a lab session write it: each run's log through the run
// log's own writer, its sign of life and its lock in their own formats, on clocks the test sets.

#include "files/RunLock.h"
#include "files/RunLog.h"
#include "files/SessionSignals.h"
#include "files/TextFile.h"
#include "tests/support/FakeClock.h"
#include "tools/console/Session.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace tovask::test {

// One run on a PC: what it writes, step by step.
class LabRun {
public:
    LabRun(const std::filesystem::path& data, std::string inputDataFile, std::string pc)
        : results_(data / ("out" + inputDataFile + ".001")),
          inputDataFile_(std::move(inputDataFile)), pc_(std::move(pc)) {
        clock.wall =
            std::chrono::sys_days{std::chrono::year{2024} / 3 / 5} + std::chrono::hours{13};
    }

    // The click that starts the run: its lock, its log with the parameters, its sign of life.
    void start(int problems, const std::string& language = "English") {
        problems_ = problems;
        LockHolder holder{pc_, machine, std::to_string(process), processStart, started};
        writeFileAtomically(runLockPath(results_), lockText(holder));
        log_ = std::make_unique<RunLog>(runLogPath(results_), clock);
        for (const auto& [name, value] :
             {std::pair{logged::kDataFileText, inputDataFile_},
              std::pair{logged::kLanguage, language},
              std::pair{logged::kTreatment, std::string("1")},
              std::pair{logged::kReadingTime, std::string("10")},
              std::pair{logged::kWaitingTime, std::string("3")},
              std::pair{logged::kProblemCount, std::to_string(problems)}})
            record(0, logged::kParameter, std::nullopt, value, std::string(name));
        beat(1, 0);
    }
    // The sign of life rewritten with a new beat.
    void beat(int stage, int waitingAt, int readingLeft = 0, bool messageOpen = false) {
        stage_ = stage;
        SignOfLife life{started,   pc_,         ++beats_,  stage,      shown_,
                        problems_, readingLeft, waitingAt, messageOpen};
        replaceFile(signOfLifePath(results_), signOfLifeText(life));
    }
    void released(int hold, bool byConsole) {
        std::string detail = hold == 1 ? "released=instructions" : "released=playing_out";
        if (byConsole)
            detail += " by=console";
        record(hold == 1 ? 11 : 6, logged::kExperimenterKey, std::nullopt, byConsole ? "" : "3",
               detail);
    }
    void shown(int pt = 11) {
        ++shown_;
        record(3, logged::kProblemShown, shown_, "",
               "rev=0 inv=0 pt=" + std::to_string(pt) + " orig=1 a=10 e1=1 e2=0.5 e3=2");
    }
    void answered(const std::string& all, int decisionMs) {
        record(4, logged::kProblemAnswered, shown_, all,
               "moves=1 decision_ms=" + std::to_string(decisionMs));
    }
    void resultsWritten() {
        record(6, logged::kResultsWritten, std::nullopt, results_.string(), "");
    }
    void resultsFailed() {
        record(6, logged::kResultsFailed, std::nullopt, results_.string(),
               "No space left on device");
    }
    void playedOut(int pn, const std::string& detail) {
        record(8, logged::kPlayedOut, pn, "", detail);
    }
    // The run's end: its lock and sign of life removed.
    void end() {
        std::filesystem::remove(runLockPath(results_));
        std::filesystem::remove(signOfLifePath(results_));
    }
    // Time passes on the run's clocks.
    void advance(std::chrono::milliseconds d) { clock.advance(d); }
    const std::filesystem::path& results() const { return results_; }
    // The problem shown last.
    int problem() const { return shown_; }

    FakeClock clock; // the run's log's, at the run's start
    std::string started = "2024-03-05T14:00:00.000+01:00";
    std::string machine = "another-machine";
    std::uint64_t process = 4242;
    std::string processStart = "boot/1";

private:
    void record(int stage, std::string_view event, std::optional<int> problem, std::string value,
                std::string detail) {
        log_->record({stage, event, problem, std::move(value), std::move(detail)});
    }

    std::filesystem::path results_;
    std::string inputDataFile_, pc_;
    std::unique_ptr<RunLog> log_;
    int problems_ = 0, shown_ = 0, stage_ = 0;
    std::uint64_t beats_ = 0;
};

// The console's clocks, moved on by the test.
struct ConsoleClock {
    console::Clock::time_point now = console::Clock::time_point{} + std::chrono::hours(100);
    std::chrono::system_clock::time_point wall =
        std::chrono::sys_days{std::chrono::year{2024} / 3 / 5} + std::chrono::hours{13};
    void advance(std::chrono::milliseconds d) {
        now += d;
        wall += d;
    }
};

} // namespace tovask::test
