#pragma once
// Twips to pixels. One factor fits the whole designed area into the window's client area, so
// the screen looks the same on any monitor and DPI; fonts scale with it. Pure functions, so
// the mapping is tested without widgets.

#include "ui/Controls.h"

#include <cstdint>

namespace tovask::ui {

// The size of the window's default font at design (frames, the button, the summary labels).
inline constexpr double kDefaultFontPoints = 8.25;

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Pixels per twip that fit designWidth × designHeight twips into the client area, keeping
// proportions.
double fitScale(double designWidth, double designHeight, int clientWidth, int clientHeight);

// A rectangle in twips as pixels. The edges are rounded, not the sizes, so controls that meet
// in twips (the bars on the centre line) meet in pixels too. A negative size shows as 0.
PixelRect toPixels(const ui::Rect& twips, double scale);

// The part of a label that lies within the window: a bar may reach beyond the window's edge,
// and its text then starts at the edge instead of outside it.
PixelRect visiblePart(const PixelRect& r, int windowWidth, int windowHeight);

// Where a control stands in a client area of windowWidth × windowHeight pixels; of a label only
// the part within it.
PixelRect placeOf(const Control& control, double scale, int windowWidth, int windowHeight);

// Whether text on a background of this colour (0x00BBGGRR) reads better in white than in
// black: the one of the two with the higher contrast ratio wins.
bool wantsLightText(std::uint32_t backColor);

// The pixel height of a font of the given points: a point is 20 twips. Never below 1 pixel.
int fontPixels(double points, double scale);
// The pixel height of a control's font; a font without a size has the window's default size.
int fontPixels(const Font& font, double scale);
// Whether a designed face is a serif ("Times New Roman"); "MS Sans Serif" and the window's
// default font are sans serif.
bool isSerif(const Font& font);

} // namespace tovask::ui
