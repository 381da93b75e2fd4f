#pragma once
// What the run-log tests share: a clock the test sets, a whole run driven through the window's
// handlers, the log read back, and a file-size limit that makes writing fail.

#include "core/Experiment.h"
#include "files/RunLog.h"
#include "files/RunLogReader.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TestServices.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tovask::test {

// A run of the window with the numbered word file, a list of `problems` (problem p has type 11
// and amount 10 + p), a reading time and a time to wait of 1 second, and a tick that takes one
// second on the fake clock.
class LoggedRun {
public:
    explicit LoggedRun(int problems);

    void click() { x.Continue.click(); }
    void ctrlC();
    void tick(ui::Timer& timer);
    // From the parameter screen to the first problem's click (stage 3).
    void startToFirstProblem();
    // Problem pn + 1 shown, the slider moved to each of `moves`, the waiting time out and the
    // stage-4 click.
    void answer(const std::vector<int>& moves);
    // Every problem answered (moving the slider to 100 + 10 p) and the results click.
    void toResults();

    std::string logText() const { return services.readData("out01.001.log"); }
    ReadRunLog log() const { return parseRunLog(logText(), "out01.001.log"); }

    FakeClock clock;
    TestServices services;
    Experiment x{services, clock};
    int count;
};

// The events of one kind, in order.
template <typename T> std::vector<RunLogEvent> eventsOf(const ReadRunLog& log) {
    std::vector<RunLogEvent> events;
    for (const RunLogEvent& event : log.events)
        if (event.as<T>())
            events.push_back(event);
    return events;
}

#ifndef _WIN32 // Windows has no limit on the size of the files a process writes.
// Lowers the limit on the size of the files this process writes, so that writing beyond it
// fails with "File too large" (the signal it raises is ignored); the old limit comes back at
// the end of the scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t previous_;
};
#endif

} // namespace tovask::test
