// Stage 4 takes a problem off the screen, stage 5 shows the next one, stage 6 writes the
// results file.
#include "tests/support/Run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

const std::string kHeader =
    "pn orig(pn) pt(pn) a(pn) e(1,pn) e(2,pn) e(3,pn) rev(pn) inv(pn) all(pn)\r\n";

// Names in data/ that start with the prefix, the run log (".log") aside.
std::vector<std::string> DataFiles(const Session& run, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(run.services.programFolder() / "data")) {
        const std::string name = entry.path().filename().string();
        const bool log = name.size() >= 4 && name.compare(name.size() - 4, 4, ".log") == 0;
        if (name.rfind(prefix, 0) == 0 && !log)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StageFour, OneProblemLeadsStraightToTheEnd) {
    Session run({"1,1,11,10,1,1,1"});
    run.release();
    run.present();
    run.giveSideOne(300);
    run.confirm();
    const Experiment& x = run.x;
    EXPECT_EQ(x.Stage, 6);
    EXPECT_EQ(x.form.caption(), W(21));
    EXPECT_EQ(x.Continue.caption(), W(16));
    EXPECT_TRUE(x.Continue.enabled());
    EXPECT_FALSE(x.Instructions.visible());
    EXPECT_FALSE(x.AllocationSlider.visible());
    for (const ui::Label* l :
         {&x.AllocationOne, &x.AllocationTwoOne, &x.AllocationTwoTwo, &x.MoneyOne, &x.MoneyTwoOne,
          &x.MoneyTwoTwo, &x.SummaryOne, &x.SummaryTwo})
        EXPECT_FALSE(l->visible()) << l->name();
    // Hidden, not cleared.
    EXPECT_EQ(x.AllocationOne.caption(), "3" + W(5) + Name(2));
    EXPECT_TRUE(DataFiles(run, "out").empty());

    run.click();
    EXPECT_EQ(x.Stage, 6);
    EXPECT_EQ(x.KeyArmed, 1);
    EXPECT_EQ(x.form.caption(), W(20));
    EXPECT_EQ(x.Continue.caption(), W(3));
    EXPECT_TRUE(x.Continue.enabled());
    EXPECT_EQ(DataFiles(run, "out"), (std::vector<std::string>{"out01.001"}));
}

TEST(StageFour, CaptionsAfterEachOfThreeProblems) {
    Session run({"1,1,11,10,1,1,1", "2,1,12,10,1,1,1", "3,1,13,10,1,1,1"});
    run.release();
    const std::string captions[] = {W(17), W(17), W(21)};
    const int stages[] = {5, 5, 6};
    for (int p = 1; p <= 3; ++p) {
        SCOPED_TRACE(p);
        run.present();
        EXPECT_EQ(run.x.pn, p);
        run.confirm();
        EXPECT_EQ(run.x.form.caption(), captions[p - 1]);
        EXPECT_EQ(run.x.Stage, stages[p - 1]);
        EXPECT_EQ(run.x.Continue.caption(), W(16));
    }
}

// The waiting time is read from the parameter screen for every problem; an edit while a problem
// is shown counts from the next one.
TEST(StageFive, TimeToWaitEditedBetweenProblemsIsTakenUpAtTheNext) {
    Session run({"1,1,11,10,1,1,1", "2,1,12,10,1,1,1", "3,1,13,10,1,1,1"});
    run.x.TimeToWait.setText("3");
    run.release();
    const auto ticksToEnd = [&run] {
        int ticks = 0;
        while (run.x.WaitTimer.enabled() && ticks < 100) {
            run.x.WaitTimer.tick();
            ++ticks;
        }
        return ticks;
    };
    run.present();
    run.x.TimeToWait.setText("5");
    EXPECT_EQ(ticksToEnd(), 3);
    run.click();
    run.present();
    EXPECT_EQ(ticksToEnd(), 5);
    run.click();
    run.x.TimeToWait.setText("2");
    run.present();
    EXPECT_EQ(ticksToEnd(), 2);
    EXPECT_EQ(run.x.Stage, 4);
}

TEST(StageFive, AnUnusableTimeToWaitIsRefusedUntilCorrected) {
    Session run({"1,1,11,10,1,1,1", "2,1,12,10,1,1,1"});
    run.release();
    run.present();
    run.confirm();
    ASSERT_EQ(run.x.Stage, 5);
    run.x.TimeToWait.setText("0");
    run.click();
    ASSERT_EQ(run.services.messages.size(), 1u);
    EXPECT_EQ(run.services.messages[0].first, "tovask");
    EXPECT_NE(run.services.messages[0].second.find("\"0\""), std::string::npos);
    EXPECT_EQ(run.x.pn, 1);
    EXPECT_FALSE(run.x.AllocationSlider.visible());
    EXPECT_FALSE(run.x.rev[2].has_value());
    EXPECT_TRUE(run.x.Continue.enabled());

    run.x.TimeToWait.setText("1");
    run.click();
    EXPECT_EQ(run.x.pn, 2);
    EXPECT_EQ(run.x.Stage, 3);
    EXPECT_TRUE(run.x.AllocationSlider.visible());
    EXPECT_EQ(run.services.messages.size(), 1u);
}

