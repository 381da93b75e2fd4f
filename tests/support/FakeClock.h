#pragma once
// A clock of the run log that the test sets and moves on.

#include "files/RunLog.h"

#include <chrono>

namespace tovask::test {

class FakeClock : public LogClock {
public:
    std::chrono::system_clock::time_point wallClock() override { return wall; }
    std::chrono::seconds utcOffset(std::chrono::system_clock::time_point) override {
        return offset;
    }
    std::chrono::milliseconds monotonic() override { return steady; }
    void advance(std::chrono::milliseconds d) {
        wall += d;
        steady += d;
    }

    // 2024-03-05 13:07:09.042 UTC, shown in a zone one hour ahead.
    std::chrono::system_clock::time_point wall =
        std::chrono::sys_days{std::chrono::year{2024} / 3 / 5} + std::chrono::hours{13} +
        std::chrono::minutes{7} + std::chrono::seconds{9} + std::chrono::milliseconds{42};
    std::chrono::seconds offset{3600};
    std::chrono::milliseconds steady{5'000'000};
};

} // namespace tovask::test
