#include "ui/win32/Win32Window.h"

#include "ui/Scaling.h"
#include "ui/Services.h"
#include "ui/win32/Text.h"
#include "ui/win32/Win32Services.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace tovask::win32 {

namespace {

using ui::Kind;
using ui::Property;

constexpr std::uint32_t kButtonFace = 0x00F0F0F0;
constexpr const wchar_t* kSurfaceClass = L"tovask.Surface";

// The model's colours are 0x00BBGGRR, which is the layout of a COLORREF.
COLORREF colour(std::uint32_t bgr) {
    return static_cast<COLORREF>(bgr & 0x00FFFFFF);
}

// A '&' in a button or frame caption would mark a mnemonic and vanish; captions show as written.
std::wstring caption(const std::string& s) {
    std::wstring text;
    for (const wchar_t c : widen(s)) {
        text += c;
        if (c == L'&')
            text += L'&';
    }
    return text;
}

// The designed faces by what every Windows has: "Times New Roman", and for "MS Sans Serif" and
// the window's default font its TrueType successor, which scales smoothly. The families make
// a system without them (Wine) pick a face of the same kind.
HFONT createFont(const ui::Font& font, double scale) {
    const bool serif = font.face == "Times New Roman";
    LOGFONTW f{};
    f.lfHeight = -ui::fontPixels(font.size > 0 ? font.size : ui::kDefaultFontPoints, scale);
    f.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    f.lfCharSet = DEFAULT_CHARSET;
    f.lfOutPrecision = OUT_TT_PRECIS;
    f.lfQuality = CLEARTYPE_QUALITY;
    f.lfPitchAndFamily = VARIABLE_PITCH | (serif ? FF_ROMAN : FF_SWISS);
    wcscpy_s(f.lfFaceName, LF_FACESIZE, serif ? L"Times New Roman" : L"Microsoft Sans Serif");
    return CreateFontIndirectW(&f);
}

void registerClasses() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        return true;
    }();
    (void)registered;
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
    const auto& controls = window.controls();
    const auto found = std::find(controls.begin(), controls.end(), &control);
    return found == controls.end() ? 0 : static_cast<int>(found - controls.begin()) + 1;
}

Win32Window::Win32Window(ui::Window& window, double designWidth, double designHeight)
    : ui::Delivery([this](const std::string& what) { endRun(what); }), model_(window),
      designWidth_(designWidth), designHeight_(designHeight),
      surface_(CreateSolidBrush(colour(kButtonFace))) {
    registerClasses();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW main{};
    main.cbSize = sizeof(main);
    main.lpfnWndProc = windowProcedure;
    main.hInstance = instance;
    main.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    main.lpszClassName = kWindowClass;
    RegisterClassExW(&main);
    WNDCLASSEXW surface = main;
    surface.lpfnWndProc = surfaceProcedure;
    surface.lpszClassName = kSurfaceClass;
    RegisterClassExW(&surface);

    window_ = CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                              nullptr, instance, this);
    for (ui::Control* control : window.controls())
        create(*control);
    // Labels are drawn on the surface, below every other control (the summary labels reach
    // over the top of the button).
    for (const auto& [control, child] : children_)
        if (control->kind() == Kind::Label)
            SetWindowPos(child.hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // The model may have been set up before the window existed: show all of it once.
    window.setObserver(this);
    mirror(window, Property::Caption);
    for (ui::Control* control : window.controls()) {
        control->setObserver(this);
        for (Property p : {Property::Caption, Property::Text, Property::Items, Property::Visible,
                           Property::Enabled, Property::BackColor, Property::Range})
            mirror(*control, p);
    }
    layout();
}

