#include "ui/win32/Logo.h"

#include "ui/win32/Handles.h"
#include "ui/win32/Resources.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
// GDI+'s headers use min and max unqualified.
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

namespace tovask::win32 {

namespace {

// The bytes of the PNG resource as a stream GDI+ can read, or none. (A resource stays loaded
// with the program: nothing of it is freed.)
Com<IStream> logoStream() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(TOVASK_LOGO_RESOURCE), RT_RCDATA);
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return nullptr;
    return Com<IStream>(
        SHCreateMemStream(static_cast<const BYTE*>(bytes), SizeofResource(module, found)));
}

} // namespace

Logo::Logo() {
    const Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok)
        return;
    if (const Com<IStream> stream = logoStream()) {
        bitmap_.reset(Gdiplus::Bitmap::FromStream(stream.get()));
        if (bitmap_ && bitmap_->GetLastStatus() != Gdiplus::Ok)
            bitmap_.reset();
    }
}

Logo::~Logo() {
    bitmap_.reset();
    if (token_)
        Gdiplus::GdiplusShutdown(token_);
}

void Logo::draw(HDC dc, const RECT& box) const {
    if (!bitmap_)
        return;
    const double width = box.right - box.left;
    const double height = box.bottom - box.top;
    const double fit = std::min(width / bitmap_->GetWidth(), height / bitmap_->GetHeight());
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
    graphics.DrawImage(bitmap_.get(), static_cast<INT>(box.left), static_cast<INT>(box.top),
                       static_cast<INT>(bitmap_->GetWidth() * fit),
                       static_cast<INT>(bitmap_->GetHeight() * fit));
}

} // namespace tovask::win32
