// The reading and waiting countdowns, and the experimenter key on Continue.
#include "tests/support/Run.h"

#include <gtest/gtest.h>

namespace tovask::test {
namespace {

const std::vector<std::string> kTwoProblems{"1,1,11,10,1,1,1", "2,1,12,10,1,1,1"};

// Stage 11 with the reading time started.
void StartReading(Session& run, const std::string& seconds) {
    run.x.ReadTimeInput.setText(seconds);
    run.click();
    run.click();
    ASSERT_EQ(run.x.Stage, 11);
}

TEST(ReadingTime, TwoSecondsShowWordNineThenWordTen) {
    Session run(kTwoProblems);
    StartReading(run, "2");
    EXPECT_EQ(run.x.form.caption(), W(36));
    EXPECT_EQ(run.x.Continue.caption(), W(32));
    run.x.ReadInstructionsTimer.tick();
    EXPECT_EQ(run.x.form.caption(), W(9));
    EXPECT_FALSE(run.x.Continue.enabled());
    EXPECT_TRUE(run.x.ReadInstructionsTimer.enabled());
    run.x.ReadInstructionsTimer.tick();
    EXPECT_EQ(run.x.form.caption(), W(10));
    EXPECT_EQ(run.x.Continue.caption(), W(3));
    EXPECT_TRUE(run.x.Continue.enabled());
    EXPECT_EQ(run.x.KeyArmed, 1);
    EXPECT_FALSE(run.x.ReadInstructionsTimer.enabled());
    EXPECT_EQ(run.x.Stage, 11);
    // A stopped timer ticks no more.
    const std::string before = snapshot(run.x);
    run.x.ReadInstructionsTimer.tick();
    EXPECT_EQ(snapshot(run.x), before);
}

TEST(ReadingTime, CountsDownTheSecondsStillToGo) {
    Session run(kTwoProblems);
    StartReading(run, "10");
    std::vector<std::string> captions;
    while (run.x.ReadInstructionsTimer.enabled() && captions.size() < 20) {
        run.x.ReadInstructionsTimer.tick();
        captions.push_back(run.x.form.caption());
    }
    std::vector<std::string> expected;
    for (int left = 9; left >= 2; --left)
        expected.push_back(W(7) + std::to_string(left) + W(8));
    expected.push_back(W(9));
    expected.push_back(W(10));
    EXPECT_EQ(captions, expected);
    EXPECT_TRUE(run.x.Continue.enabled());
}

TEST(ReadingTime, OneSecondEndsAtTheFirstTick) {
    Session run(kTwoProblems);
    StartReading(run, "1");
    run.x.ReadInstructionsTimer.tick();
    EXPECT_EQ(run.x.form.caption(), W(10));
    EXPECT_TRUE(run.x.Continue.enabled());
    EXPECT_FALSE(run.x.ReadInstructionsTimer.enabled());
}

TEST(WaitingTime, ThreeSecondsCountDownOnTheButton) {
    Session run(kTwoProblems);
    run.x.TimeToWait.setText("3");
    run.release();
    run.present();
    EXPECT_EQ(run.x.Continue.caption(), W(15));
    EXPECT_EQ(run.x.WaitLeft, 3);
    run.x.WaitTimer.tick();
    EXPECT_EQ(run.x.Continue.caption(), W(12) + "2" + W(8));
    EXPECT_FALSE(run.x.Continue.enabled());
    run.x.WaitTimer.tick();
    EXPECT_EQ(run.x.Continue.caption(), W(13));
    EXPECT_EQ(run.x.Stage, 3);
    run.x.WaitTimer.tick();
    EXPECT_EQ(run.x.Continue.caption(), W(14));
    EXPECT_TRUE(run.x.Continue.enabled());
    EXPECT_EQ(run.x.Stage, 4);
    EXPECT_FALSE(run.x.WaitTimer.enabled());
    // The window caption is the problem's throughout.
    EXPECT_EQ(run.x.form.caption(), W(11) + "1.");
}

// A click on the disabled button while the waiting time runs does nothing.
TEST(WaitingTime, TheButtonTakesNoClickWhileWaiting) {
    Session run(kTwoProblems);
    run.x.TimeToWait.setText("2");
    run.release();
    run.present();
    const std::string before = snapshot(run.x);
    run.click();
    EXPECT_EQ(snapshot(run.x), before);
    run.x.WaitTimer.tick();
    run.click();
    EXPECT_EQ(run.x.pn, 1);
    EXPECT_EQ(run.x.Stage, 3);
}

// At a hold point with the key armed: any other key changes nothing and keeps its code; Ctrl+C
// releases the run to `stage` with the button's caption `button` (the title stays `title`),
// keeps its code too, and a second Ctrl+C changes nothing.
void ExpectRelease(Session& run, std::int16_t stage, const std::string& button,
                   const std::string& title) {
    ASSERT_EQ(run.x.KeyArmed, 1);
    for (const std::int16_t other :
         {std::int16_t{99}, std::int16_t{22}, std::int16_t{13}, std::int16_t{67}, kCtrlC}) {
        SCOPED_TRACE(other);
        const std::string before = snapshot(run.x);
        std::int16_t code = other;
        run.x.Continue.keyPress(code);
        EXPECT_EQ(code, other);
        if (other != kCtrlC) {
            EXPECT_EQ(snapshot(run.x), before);
        }
    }
    EXPECT_EQ(run.x.Stage, stage);
    EXPECT_EQ(run.x.KeyArmed, 0);
    EXPECT_EQ(run.x.Continue.caption(), button);
    EXPECT_EQ(run.x.form.caption(), title);
    const std::string before = snapshot(run.x);
    run.key(kCtrlC);
    EXPECT_EQ(snapshot(run.x), before);
}

// Ctrl+C (3) releases the run only in stage 11 and stage 6, and only while armed; no key is
// swallowed.
TEST(ExperimenterKey, ReleasesTheInstructionsOnceTheReadingTimeIsOver) {
    Session run(kTwoProblems);
    StartReading(run, "2");
    // The button is disabled while the reading time runs, so the key does not reach it.
    run.key(kCtrlC);
    EXPECT_EQ(run.x.Stage, 11);
    run.x.ReadInstructionsTimer.tick();
    run.x.ReadInstructionsTimer.tick();
    ExpectRelease(run, 2, W(33), W(10));
}

TEST(ExperimenterKey, ReleasesThePlayingOutAfterTheResultsAreWritten) {
    Session run(kTwoProblems);
    run.answerAll();
    ASSERT_EQ(run.x.Stage, 6);
    // Before the stage-6 click the key is not armed.
    run.key(kCtrlC);
    EXPECT_EQ(run.x.Stage, 6);
    run.click();
    ExpectRelease(run, 7, W(30), W(20));
}

// The key acts on the stage, not on being armed alone.
TEST(ExperimenterKey, DoesNothingInOtherStagesEvenWhenArmed) {
    Session run(kTwoProblems);
    run.release();
    run.present();
    run.waitOut();
    ASSERT_EQ(run.x.Stage, 4);
    run.x.KeyArmed = 1;
    const std::string before = snapshot(run.x);
    run.key(kCtrlC);
    EXPECT_EQ(snapshot(run.x), before);

    run.click();
    ASSERT_EQ(run.x.Stage, 5);
    const std::string between = snapshot(run.x);
    run.key(kCtrlC);
    EXPECT_EQ(snapshot(run.x), between);
}

} // namespace
} // namespace tovask::test
