// The session as the console sees it in the files of a data folder: the rows of the plan's PCs
// and of the runs found, the stage of each run as its log and its sign of life tell it, the
// warnings, the releases it writes and the plan it writes.
#include "files/OperatingSystem.h"
#include "files/SessionPlan.h"
#include "tests/console/LabFiles.h"
#include "tests/support/ProgramFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using console::Phase;
using console::RunRow;
using console::Session;

class ConsoleSession : public ::testing::Test {
protected:
    // The console looks at the folder now, and a second later again (as it does, a few times a
    // second), so that what it saw appear it also sees go on.
    std::vector<RunRow> look(Session& session) {
        session.poll(clock.now, clock.wall);
        return session.rows(clock.now);
    }
    static const RunRow& rowOf(const std::vector<RunRow>& rows, const std::string& pc) {
        const auto row =
            std::find_if(rows.begin(), rows.end(), [&](const RunRow& r) { return r.pc == pc; });
        if (row == rows.end())
            throw std::runtime_error("no row of " + pc);
        return *row;
    }
    void writePlan(const std::string& text) {
        writeFileAtomically(sessionPlanPath(folder.data()), text);
    }

    ProgramFolder folder{"tovask-console-test"};
    ConsoleClock clock;
};

TEST_F(ConsoleSession, ThePlansPcsAreRowsBeforeAnyRunStarts) {
    writePlan("pc,input_data_file,language,treatment,time_to_wait,reading_time\r\n"
              "PC10,10,English,1,3,10\r\nPC2,02,Italian,2,5,20\r\n");
    Session session({folder.data()});
    const auto rows = look(session);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].pc, "PC10"); // in the plan's order
    EXPECT_EQ(rows[1].pc, "PC2");
    EXPECT_EQ(rows[1].inputDataFile, "02");
    EXPECT_EQ(rows[1].language, "Italian");
    EXPECT_EQ(rows[1].stageText, "not started");
    EXPECT_EQ(rows[1].phase, Phase::NotStarted);
    EXPECT_FALSE(rows[1].stage);
    EXPECT_TRUE(rows[1].resultsFile.empty());
}

TEST_F(ConsoleSession, ARunIsShownAtEachStageAsItsLogAndItsSignOfLifeTellIt) {
    writePlan("pc,input_data_file,language,treatment,time_to_wait,reading_time\r\n"
              "PC01,01,English,1,3,10\r\n");
    Session session({folder.data()});
    LabRun run(folder.data(), "01", "PC01");
    const struct {
        const char* what;
        std::function<void()> act;
        Phase phase;
        std::string stageText;
        int stage;
        int waitingAt;
    } steps[] = {
        {"started", [&] { run.start(3); }, Phase::Instructions,
         "files read, instructions not yet opened", 1, 0},
        {"reading", [&] { run.beat(11, 0, 8); }, Phase::Reading, "reading, 8 s left", 11, 0},
        {"the reading time counts down on the console's clock", [] {}, Phase::Reading,
         "reading, 7 s left", 11, 0},
        {"at the first hold point", [&] { run.beat(11, 1); }, Phase::HoldOne,
         "waiting at hold point 1", 11, 1},
        {"released: the log tells it before the next beat", [&] { run.released(1, true); },
         Phase::Problems, "released, closing the instructions", 2, 0},
        {"a problem shown", [&] { run.shown(); }, Phase::Problems, "problem 1 of 3", 3, 0},
        {"its waiting time over", [&] { run.beat(4, 0); }, Phase::Problems, "problem 1 of 3", 4, 0},
        {"answered", [&] { run.answered("5", 4000); }, Phase::Problems, "problem 1 of 3 answered",
         5, 0},
        {"the last problem answered",
         [&] {
             run.shown();
             run.answered("4", 6000);
             run.shown();
             run.answered("3", 2000);
         },
         Phase::Problems, "all 3 problems answered", 6, 0},
        {"the results file could not be written", [&] { run.resultsFailed(); }, Phase::Problems,
         "all 3 problems answered", 6, 0},
        {"the results file written: at the second hold point", [&] { run.resultsWritten(); },
         Phase::HoldTwo, "results written, waiting at hold point 2", 6, 2},
        {"released", [&] { run.released(2, false); }, Phase::PlayingOut,
         "released, about to choose the problem to pay", 7, 0},
        {"the problem to pay being chosen", [&] { run.beat(8, 0); }, Phase::PlayingOut,
         "choosing the problem to pay", 8, 0},
        {"played out",
         [&] {
             run.playedOut(2, "units_one=4 units_two=6 money_one=4 money_two=12");
             run.end();
         },
         Phase::PlayedOut, "played out", 9, 0},
    };
    for (const auto& step : steps) {
        step.act();
        const RunRow row = rowOf(look(session), "PC01");
        EXPECT_EQ(row.phase, step.phase) << step.what;
        EXPECT_EQ(row.stageText, step.stageText) << step.what;
        EXPECT_EQ(row.stage, step.stage) << step.what;
        EXPECT_EQ(row.waitingAt, step.waitingAt) << step.what;
        EXPECT_EQ(row.resultsFile, "out01.001") << step.what;
        const bool failed = std::string(step.what) == "the results file could not be written";
        EXPECT_EQ(row.warnings,
                  failed ? std::vector<std::string>{"the results file could not be written"}
                         : std::vector<std::string>{})
            << step.what;
        clock.advance(1s);
        run.advance(1s);
    }
    const RunRow done = rowOf(look(session), "PC01");
    EXPECT_EQ(done.problems, 3);
    EXPECT_EQ(done.answered, 3);
    EXPECT_EQ(done.medianDecisionMs, 4000);
    EXPECT_EQ(done.language, "English");
}

