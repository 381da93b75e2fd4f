// win32_probe: answers questions about the window of a running tovask.exe, for the whole run
// that drives it with real X input. One question a line on standard input, one answer a line:
//   window                the window's title, once it is open (waits up to 20 seconds)
//   where NAME            the control's place on the screen: left top width height
//   value NAME            a scroll bar's position
//   thumb NAME            a scroll bar's thumb on the screen, and its arrows' width:
//                         left right arrow
//   enabled NAME          1 or 0
//   visible NAME          1 or 0
//   text NAME             the control's text
//   close                 closes the window
// A control is found by its name through its control ID, its place among the window's
// controls; an unknown name or a missing window is answered "error ..." and the probe goes on.
#include "core/Experiment.h"
#include "tests/support/TestServices.h"
#include "ui/win32/Text.h"
#include "ui/win32/Win32Window.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using namespace tovask;

struct Found {
    HWND hwnd = nullptr;
    int id = 0;
};

BOOL CALLBACK matchId(HWND hwnd, LPARAM found) {
    auto* f = reinterpret_cast<Found*>(found);
    if (GetDlgCtrlID(hwnd) != f->id)
        return TRUE;
    f->hwnd = hwnd;
    return FALSE;
}

HWND experimentWindow() {
    return FindWindowW(win32::kWindowClass, nullptr);
}

std::string answer(const ui::Window& form, const std::string& question) {
    std::istringstream words(question);
    std::string verb, name;
    words >> verb >> name;
    if (verb == "window") {
        HWND window = nullptr;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!(window = experimentWindow()) || !IsWindowVisible(window)) {
            if (std::chrono::steady_clock::now() > end)
                return "error no window";
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        wchar_t title[256]{};
        GetWindowTextW(window, title, 256);
        return win32::narrow(title);
    }
    HWND window = experimentWindow();
    if (!window)
        return "error no window";
    if (verb == "close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return "closing";
    }
    const ui::Control* control = form.find(name);
    if (!control)
        return "error no control " + name;
    Found found{nullptr, win32::controlId(form, *control)};
    EnumChildWindows(window, matchId, reinterpret_cast<LPARAM>(&found));
    if (!found.hwnd)
        return "error no window for " + name;
    if (verb == "where") {
        RECT r;
        GetWindowRect(found.hwnd, &r);
        return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
               std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
    }
    if (verb == "thumb") {
        // GetScrollBarInfo tells nothing about another process's bar; its layout is Windows'
        // own: square arrows and a thumb as wide as the system's scroll bars, the thumb
        // travelling the rest in proportion to the position.
        RECT r;
        GetWindowRect(found.hwnd, &r);
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE;
        GetScrollInfo(found.hwnd, SB_CTL, &info);
        const int arrow = GetSystemMetrics(SM_CXVSCROLL);
        const int travel = r.right - r.left - 3 * arrow;
        const int span = std::max(info.nMax - info.nMin, 1);
        const int left =
            r.left + arrow + MulDiv(GetScrollPos(found.hwnd, SB_CTL) - info.nMin, travel, span);
        return std::to_string(left) + " " + std::to_string(left + arrow) + " " +
               std::to_string(arrow);
    }
    if (verb == "value")
        return std::to_string(GetScrollPos(found.hwnd, SB_CTL));
    if (verb == "enabled")
        return IsWindowEnabled(found.hwnd) ? "1" : "0";
    if (verb == "visible")
        return IsWindowVisible(found.hwnd) ? "1" : "0";
    if (verb == "text") {
        // GetWindowText reads another process's windows without asking them: an edit box's
        // typed text is had only by the message.
        wchar_t text[1024]{};
        SendMessageW(found.hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        return win32::narrow(text);
    }
    return "error unknown question " + verb;
}

} // namespace

int main() {
    // The names of the controls, in the order the window gives them their IDs.
    test::TestServices services;
    const Experiment names(services);
    std::string question;
    while (std::getline(std::cin, question)) {
        if (!question.empty() && question.back() == '\r')
            question.pop_back();
        std::cout << answer(names.form, question) << std::endl;
    }
    return 0;
}
