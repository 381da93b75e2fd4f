// Measures the Win32 window under Wine, as information beside the Qt window's figures (Wine is
// not Windows). Prints one "name value" line per figure for bench/table.awk:
//   bench_win32_window --first-paint   runs what the program's main runs, up to the first
//                                      completed paint of the parameter screen, and prints that
//                                      moment as nanoseconds of Unix time; bench/run times the
//                                      start of the process from outside
//   bench_win32_window                 the peak memory of a 100-problem run in the window, and
//                                      where a 10-second reading time ends (worst of 3)
#include "bench/support/LabFolder.h"
#include "bench/support/Run.h"
#include "core/Experiment.h"
#include "ui/win32/Win32Services.h"
#include "ui/win32/Win32Window.h"

#include <psapi.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace tovask::bench {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// Handles every message there is, then waits until none is left to paint: the screen shows
// what the model holds.
void settle(win32::Win32Window& window) {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            window.handle(message);
        if (!GetQueueStatus(QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE))
            break;
    }
    GdiFlush();
}

// The program's window on a model, maximized; the load handler is the caller's.
struct Shown {
    template <class Services>
    explicit Shown(Services& services)
        : experiment(services),
          window(experiment.form, Experiment::kDesignWidth, Experiment::kDesignHeight) {}
    void show() {
        window.showMaximized();
        settle(window);
    }
    Experiment experiment;
    win32::Win32Window window;
};

int FirstPaint() {
    win32::Win32Services services;
    Shown shown(services);
    shown.window.deliver([&shown] { shown.experiment.Experiment_Load(); });
    shown.show();
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    // 100 ns since 1601 to ns since 1970.
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    std::printf("%llu\n", (ticks - 116444736000000000ULL) * 100);
    std::fflush(stdout);
    return 0;
}

// A run of 100 problems through the model, the window painting every change; each problem's
// slider is moved ten times.
double PeakMemoryMb() {
    LabFolder folder;
    Shown shown(folder);
    Experiment& x = shown.experiment;
    shown.window.deliver([&x] { ToFirstProblem(x); });
    shown.show();
    while (x.Stage != 6) {
        shown.window.deliver([&x] { x.Continue.click(); });
        for (int change = 1; change < 10; ++change) {
            shown.window.deliver([&x, change] { x.AllocationSlider.setValue(change * 97); });
            settle(shown.window);
        }
        shown.window.deliver([&x] { Answer(x, 970); });
        settle(shown.window);
    }
    shown.window.deliver([&x] { x.Continue.click(); }); // the results file
    settle(shown.window);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<double>(counters.PeakWorkingSetSize) / 1e6;
}

// From the click that starts a reading time of 10 seconds to the moment Continue is enabled
// again, counted by the window's own timer, against the monotonic clock.
double ReadingTimeError() {
    LabFolder folder;
    Shown shown(folder);
    Experiment& x = shown.experiment;
    shown.window.deliver([&x] {
        x.Experiment_Load();
        x.Continue.click();
    });
    shown.show();
    const auto start = Clock::now();
    shown.window.deliver([&x] { x.Continue.click(); });
    while (!x.Continue.enabled()) {
        MSG message;
        if (GetMessageW(&message, nullptr, 0, 0) <= 0)
            throw std::runtime_error("the window closed during the reading time");
        shown.window.handle(message);
    }
    return Milliseconds(Clock::now() - start).count() - 10000.0;
}

} // namespace
} // namespace tovask::bench

int main(int argc, char** argv) {
    using namespace tovask::bench;
    if (argc > 1 && std::strcmp(argv[1], "--first-paint") == 0)
        return FirstPaint();
    std::printf("win32_peak_ws_mb %.3f\n", PeakMemoryMb());
    double worst = 0;
    for (int i = 0; i < 3; ++i) {
        const double error = ReadingTimeError();
        if (std::abs(error) > std::abs(worst))
            worst = error;
    }
    std::printf("win32_reading_error_ms %.3f\n", worst);
    return 0;
}