Win32Window::~Win32Window() {
    // Child windows die with the window; none of them may reach the model or this object.
    model_.setObserver(nullptr);
    for (ui::Control* control : model_.controls())
        control->setObserver(nullptr);
    if (window_) {
        for (const auto& [control, ticker] : tickers_)
            KillTimer(window_, ticker.id);
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    for (const auto& [control, child] : children_)
        if (child.font)
            DeleteObject(child.font);
    DeleteObject(surface_);
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
                return reinterpret_cast<LRESULT>(self->children_.at(control).font);
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
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(w), &r, surface_);
            result = 1;
            return true;
        }
        default:
            break;
        }
    }
    return false;
}

LRESULT Win32Window::onMessage(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(window_, &r);
        FillRect(reinterpret_cast<HDC>(w), &r, surface_);
        return 1;
    }
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
        SetBkColor(reinterpret_cast<HDC>(w), colour(kButtonFace));
        return reinterpret_cast<LRESULT>(surface_);
    case WM_TIMER:
        onTimer(w);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(w) == WA_INACTIVE) {
            const HWND focused = GetFocus();
            if (focused && IsChild(window_, focused))
                lastFocus_ = focused;
            return 0;
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
        return 0;
    case WM_CLOSE:
        DestroyWindow(window_);
        PostQuitMessage(runEnded() ? 1 : 0);
        return 0;
    default:
        return DefWindowProcW(window_, message, w, l);
    }
}

void Win32Window::changed(ui::Control& control, ui::Property property) {
    mirror(control, property);
}

