#pragma once
// The Win32 window of a control model: one child window per control that mirrors the control's
// properties and turns the subject's input into the control's events. The model is the truth;
// the child windows only show it. Each child's control ID is its place among the window's
// controls, counted from 1 (controlId), so a test program can find it from outside.

#include "ui/Controls.h"
#include "ui/Delivery.h"
#include "ui/Mirror.h"
#include "ui/win32/Handles.h"
#include "ui/win32/Logo.h"
#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tovask::win32 {

// The control ID of a control of the window, or 0 for one it does not hold.
int controlId(const ui::Window& window, const ui::Control& control);

// The window class of the main window, which a test finds it by.
inline constexpr const wchar_t* kWindowClass = L"tovask.Window";

// Events reach the model through deliver(), in the message loop; an exception that escapes one
// ends the run with a critical message box and exit code 1.
class Win32Window : public ui::Delivery, private ui::ControlObserver, private ui::WidgetSink {
public:
    // designWidth × designHeight twips is the area the window shows whole at any size. The
    // window is created hidden. Throws std::runtime_error, with the system's text of the cause,
    // when a window cannot be made.
    Win32Window(ui::Window& window, double designWidth, double designHeight);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Shows the window maximized on the monitor it is on.
    void showMaximized();
    // Runs the message loop until the window is closed or the run ends; the exit status.
    int run();
    // One message taken from the queue, as the loop treats it: Tab and Shift+Tab move the
    // focus along the tab order; every other key is translated (Ctrl+C into the character
    // code 3) and goes to the window that has the focus. No accelerator or dialog manager
    // takes a key first.
    void handle(MSG& message);

    HWND hwnd() const { return window_; }
    // The child window of a control, or null.
    HWND child(const ui::Control& control) const;
    // Pixels per twip at the window's current size.
    double scale() const { return scale_; }

private:
    struct Child {
        HWND hwnd = nullptr;
        Font font; // deleted with the child's entry, once the child window has gone
    };
    // A timer's next tick is due at a time of the monotonic clock, one interval after the one
    // before: a late tick makes the next one no later, so ten ticks last ten intervals.
    struct Ticker {
        UINT_PTR id = 0;
        bool running = false;
        std::chrono::steady_clock::time_point due;
    };

    static LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK surfaceProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK childProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l,
                                           UINT_PTR subclass, DWORD_PTR self);
    LRESULT onMessage(UINT message, WPARAM w, LPARAM l);
    // Messages of a child window: true when handled, with the result.
    bool onChildMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l, LRESULT& result);
    void changed(ui::Control& control, ui::Property property) override;

    bool shows(const ui::Control& control) const override;
    void showTitle(const std::string& title) override;
    void showTimer(ui::Timer& timer) override;
    void showVisible(const ui::Control& control) override;
    void showGeometry(const ui::Control& control) override;
    void showFont(const ui::Control& control) override;
    void showLabelCaption(const ui::Label& label) override;
    void showFrameCaption(const ui::Frame& frame, const std::string& caption) override;
    void showButtonCaption(const ui::CommandButton& button, const std::string& caption) override;
    void showText(const ui::TextBox& box) override;
    void showItems(const ui::ComboBox& box) override;
    void showButtonEnabled(const ui::CommandButton& button) override;
    void showBoxEnabled(const ui::TextBox& box) override;
    void showBackColor(const ui::Label& label) override;
    void showSlider(const ui::HScrollBar& bar) override;

    void create(ui::Control& control);
    HWND createChild(ui::Control& control, HWND parent, int id);
    void place(const ui::Control& control, const Child& child);
    void applyFont(const ui::Control& control, Child& child);
    // The scale that fits the designed area into the client area; false while there is none.
    bool rescale();
    void layout();
    void fillSurface(HWND hwnd, HDC dc);
    void paintSurface(HWND hwnd);
    void onActivate(bool active);
    void onCommand(HWND from, int code);
    void onScroll(HWND from, int request, int position);
    void onTimer(UINT_PTR id);
    // Sets the system's timer id to fire after delay: the one place that starts the window's
    // platform timers.
    void arm(UINT_PTR id, std::chrono::milliseconds delay);
    void moveFocus(bool backwards);
    // The controls that take the focus, in tab order; shown and enabled ones only.
    std::vector<ui::Control*> focusChain() const;
    void focus(ui::Control& control);
    ui::Control* controlOf(HWND hwnd) const;

    void endRun(const std::string& message);
    void destroyWindow();

    ui::Window& model_;
    double designWidth_, designHeight_;
    double scale_ = 1;
    HWND window_ = nullptr;
    Brush surface_;
    Logo logo_;
    std::map<const ui::Control*, Child> children_;
    std::map<HWND, ui::Control*> controls_;
    std::map<ui::Timer*, Ticker> tickers_;
    // Set while the window applies the model's values, so that the notifications this causes
    // do not reach the model again.
    bool mirroring_ = false;
    HWND lastFocus_ = nullptr;
};

} // namespace tovask::win32
