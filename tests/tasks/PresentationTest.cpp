// A click in stage 3 (or 5) puts the next problem on the screen: instruction text, bars and
// their texts, the slider in the middle, and the waiting time.
#include "tests/support/Run.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace tovask::test {
namespace {

// Side one takes rate 1.5, side two rate 0.75; a group that takes no part has rate 9, so a
// wrong group shows at once.
struct TypeCase {
    int type;
    const char* rates;
    int one;        // the group of side one
    int twoA, twoB; // side two in colour order (one group twice for the single types)
};

const TypeCase kTypes[] = {
    {11, "9,1.5,0.75", 2, 3, 3},    {12, "1.5,9,0.75", 1, 3, 3},    {13, "1.5,0.75,9", 1, 2, 2},
    {21, "1.5,0.75,0.75", 1, 2, 3}, {22, "0.75,1.5,0.75", 2, 1, 3}, {23, "0.75,0.75,1.5", 3, 1, 2},
};

// Eight problems of one type, amounts 10 and 16 in turn (MaxAmount 16): enough for the fixed
// random sequence to put side one on both sides and to order a pair both ways.
TEST(Presentation, EachTypeShowsItsGroupsRatesAndBarsOnBothSides) {
    for (const TypeCase& t : kTypes) {
        SCOPED_TRACE("type " + std::to_string(t.type));
        const bool pair = t.twoA != t.twoB;
        std::vector<std::string> problems;
        for (int p = 1; p <= 8; ++p)
            problems.push_back(std::to_string(p) + "," + std::to_string(40 + p) + "," +
                               std::to_string(t.type) + "," + (p % 2 ? "10" : "16") + "," +
                               t.rates);
        Session run(problems);
        run.release();
        std::set<std::pair<int, int>> seen;
        for (int p = 1; p <= 8; ++p) {
            SCOPED_TRACE("problem " + std::to_string(p));
            run.present();
            const Experiment& x = run.x;
            ASSERT_EQ(x.pn, p);
            ASSERT_TRUE(x.rev[p].has_value() && x.inv[p].has_value());
            const int rev = *x.rev[p];
            const int inv = *x.inv[p];
            ASSERT_TRUE(rev == 0 || rev == 1);
            ASSERT_TRUE(inv == 0 || inv == 1);
            seen.insert({rev, inv});
            const bool oneLeft = rev == 0;
            // inv orders the pair; for a single group both bars are that group.
            const int first = inv == 0 ? t.twoA : t.twoB;
            const int second = inv == 0 ? t.twoB : t.twoA;
            const bool small = p % 2 == 1;

            const std::string sideTwoName =
                pair ? Name(t.twoA) + W(19) + Name(t.twoB) : Name(t.twoA);
            EXPECT_EQ(x.Instructions.caption(), W(22) + (small ? "10" : "16") + W(23) + W(24) +
                                                    Name(t.one) + W(25) + "1.5." + W(24) +
                                                    sideTwoName + W(25) + "0.75." + W(26));
            EXPECT_TRUE(x.Instructions.visible());
            EXPECT_EQ(x.form.caption(), W(11) + std::to_string(p) + ".");

            const double s = 0.5 * kBarLength * (small ? 10 : 16) / 16;
            ExpectBars(x, s, s, s * 1.5, s * 0.75, oneLeft);
            EXPECT_EQ(x.AllocationOne.backColor(), kColour[t.one]);
            EXPECT_EQ(x.MoneyOne.backColor(), kColour[t.one]);
            EXPECT_EQ(x.AllocationTwoOne.backColor(), kColour[first]);
            EXPECT_EQ(x.MoneyTwoOne.backColor(), kColour[first]);
            EXPECT_EQ(x.AllocationTwoTwo.backColor(), kColour[second]);
            EXPECT_EQ(x.MoneyTwoTwo.backColor(), kColour[second]);

            const std::string units = small ? "5.00" : "8.00";
            const std::string moneyOne = W(6) + (small ? "7.50" : "12.00") + W(27) + Name(t.one);
            const std::string moneyTwo = W(6) + (small ? "3.75" : "6.00") + W(27) + Name(second);
            EXPECT_EQ(x.AllocationOne.caption(), units + W(5) + Name(t.one));
            EXPECT_EQ(x.AllocationTwoOne.caption(), pair ? W(19) + Name(first) : " ");
            EXPECT_EQ(x.AllocationTwoTwo.caption(), units + W(5) + Name(second));
            EXPECT_EQ(x.MoneyOne.caption(), moneyOne);
            EXPECT_EQ(x.MoneyTwoOne.caption(), pair ? W(19) + Name(first) : "");
            EXPECT_EQ(x.MoneyTwoTwo.caption(), moneyTwo);
            EXPECT_EQ(x.SummaryOne.caption(), moneyOne);
            // A pair side reads: the money of the second member, word 19, the first's name.
            EXPECT_EQ(x.SummaryTwo.caption(), pair ? moneyTwo + W(19) + Name(first) : moneyTwo);
            EXPECT_TRUE(x.SummaryOne.visible());
            EXPECT_TRUE(x.SummaryTwo.visible());
            EXPECT_FLOAT_EQ(x.SummaryOne.left(), oneLeft ? 3500 : 9750);
            EXPECT_FLOAT_EQ(x.SummaryTwo.left(), oneLeft ? 9750 : 3500);
            EXPECT_FLOAT_EQ(x.SummaryOne.width(), 6250);

            EXPECT_TRUE(x.AllocationSlider.visible());
            EXPECT_EQ(x.AllocationSlider.max(), 1000);
            EXPECT_EQ(x.AllocationSlider.value(), 500);
            EXPECT_EQ(x.AllocationSlider.min(), 0);
            EXPECT_EQ(x.all[p], 0.5 * (small ? 10 : 16));
            EXPECT_EQ(x.Continue.caption(), W(15));
            EXPECT_FALSE(x.Continue.enabled());
            EXPECT_TRUE(x.WaitTimer.enabled());
            EXPECT_EQ(x.Stage, 3);
            EXPECT_FALSE(x.AllocationInstructions.visible());
            EXPECT_TRUE(run.services.messages.empty());
            run.confirm();
        }
        EXPECT_EQ(seen.size(), 4u) << "the random sequence no longer covers every placement";
    }
}

// Rule A at presentation: two fixed decimals, hundredths padded, and hundredths that round to
// 100 carried into the whole part. The instruction shows the amount's own shortest text.
TEST(Presentation, AmountsAreShownWithTwoFixedDecimals) {
    struct Case {
        const char* amount;
        const char* half;
    };
    const Case cases[] = {{"3.3", "1.65"},   {"0.1", "0.05"},  {"8.14", "4.07"}, {"5.998", "3.00"},
                          {"20.2", "10.10"}, {"14.5", "7.25"}, {"24", "12.00"},  {"5", "2.50"},
                          {"0", "0.00"},     {"1.999", "1.00"}};
    std::vector<std::string> problems;
    for (const Case& c : cases)
        problems.push_back(std::to_string(problems.size() + 1) + ",1,11," + c.amount + ",1,1,0.1");
    Session run(problems);
    run.release();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amount);
        run.present();
        EXPECT_EQ(run.x.AllocationOne.caption(), c.half + W(5) + Name(2));
        EXPECT_EQ(run.x.MoneyOne.caption(), W(6) + c.half + W(27) + Name(2));
        EXPECT_EQ(run.x.Instructions.caption(), W(22) + c.amount + W(23) + W(24) + Name(2) + W(25) +
                                                    "1." + W(24) + Name(3) + W(25) + "0.1." +
                                                    W(26));
        run.confirm();
    }
}

