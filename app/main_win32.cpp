// The tovask program on Windows: the experiment's window on Win32.
#include "app/RunInWindow.h"
#include "ui/win32/Win32Services.h"
#include "ui/win32/Win32Window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tovask::win32::Win32Services services;
    tovask::Experiment experiment(services);
    tovask::win32::Win32Window window(experiment.form, tovask::Experiment::kDesignWidth,
                                      tovask::Experiment::kDesignHeight);
    return tovask::app::runInWindow(
        experiment, window, [&window] { window.showMaximized(); },
        [&window] { return window.run(); });
}
