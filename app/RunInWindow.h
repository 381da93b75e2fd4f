#pragma once
// A run of the program in the window of either binding: the window's load, then the window
// shown and its loop until it is closed; a run that had not reached its end records the closing
// in its log.

#include "core/Experiment.h"

namespace tovask::app {

// show() puts the window on the screen; loop() runs its events and gives the exit status.
template <typename Window, typename Show, typename Loop>
int runInWindow(Experiment& experiment, Window& window, Show show, Loop loop) {
    window.deliver([&experiment] { experiment.Experiment_Load(); });
    if (window.runEnded())
        return 1;
    show();
    const int status = loop();
    experiment.WindowClosed();
    return status;
}

} // namespace tovask::app
