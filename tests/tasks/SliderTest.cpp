// The slider's change handling: bars, texts, font sizes and the answer follow the slider.
#include "tests/support/Run.h"

#include <gtest/gtest.h>

#include <set>

namespace tovask::test {
namespace {

std::vector<std::string> Repeat(const std::string& problem, int count) {
    std::vector<std::string> problems;
    for (int p = 1; p <= count; ++p)
        problems.push_back(std::to_string(p) + "," + problem);
    return problems;
}

// Type 21, a = MaxAmount = 10, side one at rate 1.5, the pair at 2. Each problem is taken to
// both ends of the slider; the fixed random sequence puts side one left in some problems and
// right in others.
TEST(Slider, BothEndsGiveEverythingToTheSideDrawnThere) {
    Session run(Repeat("1,21,10,1.5,2,2", 4));
    run.release();
    std::set<int> revs;
    for (int p = 1; p <= 4; ++p) {
        SCOPED_TRACE("problem " + std::to_string(p));
        run.present();
        const Experiment& x = run.x;
        const bool oneLeft = *x.rev[p] == 0;
        revs.insert(*x.rev[p]);
        const int first = *x.inv[p] == 0 ? 2 : 3;
        const int second = 5 - first;

        for (const int value : {0, 1000}) {
            SCOPED_TRACE("value " + std::to_string(value));
            run.x.AllocationSlider.setValue(value);
            // Moving the slider to the right grows the side drawn on the right.
            const bool sideOneAll = (value == 0) == oneLeft;
            const double w1 = sideOneAll ? 8750 : 0;
            const double w2 = sideOneAll ? 0 : 8750;
            EXPECT_EQ(x.all[p], sideOneAll ? 10 : 0);
            ExpectBars(x, w1, w2, w1 * 1.5, w2 * 2, oneLeft);
            // A bar of zero width stands on the centre line.
            for (const ui::Label* l :
                 {&x.AllocationOne, &x.AllocationTwoTwo, &x.MoneyOne, &x.MoneyTwoTwo})
                if (l->width() == 0) {
                    EXPECT_FLOAT_EQ(l->left(), kCentre) << l->name();
                }

            EXPECT_EQ(x.AllocationOne.caption(), (sideOneAll ? "10" : "0") + W(5) + Name(1));
            EXPECT_EQ(x.AllocationTwoTwo.caption(),
                      (sideOneAll ? "0" : "10") + W(5) + Name(second));
            const std::string moneyOne = W(6) + (sideOneAll ? "15" : "0") + W(27) + Name(1);
            const std::string moneyTwo = W(6) + (sideOneAll ? "0" : "20") + W(27) + Name(second);
            EXPECT_EQ(x.MoneyOne.caption(), moneyOne);
            EXPECT_EQ(x.MoneyTwoTwo.caption(), moneyTwo);
            EXPECT_EQ(x.SummaryOne.caption(), moneyOne);
            EXPECT_EQ(x.SummaryTwo.caption(), moneyTwo + W(19) + Name(first));
            // What the slider leaves alone.
            EXPECT_EQ(x.AllocationTwoOne.caption(), W(19) + Name(first));
            EXPECT_EQ(x.MoneyTwoOne.caption(), W(19) + Name(first));
            EXPECT_EQ(x.AllocationOne.backColor(), kColour[1]);
            EXPECT_EQ(x.AllocationTwoOne.backColor(), kColour[first]);
            EXPECT_EQ(x.MoneyTwoTwo.backColor(), kColour[second]);
            EXPECT_TRUE(x.AllocationTwoTwo.visible());
            EXPECT_EQ(x.Stage, 3);
            // 8750 twips ask for 35 points, cut back to 24; the money bars are wider still.
            const ui::Label& full = sideOneAll ? x.AllocationOne : x.AllocationTwoTwo;
            EXPECT_FLOAT_EQ(full.fontSize(), 24);
            EXPECT_FLOAT_EQ((sideOneAll ? x.MoneyOne : x.MoneyTwoOne).fontSize(), 24);
            if (!sideOneAll) {
                EXPECT_FLOAT_EQ(x.AllocationTwoOne.fontSize(), 24);
            }
        }
        run.x.AllocationSlider.setValue(500);
        EXPECT_EQ(x.all[p], 5);
        EXPECT_EQ(x.AllocationOne.caption(), "5" + W(5) + Name(1));
        EXPECT_EQ(x.MoneyTwoTwo.caption(), W(6) + "10" + W(27) + Name(second));
        ExpectBar(x.AllocationOne, 4375, oneLeft);
        ExpectBar(x.MoneyTwoOne, 8750, !oneLeft);
        run.confirm();
    }
    EXPECT_EQ(revs, (std::set<int>{0, 1}));
}

// a = 1 with 125 thousandths for side one: 0.125 units shown as 0.12 (halves to even) and
// recorded unrounded; side two's 0.875 shows as 0.88.
TEST(Slider, UnitsAreRoundedForTheScreenOnly) {
    Session run({"1,1,11,1,9,1,2", "2,1,11,1,9,1,2", "3,1,11,8,9,1,2"});
    run.release();
    std::set<int> revs;
    for (int p = 1; p <= 2; ++p) {
        SCOPED_TRACE("problem " + std::to_string(p));
        run.present();
        run.giveSideOne(125);
        const Experiment& x = run.x;
        const bool oneLeft = *x.rev[p] == 0;
        revs.insert(*x.rev[p]);
        EXPECT_EQ(x.all[p], 0.125);
        EXPECT_EQ(x.AllocationOne.caption(), "0.12" + W(5) + Name(2));
        EXPECT_EQ(x.AllocationTwoTwo.caption(), "0.88" + W(5) + Name(3));
        EXPECT_EQ(x.MoneyOne.caption(), W(6) + "0.12" + W(27) + Name(2));
        EXPECT_EQ(x.MoneyTwoTwo.caption(), W(6) + "1.75" + W(27) + Name(3));
        EXPECT_EQ(x.SummaryTwo.caption(), x.MoneyTwoTwo.caption());
        EXPECT_EQ(x.MoneyTwoOne.caption(), "");
        EXPECT_EQ(x.AllocationTwoOne.caption(), " ");
        ExpectBar(x.AllocationOne, 0.125 * 8750 / 8, oneLeft);
        ExpectBar(x.AllocationTwoOne, 0.875 * 8750 / 8, !oneLeft);
        ExpectBar(x.MoneyTwoTwo, 0.875 * 2 * 8750 / 8, !oneLeft);
        run.confirm();
    }
    EXPECT_EQ(revs, (std::set<int>{0, 1}));
}

// The font of a bar is 0.004 points per twip of its width: 1000 twips give 4 points.
TEST(Slider, FontSizesFollowTheBarWidths) {
    // a = 4 of MaxAmount 7 with 200 thousandths for side one: 1000 twips; side two 4000.
    Session run({"1,1,12,4,1,9,0.5", "2,1,12,4,1,9,0.5", "3,1,12,7,1,9,1"});
    run.release();
    for (int p = 1; p <= 2; ++p) {
        SCOPED_TRACE("problem " + std::to_string(p));
        run.present();
        run.giveSideOne(200);
        const Experiment& x = run.x;
        EXPECT_FLOAT_EQ(x.AllocationOne.width(), 1000);
        EXPECT_FLOAT_EQ(x.AllocationTwoTwo.width(), 4000);
        ExpectFontSizes(x, 4, 16, 4, 8);
        // The whole amount to side one: 5000 twips, 20 points.
        run.giveSideOne(1000);
        EXPECT_FLOAT_EQ(x.AllocationOne.width(), 5000);
        EXPECT_FLOAT_EQ(x.AllocationOne.fontSize(), 20);
        run.confirm();
    }
}

} // namespace
} // namespace tovask::test
