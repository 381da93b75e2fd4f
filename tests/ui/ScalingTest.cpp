// Twips to pixels without widgets: the designed area fits the window, neighbours meet, fonts
// follow the scale.
#include "ui/Scaling.h"

#include <gtest/gtest.h>

namespace tovask::ui {
namespace {

constexpr double kWidth = 18500, kHeight = 10845;

TEST(Scaling, TheTighterSideOfTheWindowSetsTheFactor) {
    EXPECT_DOUBLE_EQ(fitScale(kWidth, kHeight, 1850, 4000), 0.1);
    EXPECT_DOUBLE_EQ(fitScale(kWidth, kHeight, 9000, 2169), 0.2);
}

// The whole designed area is shown at any window size, and it fills the tighter side.
TEST(Scaling, TheDesignedAreaFitsEveryWindow) {
    const struct {
        int width, height;
    } windows[] = {{1920, 1080}, {1280, 1024}, {1024, 768}, {800, 600}, {3840, 2160}, {2560, 1080}};
    for (const auto& w : windows) {
        SCOPED_TRACE(std::to_string(w.width) + "x" + std::to_string(w.height));
        const double s = fitScale(kWidth, kHeight, w.width, w.height);
        const PixelRect area = toPixels({0, 0, kWidth, kHeight}, s);
        EXPECT_LE(area.width, w.width);
        EXPECT_LE(area.height, w.height);
        EXPECT_TRUE(area.width == w.width || area.height == w.height);
    }
}

// A bar left of the centre line ends where the bar right of it begins, at every width the
// slider can give them; rounding sizes instead of edges opens gaps of a pixel.
TEST(Scaling, BarsThatMeetOnTheCentreLineMeetInPixels) {
    constexpr float kCentre = 9750;
    for (const double s : {1080 / kHeight, 1024 / kWidth, 768 / kWidth, 1.0 / 15}) {
        for (float w = 0; w <= 8750; w += 37.3f) {
            const PixelRect left = toPixels({kCentre - w, 3000, w, 2000}, s);
            const PixelRect right = toPixels({kCentre, 3000, 8750 - w, 2000}, s);
            ASSERT_EQ(left.x + left.width, right.x) << "scale " << s << ", width " << w;
        }
    }
}

TEST(Scaling, ARectangleKeepsItsPlaceAndANegativeSizeShowsAsNothing) {
    EXPECT_EQ(toPixels({1000, 500, 17500, 6000}, 0.1), (PixelRect{100, 50, 1750, 600}));
    EXPECT_EQ(toPixels({9750, 3000, -120, -10}, 0.1), (PixelRect{975, 300, 0, 0}));
}

TEST(Scaling, FontsScaleWithTheWindowAndKeepAtLeastOnePixel) {
    EXPECT_EQ(fontPixels(12, 0.1), 24);                      // 240 twips high
    EXPECT_EQ(fontPixels(kDefaultFontPoints, 1.0 / 15), 11); // 8.25 pt at 96 dpi
    EXPECT_EQ(fontPixels(24, 0.05), 24);
    EXPECT_EQ(fontPixels(0, 0.1), 1);  // a bar of width 0 asks for 0 points
    EXPECT_EQ(fontPixels(12, 0.0), 1); // a window of no size
}

// A money bar may reach beyond the window; its text must start where the subject can see it.
TEST(Scaling, ABarReachingBeyondTheWindowShowsItsVisiblePart) {
    EXPECT_EQ(visiblePart({-115, 550, 1090, 200}, 1920, 1080), (PixelRect{0, 550, 975, 200}));
    EXPECT_EQ(visiblePart({975, 550, 1200, 200}, 1920, 1080), (PixelRect{975, 550, 945, 200}));
    EXPECT_EQ(visiblePart({100, 50, 1750, 600}, 1920, 1080), (PixelRect{100, 50, 1750, 600}));
    EXPECT_EQ(visiblePart({-300, 50, 100, 600}, 1920, 1080), (PixelRect{0, 50, 0, 600}));
}

// The three colour groups and the label surfaces: dark blue takes white text, the others black.
TEST(Scaling, TextOnABarTakesTheColourThatReadsBetter) {
    EXPECT_TRUE(wantsLightText(0xE80000));  // blue 232
    EXPECT_FALSE(wantsLightText(0x7100FB)); // red 251, blue 113
    EXPECT_FALSE(wantsLightText(0x25FEF9)); // yellow
    EXPECT_FALSE(wantsLightText(0xFFFFFF));
    EXPECT_TRUE(wantsLightText(0x000000));
}

} // namespace
} // namespace tovask::ui
