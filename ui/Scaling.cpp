#include "ui/Scaling.h"

#include <algorithm>
#include <cmath>

namespace tovask::ui {

double fitScale(double designWidth, double designHeight, int clientWidth, int clientHeight) {
    return std::min(clientWidth / designWidth, clientHeight / designHeight);
}

PixelRect toPixels(const ui::Rect& twips, double scale) {
    const auto edge = [scale](double t) { return static_cast<int>(std::lround(t * scale)); };
    const int x = edge(twips.left);
    const int y = edge(twips.top);
    const int right = edge(static_cast<double>(twips.left) + twips.width);
    const int bottom = edge(static_cast<double>(twips.top) + twips.height);
    return {x, y, std::max(right - x, 0), std::max(bottom - y, 0)};
}

int fontPixels(double points, double scale) {
    constexpr double kTwipsPerPoint = 20;
    return std::max(static_cast<int>(std::lround(points * kTwipsPerPoint * scale)), 1);
}

int fontPixels(const Font& font, double scale) {
    return fontPixels(font.size > 0 ? font.size : kDefaultFontPoints, scale);
}

bool isSerif(const Font& font) {
    return font.face == "Times New Roman";
}

PixelRect visiblePart(const PixelRect& r, int windowWidth, int windowHeight) {
    const int left = std::clamp(r.x, 0, windowWidth);
    const int top = std::clamp(r.y, 0, windowHeight);
    const int right = std::clamp(r.x + r.width, left, windowWidth);
    const int bottom = std::clamp(r.y + r.height, top, windowHeight);
    return {left, top, right - left, bottom - top};
}

PixelRect placeOf(const Control& control, double scale, int windowWidth, int windowHeight) {
    const PixelRect r = toPixels(control.rect(), scale);
    return control.kind() == Kind::Label ? visiblePart(r, windowWidth, windowHeight) : r;
}

namespace {

// Relative luminance of an sRGB channel value, as used for contrast ratios.
double linear(std::uint32_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

bool wantsLightText(std::uint32_t backColor) {
    const double luminance = 0.2126 * linear(backColor & 0xFF) +
                             0.7152 * linear((backColor >> 8) & 0xFF) +
                             0.0722 * linear((backColor >> 16) & 0xFF);
    return (1.05 / (luminance + 0.05)) > ((luminance + 0.05) / 0.05);
}

} // namespace tovask::ui
