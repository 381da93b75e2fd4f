#pragma once
// The logo, built into the program as a PNG resource and decoded by GDI+ (part of Windows).

#include <windows.h>

#include <memory>

namespace Gdiplus {
class Bitmap;
}

namespace tovask::win32 {

class Logo {
public:
    Logo();
    ~Logo();
    Logo(const Logo&) = delete;
    Logo& operator=(const Logo&) = delete;

    // Draws the logo as large as fits the box, keeping its proportions, from the top left
    // corner; nothing when the resource could not be decoded.
    void draw(HDC dc, const RECT& box) const;

private:
    ULONG_PTR token_ = 0;
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

} // namespace tovask::win32
