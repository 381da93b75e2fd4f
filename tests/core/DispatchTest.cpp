// The stage tests of a Continue click run in a fixed order, each on the stage as it stands when
// it is made: only stage 5 hands over to a later test (stage 3) within the same click.
#include "tests/support/Run.h"

#include <gtest/gtest.h>

namespace tovask::test {
namespace {

const std::vector<std::string> kFourProblems{"1,1,11,10,1,1,1", "2,2,12,10,1,1,1",
                                             "3,3,13,10,1,1,1", "4,4,21,12,2,1,1"};

TEST(Dispatch, StageZeroClickDoesNoneOfStageOnesWork) {
    Session run(kFourProblems);
    run.click();
    EXPECT_EQ(run.x.Stage, 1);
    EXPECT_EQ(run.x.Instructions.caption(), "");
    EXPECT_FALSE(run.x.ReadInstructionsTimer.enabled());
    EXPECT_TRUE(run.x.Continue.enabled());
    EXPECT_EQ(run.x.Continue.caption(), W(18));
    EXPECT_TRUE(run.x.TARVlogo.visible());
    EXPECT_EQ(run.x.KeyArmed, 0);
}

TEST(Dispatch, StageFourClickNeverReachesStageThree) {
    Session run(kFourProblems);
    run.release();
    run.present();
    run.waitOut();
    ASSERT_EQ(run.x.Stage, 4);
    run.click();
    EXPECT_EQ(run.x.Stage, 5);
    EXPECT_EQ(run.x.pn, 1);
    EXPECT_EQ(run.x.form.caption(), W(17));
    EXPECT_EQ(run.x.Continue.caption(), W(16));
    EXPECT_TRUE(run.x.Continue.enabled());
    EXPECT_FALSE(run.x.WaitTimer.enabled());
    EXPECT_FALSE(run.x.AllocationSlider.visible());
    EXPECT_FALSE(run.x.rev[2].has_value());
}

TEST(Dispatch, StageFiveClickPresentsTheNextProblemAndStaysInStageThree) {
    Session run(kFourProblems);
    run.release();
    for (int p = 1; p <= 3; ++p) {
        run.present();
        run.confirm();
    }
    ASSERT_EQ(run.x.Stage, 5);
    ASSERT_EQ(run.x.pn, 3);
    run.click();
    EXPECT_EQ(run.x.Stage, 3);
    EXPECT_EQ(run.x.pn, 4);
    EXPECT_EQ(run.x.form.caption(), W(11) + "4.");
    EXPECT_EQ(run.x.Continue.caption(), W(15));
    EXPECT_FALSE(run.x.Continue.enabled());
    EXPECT_TRUE(run.x.WaitTimer.enabled());
    EXPECT_TRUE(run.x.AllocationSlider.visible());
    EXPECT_EQ(run.x.AllocationOne.caption(), "6.00" + W(5) + Name(1));
    EXPECT_EQ(*run.x.all[4], 6);
}

TEST(Dispatch, StageNineClicksAndKeysChangeNothing) {
    Session run(kFourProblems);
    run.playOut("2");
    ASSERT_EQ(run.x.Stage, 9);
    const std::string before = snapshot(run.x);
    for (int i = 0; i < 3; ++i)
        run.click();
    for (std::int16_t code : {kCtrlC, std::int16_t{13}, std::int16_t{99}}) {
        std::int16_t key = code;
        run.x.Continue.keyPress(key);
        EXPECT_EQ(key, code);
    }
    EXPECT_EQ(snapshot(run.x), before);
    EXPECT_TRUE(run.services.messages.empty());
}

} // namespace
} // namespace tovask::test
