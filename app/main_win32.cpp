// The tovask program on Windows: the experiment's window on Win32.
#include "app/RunInWindow.h"
#include "ui/win32/Win32Services.h"
#include "ui/win32/Win32Window.h"

#include <optional>
#include <stdexcept>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tovask::win32::Win32Services services;
    tovask::Experiment experiment(services);
    std::optional<tovask::win32::Win32Window> window;
    // A window that cannot be made is said, with the system's cause, instead of no window.
    try {
        window.emplace(experiment.form, tovask::Experiment::kDesignWidth,
                       tovask::Experiment::kDesignHeight);
    } catch (const std::runtime_error& failure) {
        tovask::win32::showModalMessage(
            tovask::ui::kProgramTitle, std::string("tovask cannot start: ") + failure.what(), true);
        return 1;
    }
    return tovask::app::runInWindow(
        experiment, *window, [&window] { window->showMaximized(); },
        [&window] { return window->run(); });
}
