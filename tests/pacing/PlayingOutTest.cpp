// Stage 7 shows the task-number frame; stage 8 shows the chosen task with the subject's division
// and the money of each side; stage 9 is the end.
#include "tests/support/Run.h"

#include <gtest/gtest.h>

#include <set>

namespace tovask::test {
namespace {

TEST(StageSeven, ShowsTheTaskNumberFrame) {
    Session run({"1,1,11,10,1,1,1", "2,1,11,10,1,1,1"});
    run.writeResults();
    run.key(kCtrlC);
    ASSERT_EQ(run.x.Stage, 7);
    EXPECT_FALSE(run.x.PlayingOutFrame.visible());
    run.click();
    EXPECT_EQ(run.x.Stage, 8);
    EXPECT_TRUE(run.x.TaskNumber.shown());
    EXPECT_EQ(run.x.PlayingOutFrame.caption(), W(35));
    EXPECT_EQ(run.x.TaskFrame.caption(), W(34));
    EXPECT_EQ(run.x.TaskNumber.items(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(run.x.TaskNumber.text(), "1");
    EXPECT_EQ(run.x.Continue.caption(), W(29));
    EXPECT_EQ(run.x.form.caption(), W(20));
}

// Type 11, a = 10 (MaxAmount 10), all = 4, e(2) = 1.5, e(3) = 2: 4 units to group 2 worth 6,
// 6 units to group 3 worth 12. Played out once from a problem with side one left and once from
// one with side one right.
TEST(StageEight, PlaysOutTheSubjectsDivisionOnEitherSide) {
    std::set<int> revs;
    for (const int task : {1, 2}) {
        SCOPED_TRACE("task " + std::to_string(task));
        Session run({"1,1,11,10,9,1.5,2", "2,1,11,10,9,1.5,2", "3,1,13,5,1,1,1"});
        run.playOut(std::to_string(task), {400, 400, -1});
        const Experiment& x = run.x;
        ASSERT_EQ(x.Stage, 9);
        ASSERT_EQ(x.all[task], 4);
        const bool oneLeft = *x.rev[task] == 0;
        revs.insert(*x.rev[task]);

        EXPECT_EQ(x.AllocationOne.caption(), "4" + W(5) + Name(2));
        EXPECT_EQ(x.AllocationTwoOne.caption(), " ");
        EXPECT_EQ(x.AllocationTwoTwo.caption(), "6" + W(5) + Name(3));
        EXPECT_EQ(x.MoneyOne.caption(), W(6) + "6" + W(27) + Name(2));
        EXPECT_EQ(x.MoneyTwoOne.caption(), "");
        EXPECT_EQ(x.MoneyTwoTwo.caption(), W(6) + "12" + W(27) + Name(3));
        EXPECT_EQ(x.SummaryOne.caption(), x.MoneyOne.caption());
        EXPECT_EQ(x.SummaryTwo.caption(), x.MoneyTwoTwo.caption());
        ExpectBars(x, 3500, 5250, 5250, 10500, oneLeft);
        EXPECT_EQ(x.AllocationOne.backColor(), kColour[2]);
        EXPECT_EQ(x.MoneyOne.backColor(), kColour[2]);
        EXPECT_EQ(x.AllocationTwoOne.backColor(), kColour[3]);
        EXPECT_EQ(x.MoneyTwoTwo.backColor(), kColour[3]);
        EXPECT_TRUE(x.SummaryOne.visible());
        EXPECT_TRUE(x.SummaryTwo.visible());
        EXPECT_FLOAT_EQ(x.SummaryOne.left(), oneLeft ? 3500 : 9750);
        EXPECT_FLOAT_EQ(x.SummaryTwo.left(), oneLeft ? 9750 : 3500);
        EXPECT_FALSE(x.AllocationSlider.visible());
        EXPECT_FALSE(x.PlayingOutFrame.visible());
        EXPECT_EQ(x.Continue.caption(), W(31));
        EXPECT_EQ(x.form.caption(), W(20));
        EXPECT_EQ(x.pn, task);
        EXPECT_TRUE(run.services.messages.empty());
    }
    EXPECT_EQ(revs, (std::set<int>{0, 1}));
}

// With the task number left at 1, problem 1 is played out although problem 3 was shown last;
// its 2.5 units are written 2.5 (stage 3 wrote 2.50).
TEST(StageEight, TaskNumberLeftAtOnePlaysOutProblemOne) {
    Session run({"1,1,13,5,1,1,1", "2,1,12,8,2,1,3", "3,1,11,6,1,1,1"});
    run.toTaskNumber();
    EXPECT_EQ(run.x.AllocationOne.caption(), "3.00" + W(5) + Name(2)); // problem 3's, hidden
    run.click();
    ASSERT_EQ(run.x.Stage, 9);
    EXPECT_EQ(run.x.AllocationOne.caption(), "2.5" + W(5) + Name(1));
    EXPECT_EQ(run.x.AllocationTwoTwo.caption(), "2.5" + W(5) + Name(2));
    EXPECT_EQ(run.x.MoneyOne.caption(), W(6) + "2.5" + W(27) + Name(1));
    EXPECT_EQ(run.x.MoneyTwoTwo.caption(), W(6) + "2.5" + W(27) + Name(2));
    EXPECT_FLOAT_EQ(run.x.AllocationOne.width(), static_cast<float>(2.5 * 8750 / 8));
}

// Type 22: group 2 is side one, the pair 1 and 3 side two at e(1). The summary of side two reads
// the money of the second member, word 19, the first member's name; inv orders the pair.
TEST(StageEight, APairSideNamesBothMembers) {
    std::set<int> invs;
    for (const int task : {1, 2}) {
        SCOPED_TRACE("task " + std::to_string(task));
        Session run({"1,1,22,10,0.5,3,0.5", "2,1,22,10,0.5,3,0.5"});
        run.playOut(std::to_string(task), {700, 700});
        const Experiment& x = run.x;
        ASSERT_EQ(x.Stage, 9);
        const int inv = *x.inv[task];
        invs.insert(inv);
        const int first = inv == 0 ? 1 : 3;
        const int second = inv == 0 ? 3 : 1;
        const bool oneLeft = *x.rev[task] == 0;
        EXPECT_EQ(x.AllocationOne.caption(), "7" + W(5) + Name(2));
        EXPECT_EQ(x.MoneyOne.caption(), W(6) + "21" + W(27) + Name(2));
        EXPECT_EQ(x.AllocationTwoOne.caption(), W(19) + Name(first));
        EXPECT_EQ(x.AllocationTwoTwo.caption(), "3" + W(5) + Name(second));
        EXPECT_EQ(x.MoneyTwoOne.caption(), W(19) + Name(first));
        EXPECT_EQ(x.MoneyTwoTwo.caption(), W(6) + "1.5" + W(27) + Name(second));
        EXPECT_EQ(x.SummaryTwo.caption(),
                  W(6) + "1.5" + W(27) + Name(second) + W(19) + Name(first));
        EXPECT_EQ(x.AllocationTwoOne.backColor(), kColour[first]);
        EXPECT_EQ(x.AllocationTwoTwo.backColor(), kColour[second]);
        EXPECT_EQ(x.MoneyTwoOne.backColor(), kColour[first]);
        EXPECT_EQ(x.MoneyTwoTwo.backColor(), kColour[second]);
        ExpectBar(x.AllocationTwoOne, 2625, !oneLeft);
        ExpectBar(x.AllocationTwoTwo, 2625, !oneLeft);
        ExpectBar(x.MoneyOne, 18375, oneLeft);
        ExpectBar(x.MoneyTwoTwo, 1312.5, !oneLeft);
    }
    EXPECT_EQ(invs, (std::set<int>{0, 1}));
}

TEST(StageEight, UnequalPairRatesAreReportedAgainWhenPlayedOut) {
    Session run({"1,1,21,10,1,1,2", "2,1,11,10,1,1,1"});
    run.toTaskNumber();
    ASSERT_EQ(run.services.messages.size(), 1u); // at presentation
    run.click();
    ASSERT_EQ(run.services.messages.size(), 2u);
    EXPECT_EQ(run.services.messages[1],
              (std::pair<std::string, std::string>{"tovask", "Error in data in problem 1"}));
    ASSERT_EQ(run.x.Stage, 9);
    // Side two at e(2) = 1, the lower-numbered member's rate.
    EXPECT_EQ(run.x.MoneyTwoTwo.caption().substr(0, W(6).size() + 2), W(6) + "5<");
    EXPECT_FLOAT_EQ(run.x.MoneyTwoTwo.width(), 4375);
}

// a(pn) = 12.5 (MaxAmount 12) divided in the middle: 6.25 units each side, each paid at its own
// rate, bars x * BarLength / MaxAmount wide.
TEST(StageEight, AFractionalAmountIsShownAsDivided) {
    Session run({"1,1,11,12.5,9,2,0.5"});
    run.playOut("1");
    const Experiment& x = run.x;
    ASSERT_EQ(x.Stage, 9);
    ASSERT_EQ(x.all[1], 6.25);
    const bool oneLeft = *x.rev[1] == 0;
    EXPECT_EQ(x.AllocationOne.caption(), "6.25" + W(5) + Name(2));
    EXPECT_EQ(x.AllocationTwoTwo.caption(), "6.25" + W(5) + Name(3));
    EXPECT_EQ(x.MoneyOne.caption(), W(6) + "12.5" + W(27) + Name(2));
    EXPECT_EQ(x.MoneyTwoTwo.caption(), W(6) + "3.12" + W(27) + Name(3));
    ExpectBar(x.AllocationOne, 6.25 * 8750 / 12, oneLeft);
    ExpectBar(x.AllocationTwoTwo, 6.25 * 8750 / 12, !oneLeft);
    ExpectBar(x.MoneyOne, 6.25 * 2 * 8750 / 12, oneLeft);
    ExpectBar(x.MoneyTwoOne, 6.25 * 0.5 * 8750 / 12, !oneLeft);
}

// The played-out task's texts are sized by its own bars, whatever the last problem left: here
// the last problem ends with every unit on one side, so its other bars asked for tiny fonts.
TEST(StageEight, TheTextsAreSizedByThePlayedOutBars) {
    Session run({"1,1,11,10,9,1,2", "2,1,13,10,1,1,1"});
    run.playOut("1", {500, 0});
    const Experiment& x = run.x;
    ASSERT_EQ(x.Stage, 9);
    // 5 units a side of 10: 4375 twips of units (17.5 points), money at rates 1 and 2.
    EXPECT_FLOAT_EQ(x.AllocationOne.fontSize(), 17.5f);
    EXPECT_FLOAT_EQ(x.AllocationTwoOne.fontSize(), 17.5f);
    EXPECT_FLOAT_EQ(x.AllocationTwoTwo.fontSize(), 17.5f);
    EXPECT_FLOAT_EQ(x.MoneyOne.fontSize(), 17.5f);
    EXPECT_FLOAT_EQ(x.MoneyTwoTwo.fontSize(), 24.0f); // 8750 twips ask for 35, capped
}

// A number that is no task of the list is refused; the frame stays for a new entry.
TEST(StageEight, RefusesANumberThatIsNoTask) {
    Session run({"1,1,11,10,1,1,1", "2,1,12,10,1,1,1", "3,1,13,10,1,1,1"});
    run.toTaskNumber();
    for (const char* text : {"abc", "", "0", "0.4", "-1", "4", "3.5", "101", "1000", "2x"}) {
        SCOPED_TRACE(text);
        run.services.messages.clear();
        run.x.TaskNumber.setText(text);
        const std::string before = snapshot(run.x);
        run.click();
        ASSERT_EQ(run.services.messages.size(), 1u);
        EXPECT_EQ(run.services.messages[0].first, "tovask");
        EXPECT_NE(run.services.messages[0].second.find(std::string("\"") + text + "\""),
                  std::string::npos)
            << run.services.messages[0].second;
        EXPECT_EQ(snapshot(run.x), before);
        EXPECT_EQ(run.x.Stage, 8);
        EXPECT_TRUE(run.x.PlayingOutFrame.visible());
    }
    run.services.messages.clear();
    run.x.TaskNumber.setText("2");
    run.click();
    EXPECT_EQ(run.x.Stage, 9);
    EXPECT_EQ(run.x.pn, 2);
    EXPECT_EQ(run.x.AllocationOne.caption(), "5" + W(5) + Name(1));
    EXPECT_TRUE(run.services.messages.empty());
}

TEST(StageNine, FurtherClicksChangeNothing) {
    Session run({"1,1,11,10,1,1,1", "2,1,12,10,1,1,1"});
    run.playOut("2", {100, 900});
    ASSERT_EQ(run.x.Stage, 9);
    const std::string before = snapshot(run.x);
    run.x.TaskNumber.setText("1");
    run.x.Continue_Click();
    run.click();
    run.key(kCtrlC);
    run.x.TaskNumber.setText("2");
    EXPECT_EQ(snapshot(run.x), before);
    EXPECT_TRUE(run.services.messages.empty());
}

} // namespace
} // namespace tovask::test
