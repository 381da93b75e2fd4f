// The Win32 binding on a small window of its own, under Wine: keys typed on the button, the
// scroll bar's requests, the timers' pace, the texts, and a handler that fails.
#include "tests/support/CloseQuestion.h"
#include "tests/win32/Pump.h"
#include "ui/Scaling.h"
#include "ui/win32/Text.h"
#include "ui/win32/Win32Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tovask::win32 {
namespace {

using namespace std::chrono_literals;

struct Model {
    ui::Window window{"Form", {0, 0, 10000, 10000}, "Form"};
    ui::CommandButton button{"Button", 0, {1000, 1000, 3000, 1000}, "Go"};
    ui::HScrollBar bar{"Bar", 1, {1000, 3000, 8000, 500}};
    ui::Label label{"Label", 2, {1000, 5000, 4000, 1000}};
    ui::Timer timer{"Ticker", {}, 200};
    Model() {
        for (ui::Control* c : std::initializer_list<ui::Control*>{&button, &bar, &label, &timer})
            window.add(*c);
    }
};

// A window of 800 × 800 pixels, in front: 0.08 pixels per twip.
struct Shown {
    explicit Shown(Model& model) : window(model.window, 10000, 10000) {
        RECT frame{0, 0, 800, 800};
        AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
        SetWindowPos(window.hwnd(), nullptr, 0, 0, frame.right - frame.left,
                     frame.bottom - frame.top, SWP_NOZORDER);
        ShowWindow(window.hwnd(), SW_SHOW);
        SetForegroundWindow(window.hwnd());
        test::pump(window, 200ms);
    }
    Win32Window window;
};

void typeCtrlC() {
    INPUT keys[4]{};
    const WORD codes[4] = {VK_CONTROL, 'C', 'C', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof(INPUT));
}

TEST(Win32Binding, CtrlCOnTheFocusedButtonGivesCode3AndADisabledButtonTakesNoKeys) {
    Model model;
    std::vector<int> codes;
    model.button.onKeyPress = [&codes](std::int16_t& key) { codes.push_back(key); };
    Shown shown(model);
    HWND button = shown.window.child(model.button);
    SetFocus(button);
    typeCtrlC();
    test::pump(shown.window, 300ms);
    EXPECT_EQ(codes, std::vector<int>{3});

    model.button.setEnabled(false);
    EXPECT_NE(GetFocus(), button);
    typeCtrlC();
    test::pump(shown.window, 300ms);
    EXPECT_EQ(codes, std::vector<int>{3});

    // Enabled again, the button has the focus back without a click.
    model.button.setEnabled(true);
    EXPECT_EQ(GetFocus(), button);
}

// The requests a scroll bar sends its window: the value changes on the release of the thumb,
// on an arrow and on a page step, never while the thumb is dragged.
TEST(Win32Binding, TheSliderChangesOnReleaseAndStepsNeverWhileDragging) {
    const struct {
        int request, position, value, changes;
    } cases[] = {
        {SB_THUMBTRACK, 300, 25, 0}, {SB_THUMBPOSITION, 30, 30, 1},
        {SB_LINERIGHT, 0, 26, 1},    {SB_LINELEFT, 0, 24, 1},
        {SB_PAGERIGHT, 0, 26, 1},    {SB_PAGELEFT, 0, 24, 1},
        {SB_RIGHT, 0, 50, 1},        {SB_LEFT, 0, 0, 1},
        {SB_ENDSCROLL, 0, 25, 0},    {SB_THUMBPOSITION, 25, 25, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("request " + std::to_string(c.request));
        Model model;
        model.bar.setValue(25);
        int changes = 0;
        model.bar.onChange = [&changes] { ++changes; };
        Shown shown(model);
        HWND bar = shown.window.child(model.bar);
        SendMessageW(shown.window.hwnd(), WM_HSCROLL, MAKEWPARAM(c.request, c.position),
                     reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(model.bar.value(), c.value);
        EXPECT_EQ(changes, c.changes);
        EXPECT_EQ(GetScrollPos(bar, SB_CTL), c.value);
    }
}

TEST(Win32Binding, AValueSetByTheProgramRaisesTheChangeOnceAndMovesTheThumb) {
    Model model;
    int changes = 0;
    model.bar.onChange = [&changes] { ++changes; };
    Shown shown(model);
    model.bar.setValue(40);
    test::pump(shown.window, 100ms);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(GetScrollPos(shown.window.child(model.bar), SB_CTL), 40);
}

// The system's timers are late by up to a tick of its clock each time; scheduled against the
// monotonic clock, that lateness does not add up over the ticks.
TEST(Win32Binding, TenTicksLastTenIntervalsWithin20Milliseconds) {
    Model model;
    Shown shown(model);
    int ticks = 0;
    auto end = std::chrono::steady_clock::now();
    model.timer.onTick = [&] {
        if (++ticks == 10) {
            end = std::chrono::steady_clock::now();
            model.timer.setEnabled(false);
        }
    };
    const auto start = std::chrono::steady_clock::now();
    model.timer.setEnabled(true);
    test::pump(shown.window, 2500ms);
    ASSERT_EQ(ticks, 10);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(end - start);
    EXPECT_NEAR(static_cast<double>(elapsed.count()), 2000.0, 20.0);
}

// A timer of the window that is none of its controls (the session watch) ticks like the others.
TEST(Win32Binding, ABackgroundTimerTicksLikeTheOthers) {
    Model model;
    ui::Timer watch{"Watch", {}, 50};
    model.window.addBackgroundTimer(watch);
    Shown shown(model);
    int ticks = 0;
    watch.onTick = [&] {
        if (++ticks == 3)
            watch.setEnabled(false);
    };
    watch.setEnabled(true);
    test::pump(shown.window, 500ms);
    EXPECT_EQ(ticks, 3);
}

TEST(Win32Binding, TextsAreUnicodeAndALabelFollowsItsFontAndPlace) {
    Model model;
    model.window.setCaption("Esperimento è così");
    model.label.setCaption("Perché");
    Shown shown(model);
    wchar_t text[64];
    GetWindowTextW(shown.window.hwnd(), text, 64);
    EXPECT_EQ(std::wstring(text), L"Esperimento è così");
    HWND label = shown.window.child(model.label);
    GetWindowTextW(label, text, 64);
    EXPECT_EQ(std::wstring(text), L"Perché");

    model.label.setFontSize(20);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -ui::fontPixels(20, shown.window.scale()));

    // A bar reaching beyond the window's left edge starts at the edge.
    model.label.setLeft(-2000);
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, shown.window.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, ui::toPixels(model.label.rect(), shown.window.scale()).x +
                           ui::toPixels(model.label.rect(), shown.window.scale()).width);
}

TEST(Win32Binding, AnExceptionFromAHandlerEndsTheRunWithACriticalMessageAndExitCode1) {
    Model model;
    model.button.onClick = [] { throw std::runtime_error("the disk is full"); };
    Shown shown(model);
    std::wstring seen;
    std::atomic<bool> answered = false;
    // The box opens inside the click; another thread reads and answers it.
    std::thread answer([&] {
        for (int i = 0; i < 500 && !answered; ++i) {
            if (HWND box = FindWindowW(L"#32770", L"tovask")) {
                wchar_t text[128]{};
                GetDlgItemTextW(box, 0xFFFF, text, 128);
                seen = text;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                answered = true;
            }
            std::this_thread::sleep_for(10ms);
        }
    });
    // A safety net: a run that failed to end would otherwise hang the test.
    SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); });
    PostMessageW(shown.window.child(model.button), BM_CLICK, 0, 0);
    const int status = shown.window.run();
    answer.join();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(seen, L"The run has ended: the disk is full");
    EXPECT_TRUE(shown.window.runEnded());
}