// A bar for x units is x * BarLength / MaxAmount wide; MaxAmount is the largest amount rounded
// (12.4 gives 12), so that problem's bars reach a little beyond half the bar length.
TEST(Presentation, BarsAreScaledByTheLargestAmount) {
    Session run({"1,1,13,12,1,2,1", "2,1,13,3,1,2,1", "3,1,13,12.4,1,2,1"});
    run.release();
    for (const double amount : {12.0, 3.0, 12.4}) {
        SCOPED_TRACE(amount);
        run.present();
        EXPECT_EQ(run.x.MaxAmount, 12);
        const bool oneLeft = *run.x.rev[run.x.pn] == 0;
        ExpectBar(run.x.AllocationOne, 0.5 * 8750 * amount / 12, oneLeft);
        ExpectBar(run.x.MoneyTwoTwo, 0.5 * 8750 * amount / 12 * 2, !oneLeft);
        run.confirm();
    }
}

// A pair whose two rates differ: the message, then the problem with side two at the rate of
// its lower-numbered member.
TEST(Presentation, UnequalPairRatesAreReportedAndTheLowerMemberPays) {
    struct Case {
        int type;
        const char* rates;
        double rateTwo;
        const char* moneyTwo; // 5 units at rateTwo, Rule A
    };
    for (const Case& c : {Case{21, "1,1,2", 1, "5.00"}, Case{22, "0.5,1,3", 0.5, "2.50"},
                          Case{23, "0.25,4,1", 0.25, "1.25"}}) {
        SCOPED_TRACE(c.type);
        Session run({"1,1," + std::to_string(c.type) + ",10," + c.rates, "2,1,11,10,1,1,1"});
        run.release();
        run.present();
        ASSERT_EQ(run.services.messages.size(), 1u);
        EXPECT_EQ(run.services.messages[0],
                  (std::pair<std::string, std::string>{"tovask", "Error in data in problem 1"}));
        EXPECT_FLOAT_EQ(run.x.MoneyTwoTwo.width(), static_cast<float>(4375 * c.rateTwo));
        EXPECT_FLOAT_EQ(run.x.MoneyTwoOne.width(), static_cast<float>(4375 * c.rateTwo));
        EXPECT_EQ(run.x.MoneyTwoTwo.caption().substr(0, W(6).size() + 4), W(6) + c.moneyTwo);
        EXPECT_EQ(run.x.Stage, 3);
        EXPECT_TRUE(run.x.AllocationSlider.visible());
        run.confirm();
        run.present();
        EXPECT_EQ(run.services.messages.size(), 1u); // a good problem raises nothing
    }
}

