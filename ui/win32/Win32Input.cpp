// How the subject's input and the timers reach the model: notifications of the child windows,
// the scroll bar's requests, the focus along the tab order, the message loop, and the ticks.
#include "ui/win32/Win32Window.h"

#include "ui/win32/Text.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

namespace tovask::win32 {

using ui::Kind;

void Win32Window::showTimer(ui::Timer& timer) {
    Ticker& ticker = tickers_.at(&timer);
    if (timer.enabled() == ticker.running)
        return;
    ticker.running = timer.enabled();
    if (!ticker.running) {
        KillTimer(window_, ticker.id);
        return;
    }
    const std::chrono::milliseconds interval(timer.interval());
    ticker.due = std::chrono::steady_clock::now() + interval;
    arm(ticker.id, interval);
}

// A timer that cannot run would hold the run at its reading or waiting time for ever: the run
// ends with the system's cause, once the event being handled has finished.
void Win32Window::arm(UINT_PTR id, std::chrono::milliseconds delay) {
    if (SetTimer(window_, id,
                 static_cast<UINT>(std::max<long long>(delay.count(), USER_TIMER_MINIMUM)),
                 nullptr))
        return;
    const std::string cause = systemErrorText(GetLastError());
    deliver([cause] { throw std::runtime_error("cannot start a timer of the window: " + cause); });
}

void Win32Window::onTimer(UINT_PTR id) {
    for (auto& [timer, ticker] : tickers_) {
        if (ticker.id != id)
            continue;
        if (!ticker.running || runEnded()) {
            KillTimer(window_, id);
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        const std::chrono::milliseconds interval(timer->interval());
        const bool due = now >= ticker.due;
        if (due) {
            ticker.due += interval;
            // Ticks missed while the program was held up are not made up.
            if (ticker.due <= now)
                ticker.due = now + interval;
        }
        // The system's timers fire late by up to a tick of its clock: each one is set for
        // what is left until the next due time, so the lateness never adds up.
        arm(id, std::chrono::ceil<std::chrono::milliseconds>(ticker.due - now));
        if (due)
            deliverTick(*timer);
        return;
    }
}

void Win32Window::onCommand(HWND from, int code) {
    ui::Control* control = controlOf(from);
    if (!control || children_.at(control).hwnd != from)
        return;
    switch (control->kind()) {
    case Kind::CommandButton:
        if (code == BN_CLICKED) {
            auto& button = static_cast<ui::CommandButton&>(*control);
            deliver([&button] { button.click(); });
        }
        break;
    case Kind::TextBox:
        if (code == EN_CHANGE && !mirroring_)
            static_cast<ui::TextBox&>(*control).setText(narrow(windowText(from)));
        break;
    case Kind::ComboBox: {
        auto& box = static_cast<ui::ComboBox&>(*control);
        if (code == CBN_EDITCHANGE && !mirroring_)
            box.setText(narrow(windowText(from)));
        // A pick from the list: the box's own text changes only after this notification.
        if (code == CBN_SELCHANGE && !mirroring_) {
            const auto index = SendMessageW(from, CB_GETCURSEL, 0, 0);
            if (index >= 0 && static_cast<std::size_t>(index) < box.items().size())
                box.setText(box.items()[static_cast<std::size_t>(index)]);
        }
        break;
    }
    default:
        break;
    }
}

void Win32Window::onScroll(HWND from, int request, int position) {
    ui::Control* control = controlOf(from);
    if (!control || control->kind() != Kind::HScrollBar)
        return;
    auto& bar = static_cast<ui::HScrollBar&>(*control);
    // The requests that change the value, and the value each asks for. SB_THUMBTRACK is none:
    // while the thumb is dragged the bar shows it where it is, and the model waits for the
    // release. A thumb is let go at a position of 16 bits: the model's range is no wider.
    const std::pair<int, int> requests[] = {{SB_THUMBPOSITION, position},
                                            {SB_LINELEFT, bar.value() - bar.smallChange()},
                                            {SB_LINERIGHT, bar.value() + bar.smallChange()},
                                            {SB_PAGELEFT, bar.value() - bar.largeChange()},
                                            {SB_PAGERIGHT, bar.value() + bar.largeChange()},
                                            {SB_LEFT, bar.min()},
                                            {SB_RIGHT, bar.max()}};
    const auto found = std::find_if(std::begin(requests), std::end(requests),
                                    [request](const auto& r) { return r.first == request; });
    if (found == std::end(requests))
        return;
    const int value = std::clamp(found->second, bar.min(), bar.max());
    deliver([&bar, value] { bar.setValue(value); });
    // A thumb let go where the value already was raises nothing; it still shows the value.
    showSlider(bar);
}

std::vector<ui::Control*> Win32Window::focusChain() const {
    std::vector<ui::Control*> chain;
    for (ui::Control* control : model_.tabOrder()) {
        const HWND hwnd = child(*control);
        if (hwnd && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
            chain.push_back(control);
    }
    return chain;
}

void Win32Window::focus(ui::Control& control) {
    HWND hwnd = children_.at(&control).hwnd;
    SetFocus(hwnd);
    // Tabbing into a box selects its text, so what is typed replaces it.
    if (control.kind() == Kind::TextBox)
        SendMessageW(hwnd, EM_SETSEL, 0, -1);
    if (control.kind() == Kind::ComboBox)
        SendMessageW(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void Win32Window::moveFocus(bool backwards) {
    const std::vector<ui::Control*> chain = focusChain();
    if (chain.empty())
        return;
    const auto at = std::find(chain.begin(), chain.end(), controlOf(GetFocus()));
    std::size_t next = 0;
    if (at == chain.end())
        next = backwards ? chain.size() - 1 : 0;
    else if (backwards)
        next = (static_cast<std::size_t>(at - chain.begin()) + chain.size() - 1) % chain.size();
    else
        next = (static_cast<std::size_t>(at - chain.begin()) + 1) % chain.size();
    focus(*chain[next]);
}

int Win32Window::run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        handle(message);
    return runEnded() ? 1 : static_cast<int>(message.wParam);
}

void Win32Window::handle(MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && window_ &&
        (message.hwnd == window_ || IsChild(window_, message.hwnd))) {
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

} // namespace tovask::win32