// The subject closes the window: every font the window made goes with it, before the binding
// itself does.
TEST(Win32Binding, ClosingTheWindowDeletesItsFonts) {
    Model model;
    Shown shown(model);
    std::vector<HGDIOBJ> fonts;
    for (const ui::Control* control :
         {static_cast<ui::Control*>(&model.button), static_cast<ui::Control*>(&model.label)})
        fonts.push_back(reinterpret_cast<HGDIOBJ>(
            SendMessageW(shown.window.child(*control), WM_GETFONT, 0, 0)));
    for (HGDIOBJ font : fonts)
        ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    const HWND hwnd = shown.window.hwnd();
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    test::pump(shown.window, 200ms);
    EXPECT_FALSE(IsWindow(hwnd));
    for (HGDIOBJ font : fonts)
        EXPECT_EQ(GetObjectType(font), 0u);
}

// WM_CLOSE (the close box, Alt+F4) closes the window only where the model lets it.
TEST(Win32Binding, ClosingTheWindowAsksTheModel) {
    for (const bool may : {false, true}) {
        Model model;
        const test::CloseQuestion question(model.window, may);
        Shown shown(model);
        const HWND hwnd = shown.window.hwnd();
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        test::pump(shown.window, 200ms);
        EXPECT_EQ(question.asked(), 1);
        EXPECT_EQ(IsWindow(hwnd) != FALSE, !may);
    }
}

// Refuses the windows a test names, as a system out of resources would.
bool refuseChildrenOnly = false;
LRESULT CALLBACK refuseWindows(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_CREATEWND &&
        (!refuseChildrenOnly || (reinterpret_cast<CBT_CREATEWNDW*>(l)->lpcs->style & WS_CHILD)))
        return 1;
    return CallNextHookEx(nullptr, code, w, l);
}

// A window that cannot be made is a failure that says which and the system's cause, and leaves
// no window behind; the program shows it instead of an empty window.
TEST(Win32Binding, AWindowThatCannotBeMadeIsAFailureWithTheSystemsCause) {
    for (const bool childrenOnly : {false, true}) {
        refuseChildrenOnly = childrenOnly;
        const HHOOK hook = SetWindowsHookExW(WH_CBT, refuseWindows, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        Model model;
        std::string failure;
        try {
            Win32Window window(model.window, 10000, 10000);
        } catch (const std::runtime_error& e) {
            failure = e.what();
        }
        UnhookWindowsHookEx(hook);
        // The cause is what the system's last error says, whatever a refusing hook left there.
        const std::string which =
            std::string("cannot create the window") + (childrenOnly ? " of Button" : "") + ": ";
        EXPECT_EQ(failure.rfind(which, 0), 0u) << failure;
        EXPECT_GT(failure.size(), which.size()) << failure;
        EXPECT_EQ(FindWindowW(kWindowClass, nullptr), nullptr);
    }
    EXPECT_EQ(systemErrorText(ERROR_ACCESS_DENIED).rfind("Access"), 0u);
    EXPECT_NE(systemErrorText(ERROR_ACCESS_DENIED).find("(error 5)"), std::string::npos);
}

} // namespace
} // namespace tovask::win32
