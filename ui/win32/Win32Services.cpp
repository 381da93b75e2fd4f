#include "ui/win32/Win32Services.h"

#include "ui/win32/Text.h"
#include <windows.h>

namespace tovask::win32 {

namespace {

// Owned by the active window, the box keeps it from taking input until it is dismissed; with
// no window active, every window of the program is held instead. Gives the button chosen.
int modalBox(const std::string& title, const std::string& text, UINT buttonsAndIcon) {
    HWND owner = GetActiveWindow();
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    return MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(),
                       buttonsAndIcon | modality | MB_SETFOREGROUND);
}

} // namespace

void showModalMessage(const std::string& title, const std::string& text, bool critical) {
    modalBox(title, text, MB_OK | (critical ? MB_ICONERROR : 0u));
}

void Win32Services::showMessage(const std::string& title, const std::string& text) {
    showModalMessage(title, text, false);
}

bool Win32Services::ask(const std::string& title, const std::string& text) {
    return modalBox(title, text, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

} // namespace tovask::win32
