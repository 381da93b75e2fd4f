#include "ui/win32/Win32Window.h"

#include "ui/Scaling.h"
#include "ui/Services.h"
#include "ui/win32/Text.h"
#include "ui/win32/Win32Services.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace tovask::win32 {

namespace {

using ui::Kind;

constexpr const wchar_t* kSurfaceClass = L"tovask.Surface";

// The model's colours are 0x00BBGGRR, which is the layout of a COLORREF.
COLORREF colour(std::uint32_t bgr) {
    return static_cast<COLORREF>(bgr & 0x00FFFFFF);
}

// The designed faces by what every Windows has: "Times New Roman", and for "MS Sans Serif" and
// the window's default font its TrueType successor, which scales smoothly. The families make
// a system without them (Wine) pick a face of the same kind.
Font createFont(const ui::Font& font, double scale) {
    const bool serif = ui::isSerif(font);
    LOGFONTW f{};
    f.lfHeight = -ui::fontPixels(font, scale);
    f.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    f.lfCharSet = DEFAULT_CHARSET;
    f.lfOutPrecision = OUT_TT_PRECIS;
    f.lfQuality = CLEARTYPE_QUALITY;
    f.lfPitchAndFamily = VARIABLE_PITCH | (serif ? FF_ROMAN : FF_SWISS);
    wcscpy_s(f.lfFaceName, LF_FACESIZE, serif ? L"Times New Roman" : L"Microsoft Sans Serif");
    return Font(CreateFontIndirectW(&f));
}

// What could not be done, with the system's text of the cause.
[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + systemErrorText(GetLastError()));
}

