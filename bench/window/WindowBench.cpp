// Measures the real Qt window: how soon the bars are painted after a slider change, how soon the
// parameter screen is painted after the process starts, the peak resident memory of a run of
// 100 problems, and where a 10-second reading time ends against a monotonic clock. Prints one
// "name value" line per figure for bench/table.awk. Run it under Xvfb (bench/run does).
#include "bench/support/LabFolder.h"
#include "core/Experiment.h"
#include "ui/qt/QtServices.h"
#include "ui/qt/QtWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tovask::bench {
namespace {

using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC, the same in every process
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr const char* kFirstPaintMode = "--first-paint";

// A subject's inputs come hundreds of milliseconds apart, with the program waiting for events
// in between; each measured slider change comes after this long a wait.
constexpr Milliseconds kSubjectPause(20);

// Knows when the window has completed a paint: the outermost event in which one of the watched
// widgets received its paint event has been handled. Painting, the flush of the backing store
// to the window system included, happens inside that one event (an expose, or the update
// request Qt posts after widgets changed).
class MeasuringApplication : public QApplication {
public:
    using QApplication::QApplication;

    void watch(std::set<const QObject*> widgets) { watched_ = std::move(widgets); }
    // Forgets the last completed paint, so the next one can be waited for.
    void expectPaint() { paintedAt_.reset(); }
    bool painted() const { return paintedAt_.has_value(); }
    Clock::time_point paintedAt() const { return *paintedAt_; }

    // Runs the event loop for a while as it runs between a subject's inputs: waiting for events.
    void idle(Milliseconds time) {
        QEventLoop loop;
        QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(time), &loop,
                           &QEventLoop::quit);
        loop.exec();
    }

    // Runs the event loop until the next completed paint, or until the time is up.
    bool waitForPaint(Milliseconds limit) {
        const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(limit);
        while (!painted() && Clock::now() < end)
            processEvents(QEventLoop::AllEvents);
        return painted();
    }

    bool notify(QObject* receiver, QEvent* event) override {
        ++depth_;
        if (event->type() == QEvent::Paint && watched_.count(receiver))
            paintSeen_ = true;
        const bool result = QApplication::notify(receiver, event);
        --depth_;
        if (depth_ == 0 && paintSeen_) {
            paintSeen_ = false;
            paintedAt_ = Clock::now();
        }
        return result;
    }

private:
    std::set<const QObject*> watched_;
    int depth_ = 0;
    bool paintSeen_ = false;
    std::optional<Clock::time_point> paintedAt_;
};

template <typename T> T& Child(QWidget& window, const char* name) {
    auto* child = window.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        throw std::logic_error(std::string("the window has no ") + name);
    return *child;
}

// The nearest-rank percentile: the smallest value with at least that fraction of the values at
// or below it.
double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

void Print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
}

// The window of a run as the program shows it, on a lab folder of 100 problems whose message
// boxes are answered at once (a modal box would stop the script).
struct Run {
    explicit Run(MeasuringApplication& app)
        : experiment(folder),
          window(experiment.form, Experiment::kDesignWidth, Experiment::kDesignHeight),
          button(Child<QPushButton>(window, "Continue")),
          slider(Child<QScrollBar>(window, "AllocationSlider")) {
        window.deliver([this] { experiment.Experiment_Load(); });
        window.setGeometry(window.screen()->availableGeometry());
        window.showMaximized();
        app.watch({&window});
        app.expectPaint();
        if (!app.waitForPaint(Milliseconds(5000)))
            throw std::runtime_error("the window was never painted");
    }

    void tick(ui::Timer& timer) {
        while (timer.enabled())
            window.deliver([&timer] { timer.tick(); });
    }

    void key(QWidget& target, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, k, modifiers, text);
        QApplication::sendEvent(&target, &press);
    }

    // From the parameter screen to the first problem, not yet shown.
    void toFirstProblem() {
        button.click(); // stage 0
        button.click(); // stage 1
        tick(experiment.ReadInstructionsTimer);
        key(button, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
        button.click(); // stage 2
        if (experiment.Stage != 3)
            throw std::logic_error("the run did not reach its first problem");
    }

    LabFolder folder;
    Experiment experiment;
    qt::QtWindow window;
    QPushButton& button;
    QScrollBar& slider;
};

struct PaintFigures {
    std::vector<double> latencies; // ms
    int unpainted = 0;             // changes whose bars were not painted within the limit
    double peakResidentMb = 0;
};

// kB of the process's peak resident set (VmHWM).
double PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr);
    throw std::runtime_error("no VmHWM in /proc/self/status");
}