// Setting the slider back to the middle raises its change handling inside the stage-3 click,
// with the new problem's amount but the previous problem's rates. Stage 3 sets every caption,
// width, place and font size again, so the new problem shows nothing of the previous one.
TEST(Presentation, ANewProblemShowsNothingOfThePreviousOne) {
    Session run({"1,1,11,16,9,1.5,0.75", "2,2,12,8,3,9,0.25", "3,3,13,16,1,1,1"});
    run.release();
    run.present();
    const Experiment& x = run.x;
    // The first problem: the nested change ran with rates of 0, yet the money texts are sized
    // by their own bars (4375 x 1.5 and x 0.75 twips).
    EXPECT_FLOAT_EQ(x.MoneyOne.fontSize(), 24.0f);
    EXPECT_FLOAT_EQ(x.MoneyTwoTwo.fontSize(), 13.125f);
    run.giveSideOne(200);
    run.confirm();
    ASSERT_NE(run.x.AllocationSlider.value(), 500);

    run.present();
    ASSERT_EQ(x.pn, 2);
    // Problem 2 at the middle: 2187.5 twips of units, money at rates 3 and 0.25.
    ExpectFontSizes(x, 8.75f, 8.75f, 24.0f, 2.1875f);
    const bool oneLeft = *x.rev[2] == 0;
    ExpectBar(x.AllocationOne, 2187.5, oneLeft);
    ExpectBar(x.MoneyOne, 6562.5, oneLeft);
    ExpectBar(x.MoneyTwoTwo, 546.875, !oneLeft);
    EXPECT_EQ(x.AllocationOne.caption(), "4.00" + W(5) + Name(1));
    EXPECT_EQ(x.MoneyOne.caption(), W(6) + "12.00" + W(27) + Name(1));
    EXPECT_EQ(x.MoneyTwoTwo.caption(), W(6) + "1.00" + W(27) + Name(3));
    EXPECT_EQ(x.SummaryTwo.caption(), x.MoneyTwoTwo.caption());
    EXPECT_EQ(x.all[2], 4);
    EXPECT_DOUBLE_EQ(*x.all[1], 0.2 * 16); // the answer to problem 1 is untouched
    run.confirm();

    // Already at the middle: nothing is raised, and still the bars have their final widths,
    // places and font sizes.
    run.present();
    ASSERT_EQ(x.pn, 3);
    const bool threeLeft = *x.rev[3] == 0;
    ExpectBar(x.AllocationOne, 4375, threeLeft);
    ExpectBar(x.AllocationTwoTwo, 4375, !threeLeft);
    ExpectBar(x.MoneyTwoOne, 4375, !threeLeft);
    for (const ui::Label* l : {&x.AllocationOne, &x.AllocationTwoOne, &x.AllocationTwoTwo,
                               &x.MoneyOne, &x.MoneyTwoOne, &x.MoneyTwoTwo})
        EXPECT_FLOAT_EQ(l->fontSize(), 17.5f) << l->name();
    EXPECT_EQ(x.all[3], 8);
}

} // namespace
} // namespace tovask::test
