// The window as the load leaves it, and the moves of stage 0 and stage 2.
#include "tests/support/Run.h"

#include <gtest/gtest.h>

namespace tovask::test {
namespace {

struct Place {
    const char* name;
    float left, top, width, height;
};

void ExpectPlaces(const Experiment& x, std::initializer_list<Place> places) {
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        const ui::Control* c = x.form.find(p.name);
        ASSERT_NE(c, nullptr);
        EXPECT_FLOAT_EQ(c->left(), p.left);
        EXPECT_FLOAT_EQ(c->top(), p.top);
        EXPECT_FLOAT_EQ(c->width(), p.width);
        EXPECT_FLOAT_EQ(c->height(), p.height);
    }
}

class AfterLoad : public ::testing::Test {
protected:
    Session run{{"1,14,11,10,1,1,1"}};
    Experiment& x = run.x;
};

TEST_F(AfterLoad, ControlsStandAtTheirPlaces) {
    ExpectPlaces(x, {
                        // The parameter frame, and the playing-out frame centred over it.
                        {"Parameters", 8125, 1500, 2750, 6015},
                        {"PlayingOutFrame", 7812.5, 1500, 3375, 1455},
                        {"Continue", 8125, 8200, 2750, 495},
                        // Units bars: side one full height, side two's two bars half each.
                        {"AllocationOne", 360, 3000, 735, 2000},
                        {"AllocationTwoOne", 1440, 4000, 735, 1000},
                        {"AllocationTwoTwo", 1440, 3000, 735, 1000},
                        // Money bars: MoneyTwoTwo overlaps MoneyTwoOne by ten twips.
                        {"MoneyOne", 2520, 5500, 735, 2000},
                        {"MoneyTwoOne", 3600, 6500, 735, 1000},
                        {"MoneyTwoTwo", 3600, 5500, 735, 1010},
                        {"AllocationSlider", 5375, 8000, 8750, 400},
                        {"Instructions", 1000, 500, 17500, 6000},
                        {"SummaryOne", 2880, 8600, 6250, 500},
                        {"SummaryTwo", 4320, 8600, 6250, 500},
                        // The controls the load does not move keep their designed places.
                        {"TARVlogo", 4080, 7800, 7455, 2415},
                        {"TaskFrame", 120, 360, 2400, 855},
                        {"TaskNumber", 120, 240, 2200, 420},
                        {"TimeToWaitFrame", 120, 2280, 1935, 855},
                        {"TimeToWait", 120, 360, 1695, 495},
                        {"SubjectNumberFrame", 120, 1320, 1935, 855},
                        {"SubjectNumber", 120, 240, 1695, 420},
                        {"InputDataFileFrame", 120, 240, 1935, 855},
                        {"InputDataFile", 120, 240, 1695, 405},
                        {"LanguageFrame", 120, 4080, 1935, 855},
                        {"Language", 120, 240, 1695, 420},
                        {"TreatmentFrame", 120, 5040, 1935, 855},
                        {"TreatmentVal", 120, 240, 1695, 420},
                        {"ReadTimeFrame", 120, 3240, 1935, 735},
                        {"ReadTimeInput", 120, 240, 1695, 405},
                        {"AllocationInstructions", 480, 1800, 1455, 375},
                    });
    EXPECT_FLOAT_EQ(x.form.width(), 18135);
    EXPECT_FLOAT_EQ(x.form.height(), 10845);
    EXPECT_FLOAT_EQ(x.PlayingOutFrame.width() - x.Parameters.width(), 625);
    EXPECT_FLOAT_EQ(x.Parameters.left() - x.PlayingOutFrame.left(), 312.5);
    // The slider's middle lies on the centre line of the bars.
    EXPECT_FLOAT_EQ(x.AllocationSlider.left() + x.AllocationSlider.width() / 2, kCentre);
    EXPECT_DOUBLE_EQ(x.BarCentre, kCentre);
    EXPECT_DOUBLE_EQ(x.BarLength, kBarLength);
    EXPECT_DOUBLE_EQ(Experiment::kBarCentre, x.BarCentre);
    EXPECT_DOUBLE_EQ(Experiment::kBarLength, x.BarLength);
}

TEST_F(AfterLoad, ShowsTheParameterScreen) {
    EXPECT_EQ(x.Stage, 0);
    EXPECT_EQ(x.KeyArmed, 0);
    EXPECT_EQ(x.form.caption(), "Experiment");
    EXPECT_TRUE(x.Parameters.shown());
    EXPECT_FALSE(x.TARVlogo.visible());
    EXPECT_FALSE(x.PlayingOutFrame.visible());
    EXPECT_FALSE(x.Instructions.visible());
    EXPECT_FALSE(x.AllocationSlider.visible());
    EXPECT_TRUE(x.SummaryOne.visible());
    EXPECT_EQ(x.SummaryOne.caption(), "");
    EXPECT_FALSE(x.SummaryTwo.visible());
    for (const ui::Label* l : {&x.AllocationOne, &x.AllocationTwoOne, &x.AllocationTwoTwo,
                               &x.MoneyOne, &x.MoneyTwoOne, &x.MoneyTwoTwo})
        EXPECT_FALSE(l->visible()) << l->name();
    EXPECT_FALSE(x.WaitTimer.enabled());
    EXPECT_FALSE(x.ReadInstructionsTimer.enabled());
    EXPECT_EQ(x.WaitTimer.interval(), 1000);
    EXPECT_EQ(x.ReadInstructionsTimer.interval(), 1000);
    EXPECT_EQ(x.Continue.caption(), " Continue");
    EXPECT_TRUE(x.Continue.enabled());
}

TEST_F(AfterLoad, ParameterInputsHoldTheirStartValues) {
    EXPECT_EQ(x.SubjectNumber.text(), "1");
    EXPECT_FALSE(x.SubjectNumber.enabled());
    EXPECT_EQ(x.InputDataFile.text(), "01");
    EXPECT_EQ(x.Language.text(), "English");
    EXPECT_EQ(x.Language.items(), (std::vector<std::string>{"English", "Italian"}));
    EXPECT_EQ(x.TreatmentVal.text(), "3");
    EXPECT_EQ(x.TreatmentVal.items(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(x.TaskNumber.text(), "1");
    EXPECT_TRUE(x.TaskNumber.items().empty());
    EXPECT_EQ(x.PlayingOutFrame.caption(), "Playing out time");
    EXPECT_EQ(x.TaskFrame.caption(), "Enter the task number");
    EXPECT_EQ(x.MaxFontSize, 24);
    EXPECT_EQ(x.Colour[1], 0x7100FBu);
    EXPECT_EQ(x.Colour[2], 0x25FEF9u);
    EXPECT_EQ(x.Colour[3], 0xE80000u);
}

TEST_F(AfterLoad, StageZeroMovesLogoAndContinueUnderTheSlider) {
    run.click();
    ASSERT_EQ(x.Stage, 1);
    ExpectPlaces(x, {
                        {"Continue", 5375, 9000, 8750, 495},
                        {"TARVlogo", 5937.5, 4000, 7455, 2415},
                    });
    EXPECT_TRUE(x.TARVlogo.visible());
    EXPECT_FALSE(x.Parameters.visible());
    EXPECT_TRUE(x.Instructions.visible());
    EXPECT_EQ(x.Instructions.caption(), "");
}

TEST_F(AfterLoad, StageTwoGivesTheInstructionsTheTopBand) {
    run.release();
    ASSERT_EQ(x.Stage, 3);
    ExpectPlaces(x, {{"Instructions", 1000, 500, 17500, 2000}});
    EXPECT_FALSE(x.Instructions.visible());
}

// What the data checker predicts of the bars is where the slider takes them: the whole amount
// on side one, then on side two, of a single side, a pair side, and an amount above the
// largest amount as a whole number (20.4 against 20).
TEST(BarReach, IsWhereTheSliderTakesTheBars) {
    Session run({"1,1,11,10,1,0.5,3", "2,2,21,8,1,2.5,2.5", "3,3,13,20.4,1,1.5,0.25"});
    ThrowOnError stop;
    const ProblemList list = readProblemFile(run.services.programFolder() / "data" / "inp01.001",
                                             stop, [](int, const Location&) {});
    run.release();
    for (int p = 1; p <= list.count; ++p) {
        SCOPED_TRACE(p);
        run.present();
        const auto reach = Experiment::barReach(list.problems[p], list.maxAmount);
        run.giveSideOne(1000);
        EXPECT_FLOAT_EQ(run.x.AllocationOne.width(), static_cast<float>(reach.unitsOne));
        EXPECT_FLOAT_EQ(run.x.MoneyOne.width(), static_cast<float>(reach.moneyOne));
        run.giveSideOne(0);
        EXPECT_FLOAT_EQ(run.x.AllocationTwoTwo.width(), static_cast<float>(reach.unitsTwo));
        EXPECT_FLOAT_EQ(run.x.MoneyTwoOne.width(), static_cast<float>(reach.moneyTwo));
        run.confirm();
    }
}

} // namespace
} // namespace tovask::test
