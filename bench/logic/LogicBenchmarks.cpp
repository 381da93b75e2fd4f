// The handlers a subject or an experimenter waits on, run headless on the control model with
// no widgets: what the logic itself costs, before any window draws it.
#include "bench/support/LabFolder.h"
#include "bench/support/Run.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace tovask::bench {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A subject's inputs come hundreds of milliseconds apart; in between the program sleeps, and
// the caches and the kernel's state of the run log cool down. The benchmarks at a subject's
// pace wait this long, untimed, before each timed step; the others time their steps back to
// back, with warm caches.
constexpr int kSubjectPauseMs = 20;

void SubjectPause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kSubjectPauseMs));
}

// A run with problem `shown` on the screen: problem 1 sets one group against another,
// problem 4 one group against a pair.
void ShowProblem(Experiment& experiment, int shown) {
    ToFirstProblem(experiment);
    experiment.Continue.click();
    for (int p = 1; p < shown; ++p) {
        Answer(experiment, 500 + p);
        experiment.Continue.click();
    }
}

// The next slider value: every step lands on a different value, so each one runs the whole
// change handling (setting the same value would raise nothing).
int NextValue(int value) {
    return (value + 389) % 1001;
}

// The slider moved again and again, back to back: the handling with warm caches. In a lab
// session (session true) the run also shows its sign of life and watches for the console's
// requests, in a timer of its own that this measures apart (SessionWatch_Timer).
void AllocationSlider_Change(benchmark::State& state, int shown, bool session) {
    LabFolder folder;
    if (session)
        folder.planSession();
    Experiment experiment(folder);
    ShowProblem(experiment, shown);
    int value = experiment.AllocationSlider.value();
    for (auto _ : state) {
        value = NextValue(value);
        experiment.AllocationSlider.setValue(value);
    }
    benchmark::DoNotOptimize(experiment.all[experiment.pn]);
}
BENCHMARK_CAPTURE(AllocationSlider_Change, single, 1, false);
BENCHMARK_CAPTURE(AllocationSlider_Change, pair, 4, false);
BENCHMARK_CAPTURE(AllocationSlider_Change, single_session, 1, true);

// The slider moved at a subject's pace, each change after a pause.
void AllocationSlider_Change_Paced(benchmark::State& state) {
    LabFolder folder;
    Experiment experiment(folder);
    ShowProblem(experiment, 1);
    int value = experiment.AllocationSlider.value();
    for (auto _ : state) {
        value = NextValue(value);
        SubjectPause();
        const auto start = Clock::now();
        experiment.AllocationSlider.setValue(value);
        state.SetIterationTime(SecondsSince(start));
    }
    benchmark::DoNotOptimize(experiment.all[experiment.pn]);
}
BENCHMARK(AllocationSlider_Change_Paced)->UseManualTime()->Iterations(100);

// The click that puts the next problem on the screen, with its draws, texts, bars and the
// nested change handling of the slider, which the subject moved in the problem before. It
// follows the click that took the problem before off the screen at once, or (argument 1) at a
// subject's pace. Only that click is timed; answering, the waiting time, the pause and a new
// run after the 100th problem are not.
void Stage3_Click(benchmark::State& state) {
    LabFolder folder;
    if (state.range(1) == 1)
        folder.planSession();
    std::unique_ptr<Experiment> experiment;
    int answer = 0;
    for (auto _ : state) {
        if (!experiment || experiment->Stage == 6) {
            experiment.reset();
            folder.clearOutputs();
            experiment = std::make_unique<Experiment>(folder);
            ToFirstProblem(*experiment);
        }
        if (state.range(0) == 1)
            SubjectPause();
        const auto start = Clock::now();
        experiment->Continue.click();
        state.SetIterationTime(SecondsSince(start));
        answer = (answer + 137) % 1001;
        Answer(*experiment, answer == 500 ? 501 : answer);
    }
}
BENCHMARK(Stage3_Click)
    ->ArgNames({"paced", "session"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->UseManualTime()
    ->Iterations(100);

// One second of a lab session's watch while a subject thinks over a problem: the look for a
// release request, and every few seconds the sign of life rewritten beside the results file.
// The ticks of five seconds are timed together, so the figure is the mean of one tick.
void SessionWatch_Timer(benchmark::State& state) {
    LabFolder folder;
    folder.planSession();
    Experiment experiment(folder);
    ShowProblem(experiment, 1);
    for (auto _ : state) {
        const auto start = Clock::now();
        for (int second = 0; second < SignOfLifeFile::kBeatSeconds; ++second)
            experiment.SessionWatch.tick();
        state.SetIterationTime(SecondsSince(start) / SignOfLifeFile::kBeatSeconds);
    }
}
BENCHMARK(SessionWatch_Timer)->UseManualTime()->Iterations(100);

// The click that starts the run: the parameters read, the word file and the 100-problem file
// read and checked, the run log created, the window turned into the instruction screen. Each
// click needs a window just loaded in a folder that no run has written to; making and loading
// it is not timed.
void Stage0_Click(benchmark::State& state) {
    LabFolder folder;
    std::unique_ptr<Experiment> experiment;
    for (auto _ : state) {
        experiment.reset();
        folder.clearOutputs();
        experiment = std::make_unique<Experiment>(folder);
        experiment->Experiment_Load();
        const auto start = Clock::now();
        experiment->Continue.click();
        state.SetIterationTime(SecondsSince(start));
        if (experiment->ProblemCount != LabFolder::kProblems)
            throw std::logic_error("the problem file was not read");
    }
}
BENCHMARK(Stage0_Click)->UseManualTime()->Iterations(100);

// The results of 100 answered problems written and flushed to the disk: a click in stage 6
// rewrites the whole file each time (and records that in the run log).
void WriteResults(benchmark::State& state) {
    LabFolder folder;
    Experiment experiment(folder);
    ToFirstProblem(experiment);
    while (experiment.Stage != 6) {
        experiment.Continue.click();
        Answer(experiment, 100 + experiment.pn * 7);
    }
    experiment.Continue.click(); // the first write keeps no earlier file: the folder is new
    for (auto _ : state)
        experiment.Continue.click();
}
BENCHMARK(WriteResults)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tovask::bench
