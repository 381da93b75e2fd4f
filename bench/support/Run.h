#pragma once
// Drives a run through its stages with the handlers a window raises (clicks, timer ticks, the
// experimenter key), as a subject and an experimenter would, only without waiting for the timers.

#include "core/Experiment.h"

namespace tovask::bench {

// From the window's load to stage 3, the first problem not yet shown: parameters and files
// read, instructions shown, the reading time run out, the experimenter key typed.
void ToFirstProblem(Experiment& experiment);

// The reading or waiting time of a timer runs out: ticks until it disables itself.
void RunOut(ui::Timer& timer);

// The problem on the screen is answered (the slider moved to `value`) and taken off the
// screen: the waiting time runs out and Continue is clicked. Leaves stage 5, or 6 after the last.
void Answer(Experiment& experiment, int value);

} // namespace tovask::bench