// A scripted run of 100 problems. In each the subject changes the slider ten times, five
// times with an arrow key and five times by dragging the thumb and releasing it, each after a
// pause; each change is timed from its delivery to the scroll bar to the completed paint of
// the bars. The waiting times are ticked through, not waited for; the results file is written
// at the end, and then the peak resident memory of the whole run is read.
PaintFigures SliderToPaint(MeasuringApplication& app) {
    PaintFigures figures;
    Run run(app);
    std::set<const QObject*> bars;
    for (const char* name : {"AllocationOne", "AllocationTwoOne", "AllocationTwoTwo", "MoneyOne",
                             "MoneyTwoOne", "MoneyTwoTwo"})
        bars.insert(&Child<QWidget>(run.window, name));
    run.toFirstProblem();
    int drag = 0;
    while (run.experiment.Stage != 6) {
        run.button.click(); // the next problem
        app.watch({&run.window});
        app.expectPaint();
        app.waitForPaint(Milliseconds(1000));
        app.watch(bars);
        for (int change = 0; change < 10; ++change) {
            app.idle(kSubjectPause);
            app.expectPaint();
            const auto start = Clock::now();
            if (change % 2 == 0) {
                // An arrow key steps the slider by one unit, away from an end it stands at.
                const bool right = change % 4 == 0 ? run.slider.value() < run.slider.maximum()
                                                   : run.slider.value() == run.slider.minimum();
                run.key(run.slider, right ? Qt::Key_Right : Qt::Key_Left);
            } else {
                drag = (drag + 277) % 1001;
                if (drag == run.slider.value())
                    drag = (drag + 1) % 1001;
                run.slider.setSliderDown(true);
                run.slider.setSliderPosition(drag);
                run.slider.setSliderDown(false); // the release: the one change of a drag
            }
            // A change whose bars are not painted within the limit counts as the limit.
            const Milliseconds limit(500);
            if (!app.waitForPaint(limit))
                ++figures.unpainted;
            figures.latencies.push_back(
                app.painted() ? Milliseconds(app.paintedAt() - start).count() : limit.count());
        }
        run.tick(run.experiment.WaitTimer);
        run.button.click(); // the problem is taken off the screen
    }
    run.button.click(); // stage 6: the results file
    app.processEvents();
    figures.peakResidentMb = PeakResidentKb() * 1024 / 1e6;
    return figures;
}

// The end of a reading time of 10 seconds, counted by the window's real timer, against the
// monotonic clock: from the click that starts it to the moment Continue is enabled again.
double ReadingTimeError(MeasuringApplication& app) {
    Run run(app);
    run.button.click(); // stage 0: the reading time field holds its design value, 10
    const auto start = Clock::now();
    run.button.click(); // stage 1: the reading time starts
    while (!run.experiment.Continue.enabled())
        app.processEvents(QEventLoop::WaitForMoreEvents);
    const auto end = Clock::now();
    return Milliseconds(end - start).count() - 10000.0;
}

// The start of the program, timed from outside: this tool starts itself in the first-paint
// mode, which runs what the program's main runs and reports the moment of the first completed
// paint of the parameter screen on the monotonic clock, which all processes share.
double StartToFirstPaint(const char* self) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::array<char*, 3> argv{const_cast<char*>(self), const_cast<char*>(kFirstPaintMode), nullptr};
    pid_t child = 0;
    const auto start = Clock::now();
    const int spawned = posix_spawn(&child, self, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0)
        throw std::runtime_error(std::string("cannot start ") + self);
    std::string reported;
    std::array<char, 64> buffer{};
    for (ssize_t n; (n = read(pipeEnds[0], buffer.data(), buffer.size())) > 0;)
        reported.append(buffer.data(), static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || reported.empty())
        throw std::runtime_error("the first-paint run failed");
    const Clock::time_point painted{Clock::duration(std::stoll(reported))};
    return Milliseconds(painted - start).count();
}

// The first-paint mode: the program's own start, up to the first completed paint of the
// parameter screen; prints that moment (monotonic clock, in its ticks) and ends.
int FirstPaint(int argc, char** argv) {
    MeasuringApplication app(argc, argv);
    qt::QtServices services;
    Experiment experiment(services);
    qt::QtWindow window(experiment.form, Experiment::kDesignWidth, Experiment::kDesignHeight);
    window.deliver([&experiment] { experiment.Experiment_Load(); });
    window.setGeometry(window.screen()->availableGeometry());
    window.showMaximized();
    app.watch({&Child<QWidget>(window, "Parameters")});
    if (!app.waitForPaint(Milliseconds(10000)))
        return 1;
    std::printf("%lld\n", static_cast<long long>(app.paintedAt().time_since_epoch().count()));
    std::fflush(stdout);
    std::_Exit(0); // what comes after the first paint is not measured
}

int Measure(int argc, char** argv) {
    std::vector<double> starts;
    for (int i = 0; i < 21; ++i)
        starts.push_back(StartToFirstPaint(argv[0]));
    Print("startup_median_ms", Percentile(starts, 0.5));
    Print("startup_first_ms", starts.front());
    Print("startup_max_ms", *std::max_element(starts.begin(), starts.end()));

    MeasuringApplication app(argc, argv);
    const PaintFigures paint = SliderToPaint(app);
    Print("paint_median_ms", Percentile(paint.latencies, 0.5));
    Print("paint_p99_ms", Percentile(paint.latencies, 0.99));
    Print("paint_max_ms", *std::max_element(paint.latencies.begin(), paint.latencies.end()));
    Print("paint_samples", static_cast<double>(paint.latencies.size()));
    Print("paint_unpainted", paint.unpainted);
    Print("peak_rss_mb", paint.peakResidentMb);

    double worst = 0;
    for (int i = 0; i < 3; ++i) {
        const double error = ReadingTimeError(app);
        std::printf("reading_error_run%d_ms %.3f\n", i + 1, error);
        std::fflush(stdout);
        if (std::abs(error) > std::abs(worst))
            worst = error;
    }
    Print("reading_error_ms", worst);
    return 0;
}

} // namespace
} // namespace tovask::bench

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], tovask::bench::kFirstPaintMode) == 0)
        return tovask::bench::FirstPaint(argc, argv);
    return tovask::bench::Measure(argc, argv);
}
