#include "bench/support/Run.h"

#include <stdexcept>

namespace tovask::bench {

void RunOut(ui::Timer& timer) {
    while (timer.enabled())
        timer.tick();
}

void ToFirstProblem(Experiment& experiment) {
    experiment.Experiment_Load();
    experiment.Continue.click(); // stage 0: parameters, word file, problem file
    experiment.Continue.click(); // stage 1: instructions, reading time starts
    RunOut(experiment.ReadInstructionsTimer);
    std::int16_t ctrlC = 3;
    experiment.Continue.keyPress(ctrlC);
    experiment.Continue.click(); // stage 2
    if (experiment.Stage != 3)
        throw std::logic_error("the run did not reach its first problem");
}

void Answer(Experiment& experiment, int value) {
    experiment.AllocationSlider.setValue(value);
    RunOut(experiment.WaitTimer);
    experiment.Continue.click(); // stage 4
}

} // namespace tovask::bench
