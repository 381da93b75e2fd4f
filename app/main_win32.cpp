// The tovask program on Windows: the experiment's window on Win32.
#include "core/Experiment.h"
#include "ui/win32/Win32Services.h"
#include "ui/win32/Win32Window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tovask::win32::Win32Services services;
    tovask::Experiment experiment(services);
    tovask::win32::Win32Window window(experiment.form, tovask::Experiment::kDesignWidth,
                                      tovask::Experiment::kDesignHeight);
    window.deliver([&experiment] { experiment.Experiment_Load(); });
    if (window.runEnded())
        return 1;
    window.showMaximized();
    const int status = window.run();
    // The window is closed: a run that had not reached its end records that in its log.
    experiment.WindowClosed();
    return status;
}