void Win32Window::mirror(ui::Control& control, ui::Property property) {
    if (!window_)
        return;
    // The window's own rect is its designed client area; the window takes whatever size it
    // is given and scales the designed area into it.
    if (&control == &model_) {
        if (property == Property::Caption)
            SetWindowTextW(window_, widen(model_.caption()).c_str());
        return;
    }
    if (control.kind() == Kind::Timer) {
        mirrorTimer(static_cast<ui::Timer&>(control));
        return;
    }
    const auto found = children_.find(&control);
    if (found == children_.end())
        return;
    Child& child = found->second;
    HWND hwnd = child.hwnd;
    // A value set by the program reaches the model's events from the model alone.
    const Raised mirroring(mirroring_);

    switch (property) {
    case Property::Visible:
        if (!control.visible()) {
            // A hidden window keeps the focus unless it is moved: keys would go nowhere.
            const HWND focused = GetFocus();
            if (focused && (focused == hwnd || IsChild(hwnd, focused)))
                SetFocus(window_);
        }
        ShowWindow(hwnd, control.visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case Property::Geometry:
        place(control, child);
        break;
    case Property::Font:
        applyFont(control, child);
        break;
    case Property::Caption:
        if (control.kind() == Kind::Label) {
            SetWindowTextW(hwnd, widen(static_cast<const ui::Label&>(control).caption()).c_str());
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        if (control.kind() == Kind::Frame)
            SetWindowTextW(hwnd, caption(static_cast<const ui::Frame&>(control).caption()).c_str());
        if (control.kind() == Kind::CommandButton)
            SetWindowTextW(
                hwnd, caption(static_cast<const ui::CommandButton&>(control).caption()).c_str());
        break;
    case Property::Text:
    case Property::Items:
        if (control.kind() == Kind::ComboBox && property == Property::Items) {
            SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
            for (const std::string& item : static_cast<const ui::ComboBox&>(control).items())
                SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
        }
        if (control.kind() == Kind::TextBox || control.kind() == Kind::ComboBox) {
            // Unchanged text keeps the caret where the user typed.
            const std::wstring text = widen(static_cast<const ui::TextBox&>(control).text());
            if (windowText(hwnd) != text)
                SetWindowTextW(hwnd, text.c_str());
        }
        break;
    case Property::Enabled:
        if (control.kind() == Kind::CommandButton) {
            const bool enabled = static_cast<const ui::CommandButton&>(control).enabled();
            if (!enabled && GetFocus() == hwnd)
                SetFocus(window_);
            EnableWindow(hwnd, enabled);
            // Disabling the focused button left the window without a focused control; enabled
            // again, the button has it back, so the experimenter's key needs no click first.
            const HWND focused = GetFocus();
            if (enabled && (focused == window_ || (!focused && GetActiveWindow() == window_)) &&
                IsWindowVisible(hwnd))
                SetFocus(hwnd);
        }
        if (control.kind() == Kind::TextBox || control.kind() == Kind::ComboBox)
            EnableWindow(hwnd, static_cast<const ui::TextBox&>(control).enabled());
        break;
    case Property::BackColor:
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case Property::Value:
    case Property::Range:
        if (control.kind() == Kind::HScrollBar)
            mirrorSlider(static_cast<const ui::HScrollBar&>(control));
        break;
    }
}

void Win32Window::mirrorSlider(const ui::HScrollBar& bar) {
    const auto found = children_.find(&bar);
    if (found == children_.end())
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = bar.min();
    info.nMax = bar.max();
    info.nPos = bar.value();
    SetScrollInfo(found->second.hwnd, SB_CTL, &info, TRUE);
}

void Win32Window::place(const ui::Control& control, const Child& child) {
    ui::PixelRect r = ui::toPixels(control.rect(), scale_);
    int height = r.height;
    if (control.kind() == Kind::Label) {
        RECT client;
        GetClientRect(window_, &client);
        r = ui::visiblePart(r, client.right, client.bottom);
        height = r.height;
    }
    if (control.kind() == Kind::ComboBox) {
        // A combo box's window reaches down over its open list; the box itself is the
        // selection field, set to the designed height.
        const LRESULT item = SendMessageW(child.hwnd, CB_GETITEMHEIGHT, 0, 0);
        height = r.height + 8 * static_cast<int>(std::max<LRESULT>(item, 1)) + 2;
        const int edges = 2 * GetSystemMetrics(SM_CYEDGE) + 2;
        SendMessageW(child.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     std::max(r.height - edges, 1));
    }
    SetWindowPos(child.hwnd, nullptr, r.x, r.y, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (control.kind() == Kind::Label || control.kind() == Kind::PictureBox)
        InvalidateRect(child.hwnd, nullptr, FALSE);
}

void Win32Window::applyFont(const ui::Control& control, Child& child) {
    HFONT font = createFont(control.font(), scale_);
    SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (child.font)
        DeleteObject(child.font);
    child.font = font;
    if (control.kind() == Kind::Label)
        InvalidateRect(child.hwnd, nullptr, FALSE);
}

void Win32Window::layout() {
    RECT client;
    if (!window_ || !GetClientRect(window_, &client) || client.right <= 0 || client.bottom <= 0)
        return;
    scale_ = ui::fitScale(designWidth_, designHeight_, client.right, client.bottom);
    // Fonts first: a combo box's height follows its font.
    for (auto& [control, child] : children_)
        applyFont(*control, child);
    for (auto& [control, child] : children_)
        place(*control, child);
}

void Win32Window::paintSurface(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT r;
    GetClientRect(hwnd, &r);
    ui::Control* control = controlOf(hwnd);
    if (control && control->kind() == Kind::Label) {
        const auto& label = static_cast<const ui::Label&>(*control);
        HBRUSH back = CreateSolidBrush(colour(label.backColor()));
        FillRect(dc, &r, back);
        DeleteObject(back);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ui::wantsLightText(label.backColor()) ? RGB(255, 255, 255) : RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(dc, children_.at(control).font);
        std::wstring text = windowText(hwnd);
        DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r,
                  DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
    } else {
        FillRect(dc, &r, surface_);
        logo_.draw(dc, r);
    }
    EndPaint(hwnd, &paint);
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

void Win32Window::endRun(const std::string& what) {
    if (window_)
        for (const auto& [control, ticker] : tickers_)
            KillTimer(window_, ticker.id);
    showModalMessage(ui::kProgramTitle, "The run has ended: " + what, true);
    PostQuitMessage(1);
}

} // namespace tovask::win32
