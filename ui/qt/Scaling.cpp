#include "ui/qt/Scaling.h"

#include <algorithm>
#include <cmath>

namespace tovask::qt {

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

} // namespace tovask::qt