TEST_F(ConsoleSession, ASubjectThinkingIsToldFromAPcThatStopped) {
    Session session({folder.data()});
    LabRun thinking(folder.data(), "01", "PC01"), stopped(folder.data(), "02", "PC02");
    thinking.start(3);
    stopped.start(3);
    thinking.shown();
    stopped.shown();
    look(session);
    // Beats every 5 s from the one PC, none from the other: silent once 15 s have passed.
    for (int s = 1; s <= 16; ++s) {
        clock.advance(1s);
        if (s % 5 == 0)
            thinking.beat(3, 0);
        const auto rows = look(session);
        EXPECT_EQ(rowOf(rows, "PC01").warnings, std::vector<std::string>{}) << s;
        EXPECT_EQ(rowOf(rows, "PC02").warnings,
                  s > 15 ? std::vector<std::string>{"silent for 16 s"} : std::vector<std::string>{})
            << s;
        EXPECT_EQ(rowOf(rows, "PC02").secondsSinceAlive, s);
    }
    // A message box pauses the beats: that is said instead.
    stopped.beat(3, 0, 0, true);
    clock.advance(20s);
    EXPECT_EQ(rowOf(look(session), "PC02").warnings,
              std::vector<std::string>{"a message is open on this PC"});
}

TEST_F(ConsoleSession, ARunOfThisComputerWhoseProcessIsGoneBrokeOff) {
    Session session({folder.data()});
    LabRun alive(folder.data(), "01", "PC01"), killed(folder.data(), "02", "PC02"),
        elsewhere(folder.data(), "03", "PC03");
    alive.machine = killed.machine = os::machineId();
    alive.process = os::processId();
    alive.processStart = os::processStart(os::processId()).mark;
    killed.process = 999'999'999; // no process has that number
    for (LabRun* run : {&alive, &killed, &elsewhere})
        run->start(3);
    const auto rows = look(session);
    EXPECT_EQ(rowOf(rows, "PC01").phase, Phase::Instructions);
    EXPECT_EQ(rowOf(rows, "PC02").phase, Phase::BrokeOff);
    EXPECT_EQ(rowOf(rows, "PC02").stageText, "broke off (files read, instructions not yet opened)");
    EXPECT_EQ(rowOf(rows, "PC02").warnings,
              std::vector<std::string>{"broke off, no results file: run tovask-recover"});
    EXPECT_EQ(rowOf(rows, "PC03").phase, Phase::Instructions); // another PC's process: not known
}

TEST_F(ConsoleSession, ALogWithoutALockOrAnEndBrokeOffOnceTheLockHasBeenGoneAWhile) {
    Session session({folder.data()});
    LabRun run(folder.data(), "01", "PC01");
    run.start(3);
    run.shown();
    look(session);
    run.end(); // the lock and the sign of life are gone, the log has no end
    EXPECT_EQ(rowOf(look(session), "PC01").phase, Phase::Problems);
    clock.advance(2s);
    EXPECT_EQ(rowOf(look(session), "PC01").phase, Phase::BrokeOff);
}