// The classes of the main window and of the surfaces that labels and the picture are drawn on;
// registered by the first window, and found registered by every later one.
void registerClasses(WNDPROC window, WNDPROC surface) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW main{};
    main.cbSize = sizeof(main);
    main.lpfnWndProc = window;
    main.hInstance = GetModuleHandleW(nullptr);
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.lpszClassName = kWindowClass;
    WNDCLASSEXW surfaces = main;
    surfaces.lpfnWndProc = surface;
    surfaces.lpszClassName = kSurfaceClass;
    for (const WNDCLASSEXW* windowClass : {&main, &surfaces})
        if (!RegisterClassExW(windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            fail("cannot register the window class " + narrow(windowClass->lpszClassName));
}

// The height of a 3-D edge at the scaling of the window's monitor. Windows before 10 (1607)
// lacks the per-monitor functions and gives the system scaling's value instead.
int edgeHeight(HWND window) {
    using MetricForDpi = int(WINAPI*)(int, UINT);
    using DpiOfWindow = UINT(WINAPI*)(HWND);
    static const HMODULE user = GetModuleHandleW(L"user32.dll");
    // Through void(*)(), which any function pointer may be cast to and back from.
    static const auto metric = reinterpret_cast<MetricForDpi>(
        reinterpret_cast<void (*)()>(GetProcAddress(user, "GetSystemMetricsForDpi")));
    static const auto dpi = reinterpret_cast<DpiOfWindow>(
        reinterpret_cast<void (*)()>(GetProcAddress(user, "GetDpiForWindow")));
    if (metric && dpi)
        return metric(SM_CYEDGE, dpi(window));
    return GetSystemMetrics(SM_CYEDGE);
}

// Sets a flag for the lifetime of the guard and puts the old value back at its end.
class Raised {
public:
    explicit Raised(bool& flag) : flag_(flag), old_(std::exchange(flag, true)) {}
    ~Raised() { flag_ = old_; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace

int controlId(const ui::Window& window, const ui::Control& control) {
    const std::vector<ui::Control*> controls = window.boundControls();
    const auto found = std::find(controls.begin(), controls.end(), &control);
    return found == controls.end() ? 0 : static_cast<int>(found - controls.begin()) + 1;
}

Win32Window::Win32Window(ui::Window& window, double designWidth, double designHeight)
    : ui::Delivery([this](const std::string& message) { endRun(message); }), model_(window),
      designWidth_(designWidth), designHeight_(designHeight),
      surface_(CreateSolidBrush(colour(ui::kButtonFace))) {
    registerClasses(windowProcedure, surfaceProcedure);
    if (!CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                         GetModuleHandleW(nullptr), this))
        fail("cannot create the window");
    try {
        for (ui::Control* control : window.boundControls())
            create(*control);
    } catch (...) {
        destroyWindow();
        throw;
    }
    // Labels are drawn on the surface, below every other control (the summary labels reach
    // over the top of the button).
    for (const auto& [control, child] : children_)
        if (control->kind() == Kind::Label)
            SetWindowPos(child.hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    rescale();
    ui::observe(window, *this);
}

Win32Window::~Win32Window() {
    ui::stopObserving(model_);
    destroyWindow();
}

// Child windows die with the window, which no longer reaches this object; their fonts go with
// their entries once they have gone. (A window closed by the subject lets them go at its
// WM_NCDESTROY.)
void Win32Window::destroyWindow() {
    if (!window_)
        return;
    for (const auto& [control, ticker] : tickers_)
        KillTimer(window_, ticker.id);
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
    window_ = nullptr;
    children_.clear();
    controls_.clear();
}

void Win32Window::create(ui::Control& control) {
    if (children_.count(&control) || control.kind() == Kind::Window)
        return;
    const int id = controlId(model_, control);
    if (control.kind() == Kind::Timer) {
        tickers_[static_cast<ui::Timer*>(&control)].id = static_cast<UINT_PTR>(id);
        return;
    }
    HWND parent = window_;
    if (ui::Control* container = control.container()) {
        create(*container);
        parent = children_.at(container).hwnd;
    }
    HWND hwnd = createChild(control, parent, id);
    children_[&control].hwnd = hwnd;
    controls_[hwnd] = &control;
}

namespace {

// The child window that shows a control of each kind. Labels and the picture are drawn by the
// binding on a surface of its own; frames and the button are subclassed for their messages.
struct ChildWindow {
    const wchar_t* windowClass;
    DWORD style;
    DWORD extended;
    bool subclass;
};

ChildWindow childWindowOf(Kind kind) {
    switch (kind) {
    case Kind::Frame:
        return {WC_BUTTONW, WS_CLIPCHILDREN | BS_GROUPBOX, 0, true};
    case Kind::TextBox:
        return {WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, false};
    case Kind::ComboBox:
        // The list holds the model's items only, and what is typed stays as typed.
        return {WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, false};
    case Kind::CommandButton:
        return {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, true};
    case Kind::HScrollBar:
        return {WC_SCROLLBARW, WS_TABSTOP | SBS_HORZ, 0, false};
    default:
        return {kSurfaceClass, 0, 0, false};
    }
}

} // namespace

HWND Win32Window::createChild(ui::Control& control, HWND parent, int id) {
    const ChildWindow child = childWindowOf(control.kind());
    const wchar_t* windowClass = child.windowClass;
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | child.style;
    const DWORD extended = child.extended;
    const bool subclass = child.subclass;
    HWND hwnd = CreateWindowExW(extended, windowClass, L"", style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        fail("cannot create the window of " + control.name());
    if (subclass)
        SetWindowSubclass(hwnd, childProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
    return hwnd;
}

LRESULT CALLBACK Win32Window::windowProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = hwnd;
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->children_.clear();
        self->controls_.clear();
    }
    return self->onMessage(message, w, l);
}

LRESULT CALLBACK Win32Window::surfaceProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<Win32Window*>(
        GetWindowLongPtrW(GetAncestor(hwnd, GA_ROOT), GWLP_USERDATA));
    if (self) {
        switch (message) {
        case WM_PAINT:
            self->paintSurface(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1; // the paint covers the whole surface
        case WM_GETFONT:
            if (ui::Control* control = self->controlOf(hwnd))
                return reinterpret_cast<LRESULT>(self->children_.at(control).font.get());
            return 0;
        default:
            break;
        }
    }
    return DefWindowProcW(hwnd, message, w, l);
}

LRESULT CALLBACK Win32Window::childProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                             DWORD_PTR self) {
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, childProcedure, 1);
    LRESULT result = 0;
    if (reinterpret_cast<Win32Window*>(self)->onChildMessage(hwnd, message, w, l, result))
        return result;
    return DefSubclassProc(hwnd, message, w, l);
}

bool Win32Window::onChildMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l, LRESULT& result) {
    ui::Control* control = controlOf(hwnd);
    if (!control || controls_.at(hwnd) != control)
        return false;
    if (control->kind() == Kind::CommandButton && message == WM_CHAR) {
        // Every character typed on the button goes to the model, then has its usual effect on
        // the button (Space still clicks it): no key is swallowed.
        auto& button = static_cast<ui::CommandButton&>(*control);
        const auto code = static_cast<std::int16_t>(w);
        deliver([&button, code] {
            std::int16_t keyAscii = code;
            button.keyPress(keyAscii);
        });
        return false;
    }
    if (control->kind() == Kind::Frame) {
        switch (message) {
        // A frame holds controls, whose notifications and colour requests come to it: they
        // belong to the window.
        case WM_COMMAND:
        case WM_HSCROLL:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            result = onMessage(message, w, l);
            return true;
        case WM_ERASEBKGND:
            fillSurface(hwnd, reinterpret_cast<HDC>(w));
            result = 1;
            return true;
        default:
            break;
        }
    }
    return false;
}

