#pragma once
// Owners of the Win32 resources the window makes, so that none is freed by hand: a font or a
// brush is deleted, a paint ended, a selection undone and a COM interface released when its
// owner goes, on every path out of the scope that holds it.

#include <windows.h>

#include <unknwn.h>

#include <memory>
#include <type_traits>

namespace tovask::win32 {

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
// A GDI object of the program's own: a font, a brush.
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, DeleteGdiObject>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;

struct ReleaseInterface {
    void operator()(IUnknown* object) const { object->Release(); }
};
// A COM interface pointer the program holds one reference of.
template <typename Interface> using Com = std::unique_ptr<Interface, ReleaseInterface>;

// The painting of a window, from BeginPaint to EndPaint.
class Paint {
public:
    explicit Paint(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    ~Paint() { EndPaint(hwnd_, &paint_); }
    Paint(const Paint&) = delete;
    Paint& operator=(const Paint&) = delete;

    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context; the one it replaced is selected again at the end.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace tovask::win32