// The results file as an analysis script reads it. The random draws are read off the screen:
// side one left of the centre line is rev 0; the group of a pair's first bar gives inv.
class ResultsFile : public ::testing::Test {
protected:
    Session run{{"1,14,21,10,1,1.5,1.5", "2,3,12,7.5,2.5,0,10", "3,7,23,1,0.1,0.1,3"}};
    std::string revInv[4];

    void answer() {
        run.release();
        // Problem 1: the subject moves the slider after the waiting time, before confirming.
        run.present();
        seen(1, 2);
        run.waitOut();
        run.giveSideOne(750);
        run.click();
        // Problem 2: left in the middle.
        run.present();
        seen(2, 0);
        run.confirm();
        // Problem 3: a third.
        run.present();
        seen(3, 1);
        run.giveSideOne(333);
        run.confirm();
        ASSERT_EQ(run.x.Stage, 6);
    }
    // pairFirstWhenInv0: the group of the first bar of side two with inv 0; 0 for a single
    // group, whose inv is not on the screen.
    void seen(int p, int pairFirstWhenInv0) {
        const Experiment& x = run.x;
        const bool oneLeft = x.AllocationOne.left() < kCentre;
        const int inv =
            pairFirstWhenInv0 == 0
                ? x.inv[p].value_or(-1)
                : (x.AllocationTwoOne.backColor() == kColour[pairFirstWhenInv0] ? 0 : 1);
        revInv[p] = std::string(oneLeft ? "0" : "1") + " " + std::to_string(inv);
    }
    std::string expected() const {
        return kHeader + "1 14 21 10 1 1.5 1.5 " + revInv[1] + " 7.5\r\n" + "2 3 12 7.5 2.5 0 10 " +
               revInv[2] + " 3.75\r\n" + "3 7 23 1 0.1 0.1 3 " + revInv[3] + " 0.333\r\n";
    }
};

TEST_F(ResultsFile, HoldsAHeaderAndOneLinePerProblem) {
    answer();
    run.click();
    EXPECT_EQ(run.services.readData("out01.001"), expected());
    EXPECT_TRUE(run.services.messages.empty());
}

TEST_F(ResultsFile, ASecondClickWritesTheSameFileAgain) {
    answer();
    run.click();
    const std::string first = run.services.readData("out01.001");
    run.click();
    EXPECT_EQ(run.x.Stage, 6);
    EXPECT_EQ(run.services.readData("out01.001"), first);
    EXPECT_EQ(first, expected());
    // The run's own file is not kept as an earlier one.
    EXPECT_EQ(DataFiles(run, "out"), (std::vector<std::string>{"out01.001"}));
}

TEST_F(ResultsFile, AnEarlierRunsFileIsKeptUnderANewName) {
    const std::string earlier = kHeader + "1 14 21 10 1 1.5 1.5 0 0 1\r\n";
    run.services.writeData("out01.001", earlier);
    answer();
    run.click();
    run.click();
    EXPECT_EQ(run.services.readData("out01.001"), expected());
    const auto files = DataFiles(run, "out01.001");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], "out01.001");
    EXPECT_NE(files[1].find(".earlier-"), std::string::npos) << files[1];
    EXPECT_EQ(run.services.readData(files[1]), earlier);
}

// A results file that cannot be written: the run stays in stage 6 with the key unarmed, and
// once the obstacle is gone the next click writes the whole file.
TEST_F(ResultsFile, AFailedWriteIsReportedAndTheNextClickTriesAgain) {
    const fs::path obstacle = run.services.programFolder() / "data" / "out01.001";
    fs::create_directory(obstacle);
    run.services.writeData("out01.001/inside", "x");
    answer();
    run.click();
    ASSERT_EQ(run.services.messages.size(), 1u);
    EXPECT_EQ(run.services.messages[0].first, "tovask");
    EXPECT_NE(run.services.messages[0].second.find("out01.001"), std::string::npos)
        << run.services.messages[0].second;
    EXPECT_EQ(run.x.Stage, 6);
    EXPECT_EQ(run.x.KeyArmed, 0);
    EXPECT_EQ(run.x.form.caption(), W(21));
    run.key(kCtrlC);
    EXPECT_EQ(run.x.Stage, 6);
    EXPECT_TRUE(fs::is_directory(obstacle));
    EXPECT_EQ(DataFiles(run, "out"), (std::vector<std::string>{"out01.001"}));

    fs::remove_all(obstacle);
    run.click();
    EXPECT_EQ(run.services.messages.size(), 1u);
    EXPECT_EQ(run.services.readData("out01.001"), expected());
    EXPECT_EQ(run.x.KeyArmed, 1);
    EXPECT_EQ(run.x.form.caption(), W(20));
    run.key(kCtrlC);
    EXPECT_EQ(run.x.Stage, 7);
}

TEST(ResultsFileName, FollowsTheDataFileText) {
    Session run({"1,1,11,10,1,1,1"});
    run.services.writeData("inpA7.001", problemFile({"1,5,13,4,1,1,1"}));
    run.x.InputDataFile.setText("A7");
    run.writeResults();
    EXPECT_EQ(DataFiles(run, "out"), (std::vector<std::string>{"outA7.001"}));
    EXPECT_EQ(run.services.readData("outA7.001").substr(kHeader.size(), 14), "1 5 13 4 1 1 1");
}

} // namespace
} // namespace tovask::test