LRESULT Win32Window::onMessage(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_ERASEBKGND:
        fillSurface(window_, reinterpret_cast<HDC>(w));
        return 1;
    case WM_SIZE:
        if (w != SIZE_MINIMIZED)
            layout();
        return 0;
    case WM_DPICHANGED: {
        // Moved to a monitor of another scaling: the system's suggested size keeps the window
        // as large as it was there; the designed area is then fitted into it again.
        const auto* suggested = reinterpret_cast<const RECT*>(l);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_COMMAND:
        if (l)
            onCommand(reinterpret_cast<HWND>(l), HIWORD(w));
        return 0;
    case WM_HSCROLL:
        if (l)
            onScroll(reinterpret_cast<HWND>(l), LOWORD(w), HIWORD(w));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // Frames, the button's corners and disabled boxes stand on the surface's colour.
        SetBkColor(reinterpret_cast<HDC>(w), colour(ui::kButtonFace));
        return reinterpret_cast<LRESULT>(surface_.get());
    case WM_TIMER:
        onTimer(w);
        return 0;
    case WM_ACTIVATE:
        onActivate(LOWORD(w) != WA_INACTIVE);
        return 0;
    case WM_CLOSE:
        // The close box, Alt+F4: the window closes only where the model lets it.
        if (!mayClose(model_))
            return 0;
        DestroyWindow(window_);
        PostQuitMessage(runEnded() ? 1 : 0);
        return 0;
    default:
        return DefWindowProcW(window_, message, w, l);
    }
}

void Win32Window::onActivate(bool active) {
    if (!active) {
        const HWND focused = GetFocus();
        if (focused && IsChild(window_, focused))
            lastFocus_ = focused;
        return;
    }
    // Back from a message box or another program: the focus is where it was.
    if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_) &&
        IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
    } else if (const std::vector<ui::Control*> chain = focusChain(); !chain.empty()) {
        focus(*chain.front());
    } else {
        SetFocus(window_);
    }
}

void Win32Window::changed(ui::Control& control, ui::Property property) {
    // A value set by the program reaches the model's events from the model alone.
    const Raised mirroring(mirroring_);
    ui::mirror(*this, control, property);
}

// Every control of the model has its child window or its ticker while the window exists.
bool Win32Window::shows(const ui::Control& control) const {
    return window_ &&
           (&control == &model_ || control.kind() == Kind::Timer || children_.count(&control));
}

void Win32Window::showTitle(const std::string& title) {
    SetWindowTextW(window_, widen(title).c_str());
}

void Win32Window::showVisible(const ui::Control& control) {
    HWND hwnd = child(control);
    if (!control.visible()) {
        // A hidden window keeps the focus unless it is moved: keys would go nowhere.
        const HWND focused = GetFocus();
        if (focused && (focused == hwnd || IsChild(hwnd, focused)))
            SetFocus(window_);
    }
    ShowWindow(hwnd, control.visible() ? SW_SHOWNA : SW_HIDE);
}

void Win32Window::showGeometry(const ui::Control& control) {
    place(control, children_.at(&control));
}

void Win32Window::showFont(const ui::Control& control) {
    applyFont(control, children_.at(&control));
}

void Win32Window::showLabelCaption(const ui::Label& label) {
    HWND hwnd = child(label);
    SetWindowTextW(hwnd, widen(label.caption()).c_str());
    InvalidateRect(hwnd, nullptr, FALSE);
}

void Win32Window::showFrameCaption(const ui::Frame& frame, const std::string& caption) {
    SetWindowTextW(child(frame), widen(caption).c_str());
}

void Win32Window::showButtonCaption(const ui::CommandButton& button, const std::string& caption) {
    SetWindowTextW(child(button), widen(caption).c_str());
}

void Win32Window::showText(const ui::TextBox& box) {
    HWND hwnd = child(box);
    // Unchanged text keeps the caret where the user typed.
    const std::wstring text = widen(box.text());
    if (windowText(hwnd) != text)
        SetWindowTextW(hwnd, text.c_str());
}

void Win32Window::showItems(const ui::ComboBox& box) {
    HWND hwnd = child(box);
    SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : box.items())
        SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
}

