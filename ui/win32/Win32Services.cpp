#include "ui/win32/Win32Services.h"

#include "files/OperatingSystem.h"
#include "ui/win32/Text.h"
#include <windows.h>

namespace tovask::win32 {

void showModalMessage(const std::string& title, const std::string& text, bool critical) {
    // Owned by the active window, the box keeps it from taking input until it is dismissed;
    // with no window active, every window of the program is held instead.
    HWND owner = GetActiveWindow();
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(),
                MB_OK | (critical ? MB_ICONERROR : 0u) | modality | MB_SETFOREGROUND);
}

void Win32Services::showMessage(const std::string& title, const std::string& text) {
    showModalMessage(title, text, false);
}

std::filesystem::path Win32Services::programFolder() const {
    return os::executableFolder();
}

} // namespace tovask::win32