TEST_F(ConsoleSession, AReleaseIsWrittenForEachRunWaitingAtTheHoldPointAndNoOther) {
    Session session({folder.data()});
    LabRun waiting(folder.data(), "01", "PC01"), reading(folder.data(), "02", "PC02"),
        atTwo(folder.data(), "03", "PC03");
    for (LabRun* run : {&waiting, &reading, &atTwo})
        run->start(1);
    waiting.beat(11, 1);
    reading.beat(11, 0, 5);
    atTwo.released(1, false);
    atTwo.shown();
    atTwo.answered("5", 1000);
    atTwo.resultsWritten();
    look(session);

    const Session::Released all = session.release(1, std::nullopt, clock.now);
    EXPECT_EQ(all.released, std::vector<std::string>{"out01.001"});
    EXPECT_TRUE(all.notReleased.empty());
    // The request names the run by the start its lock holds.
    const auto request = parseReleaseRequest(
        readFileBytes(releaseRequestPath(waiting.results()), reading::kReleaseRequest));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->started, "2024-03-05T14:00:00.000+01:00");
    EXPECT_EQ(request->hold, 1);
    EXPECT_FALSE(fs::exists(releaseRequestPath(reading.results())));
    EXPECT_TRUE(rowOf(look(session), "PC01").releaseSent);

    const Session::Released chosen = session.release(
        2, std::vector<std::string>{"out02.001", "out03.001", "out09.001"}, clock.now);
    EXPECT_EQ(chosen.released, std::vector<std::string>{"out03.001"});
    EXPECT_EQ(chosen.notReleased,
              (std::vector<std::pair<std::string, std::string>>{
                  {"out09.001", "no such run"}, {"out02.001", "not waiting at hold point 2"}}));
}

TEST_F(ConsoleSession, ThePlanIsWrittenIntoEveryDataFolderOnlyWhenEveryRowIsRight) {
    ProgramFolder other{"tovask-console-test"};
    for (const fs::path& data : {folder.data(), other.data()})
        writeFileAtomically(data / "inp01.001", "1\r\n");
    Session session({folder.data(), other.data()});
    const std::vector<PlanRow> wrong = {{0, "PC01", "01", "English", "1", "3", "10"},
                                        {0, "PC02", "01", "Klingon", "1", "0", "10"}};
    EXPECT_EQ(session.writePlan(wrong),
              (std::vector<std::string>{
                  "session.csv:3:3: the language \"Klingon\" has no word file: English or Italian",
                  "session.csv:3:5: \"0\" is not a whole number of seconds from 1 to 32767"}));
    EXPECT_FALSE(fs::exists(sessionPlanPath(folder.data())));

    const std::vector<PlanRow> right = {{0, "PC01", "01", "English", "1", "3", "10"},
                                        {0, "PC02", "02", "Italian", "2", "5", "20"}};
    EXPECT_EQ(session.writePlan(right), std::vector<std::string>{});
    for (const fs::path& data : {folder.data(), other.data()})
        EXPECT_EQ(readFileBytes(sessionPlanPath(data), reading::kSessionPlan),
                  sessionPlanText(right));
    EXPECT_EQ(session.plan().rows.size(), 2u);
}

TEST_F(ConsoleSession, APlannedPcWhoseFilesAnotherPcUsesIsWarned) {
    writePlan("pc,input_data_file,language,treatment,time_to_wait,reading_time\r\n"
              "PC05,07,English,1,3,10\r\nPC03,03,English,1,3,10\r\n");
    Session session({folder.data()});
    LabRun run(folder.data(), "07", "PC03");
    run.start(3);
    const auto rows = look(session);
    EXPECT_EQ(rowOf(rows, "PC05").warnings,
              std::vector<std::string>{"the files are in use by another run (PC03)"});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].inputDataFile, "07");
    EXPECT_EQ(rows[2].warnings,
              std::vector<std::string>{"the plan gives this PC the input data file 03"});
}

TEST_F(ConsoleSession, ALogStillBeingWrittenIsReadUpToItsLastWholeLine) {
    Session session({folder.data()});
    LabRun run(folder.data(), "01", "PC01");
    run.start(3);
    run.shown();
    std::ofstream(runLogPath(run.results()), std::ios::app | std::ios::binary)
        << "2024-03-05T14:00:05.000+01:00,5000,4,problem_answ";
    const RunRow row = rowOf(look(session), "PC01");
    EXPECT_EQ(row.stageText, "problem 1 of 3");
    EXPECT_EQ(row.warnings, std::vector<std::string>{});
}

} // namespace
} // namespace tovask::test
