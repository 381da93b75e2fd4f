#pragma once
// Runs the window's messages as its loop does, for a while, in tests.

#include "ui/win32/Win32Window.h"

#include <chrono>

namespace tovask::test {

inline void pump(win32::Win32Window& window, std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    for (auto now = std::chrono::steady_clock::now(); now < end;
         now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()) + 1,
                                  QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            window.handle(message);
    }
}

} // namespace tovask::test