void Win32Window::showButtonEnabled(const ui::CommandButton& button) {
    HWND hwnd = child(button);
    if (!button.enabled() && GetFocus() == hwnd)
        SetFocus(window_);
    EnableWindow(hwnd, button.enabled());
    // Disabling the focused button left the window without a focused control; enabled again,
    // the button has it back, so the experimenter's key needs no click first.
    const HWND focused = GetFocus();
    if (button.enabled() && (focused == window_ || (!focused && GetActiveWindow() == window_)) &&
        IsWindowVisible(hwnd))
        SetFocus(hwnd);
}

void Win32Window::showBoxEnabled(const ui::TextBox& box) {
    EnableWindow(child(box), box.enabled());
}

void Win32Window::showBackColor(const ui::Label& label) {
    InvalidateRect(child(label), nullptr, FALSE);
}

void Win32Window::showSlider(const ui::HScrollBar& bar) {
    HWND hwnd = child(bar);
    if (!hwnd)
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = bar.min();
    info.nMax = bar.max();
    info.nPos = bar.value();
    SetScrollInfo(hwnd, SB_CTL, &info, TRUE);
}

void Win32Window::place(const ui::Control& control, const Child& child) {
    RECT client;
    GetClientRect(window_, &client);
    const ui::PixelRect r = ui::placeOf(control, scale_, client.right, client.bottom);
    int height = r.height;
    if (control.kind() == Kind::ComboBox) {
        // A combo box's window reaches down over its open list; the box itself is the
        // selection field, set to the designed height.
        const LRESULT item = SendMessageW(child.hwnd, CB_GETITEMHEIGHT, 0, 0);
        height = r.height + 8 * static_cast<int>(std::max<LRESULT>(item, 1)) + 2;
        const int edges = 2 * edgeHeight(window_) + 2;
        SendMessageW(child.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     std::max(r.height - edges, 1));
    }
    SetWindowPos(child.hwnd, nullptr, r.x, r.y, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (control.kind() == Kind::Label || control.kind() == Kind::PictureBox)
        InvalidateRect(child.hwnd, nullptr, FALSE);
}

void Win32Window::applyFont(const ui::Control& control, Child& child) {
    Font font = createFont(control.font(), scale_);
    SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    // The font the child held until now is deleted here, no longer in use.
    child.font = std::move(font);
    if (control.kind() == Kind::Label)
        InvalidateRect(child.hwnd, nullptr, FALSE);
}

bool Win32Window::rescale() {
    RECT client;
    if (!window_ || !GetClientRect(window_, &client) || client.right <= 0 || client.bottom <= 0)
        return false;
    scale_ = ui::fitScale(designWidth_, designHeight_, client.right, client.bottom);
    return true;
}

void Win32Window::layout() {
    if (!rescale())
        return;
    // Fonts first: a combo box's height follows its font.
    for (auto& [control, child] : children_)
        applyFont(*control, child);
    for (auto& [control, child] : children_)
        place(*control, child);
}

void Win32Window::fillSurface(HWND hwnd, HDC dc) {
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, surface_.get());
}

void Win32Window::paintSurface(HWND hwnd) {
    const Paint paint(hwnd);
    const HDC dc = paint.dc();
    RECT r;
    GetClientRect(hwnd, &r);
    ui::Control* control = controlOf(hwnd);
    if (control && control->kind() == Kind::Label) {
        const auto& label = static_cast<const ui::Label&>(*control);
        const Brush back(CreateSolidBrush(colour(label.backColor())));
        FillRect(dc, &r, back.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ui::wantsLightText(label.backColor()) ? RGB(255, 255, 255) : RGB(0, 0, 0));
        const Selection font(dc, children_.at(control).font.get());
        std::wstring text = windowText(hwnd);
        DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r,
                  DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    } else {
        FillRect(dc, &r, surface_.get());
        logo_.draw(dc, r);
    }
}

ui::Control* Win32Window::controlOf(HWND hwnd) const {
    // The edit field of a combo box belongs to the combo box's control.
    for (HWND h = hwnd; h && h != window_; h = GetParent(h))
        if (const auto found = controls_.find(h); found != controls_.end())
            return found->second;
    return nullptr;
}

HWND Win32Window::child(const ui::Control& control) const {
    const auto found = children_.find(&control);
    return found == children_.end() ? nullptr : found->second.hwnd;
}

void Win32Window::showMaximized() {
    ShowWindow(window_, SW_SHOWMAXIMIZED);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
}

void Win32Window::endRun(const std::string& message) {
    if (window_)
        for (const auto& [control, ticker] : tickers_)
            KillTimer(window_, ticker.id);
    showModalMessage(ui::kProgramTitle, message, true);
    PostQuitMessage(1);
}

} // namespace tovask::win32
