// Rebuilding results from a run log: what is rebuilt, what is refused, what is left out, and
// where the rebuilt file goes.
#include "base/Failure.h"
#include "files/RunLog.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TestServices.h"
#include "tools/recover/Recovery.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;
using recover::recoverLog;

const std::string kProblems = "2\r\n"
                              "1,14,11,10,1,0.5,2\r\n"
                              "2,3,21,8,1,1.5,1.5\r\n";

const std::string kHeader = std::string(RunLog::kHeader) + "\n";
const std::string kParameters = "t,0,0,parameter,,01,data_file_text\n"
                                "t,0,0,parameter,,1,subject_number\n"
                                "t,0,0,parameter,,2,problem_count\n";
const std::string kShownOne =
    "t,5,3,problem_shown,1,,rev=1 inv=0 pt=11 orig=14 a=10 e1=1 e2=0.5 e3=2\n";
const std::string kAnsweredOne = "t,9,4,problem_answered,1,3.7000000000000002,moves=1\n";
const std::string kShownTwo =
    "t,12,3,problem_shown,2,,rev=0 inv=1 pt=21 orig=3 a=8 e1=1 e2=1.5 e3=1.5\n";

class Recover : public ::testing::Test {
protected:
    Recover() { services.writeData("inp01.001", kProblems); }
    fs::path writeLog(const std::string& text) const {
        services.writeData("out01.001.log", text);
        return services.programFolder() / "data" / "out01.001.log";
    }
    std::string refusal(const std::string& log) const {
        try {
            recoverLog(writeLog(log));
        } catch (const Failure& failure) {
            return failure.what();
        }
        return "(not refused)";
    }
    TestServices services;
};

TEST_F(Recover, RebuildsTheLinesOfTheAnsweredProblemsOnly) {
    const auto recovery = recoverLog(writeLog(kHeader + kParameters + kShownOne + kAnsweredOne +
                                              kShownTwo + "t,13,3,slider,2,200,all=1.6\n"));
    EXPECT_EQ(recovery.recovered.results,
              "pn orig(pn) pt(pn) a(pn) e(1,pn) e(2,pn) e(3,pn) rev(pn) inv(pn) all(pn)\r\n"
              "1 14 11 10 1 0.5 2 1 0 3.7\r\n");
    EXPECT_EQ(recovery.recovered.answered, std::vector<int>{1});
    EXPECT_TRUE(recovery.recovered.notes.empty());
    EXPECT_EQ(recovery.problemFile, services.programFolder() / "data" / "inp01.001");
    EXPECT_EQ(recovery.resultsFile, services.programFolder() / "data" / "out01.001");
}

TEST_F(Recover, RefusesWhatIsNoRunLog) {
    EXPECT_NE(
        refusal("pn orig(pn) pt(pn) a(pn) e(1,pn) e(2,pn) e(3,pn) rev(pn) inv(pn) all(pn)\r\n")
            .find("is not a run log"),
        std::string::npos);
    EXPECT_NE(refusal(kHeader + kShownOne + kAnsweredOne).find("does not name its problem file"),
              std::string::npos);
    const fs::path folder = services.programFolder() / "data" / "out02.001.log";
    fs::create_directory(folder);
    EXPECT_EQ(test::failureOf([&] { recoverLog(folder); }),
              "cannot read the run log " + folder.string() + ": it is a folder");
}

TEST_F(Recover, RefusesALogOfAnotherProblemFile) {
    // The amount of problem 1 changed after the run.
    services.writeData("inp01.001", "2\r\n1,14,11,12,1,0.5,2\r\n2,3,21,8,1,1.5,1.5\r\n");
    const std::string amount = refusal(kHeader + kParameters + kShownOne + kAnsweredOne);
    EXPECT_NE(amount.find("does not belong to the problem file"), std::string::npos) << amount;
    EXPECT_NE(amount.find("amount \"10\", the file gives 12"), std::string::npos) << amount;
    // A rate that differs only in single precision.
    services.writeData("inp01.001", "2\r\n1,14,11,10,1,0.50001,2\r\n2,3,21,8,1,1.5,1.5\r\n");
    EXPECT_NE(refusal(kHeader + kParameters + kShownOne).find("second rate"), std::string::npos);
    // Another number of problems.
    services.writeData("inp01.001", "1\r\n1,14,11,10,1,0.5,2\r\n");
    EXPECT_NE(refusal(kHeader + kParameters + kShownOne).find("the run had 2 problems"),
              std::string::npos);
}

TEST_F(Recover, RefusesParametersThatLeaveTheDataFolder) {
    const std::string log = kHeader + "t,0,0,parameter,,../../etc/x,data_file_text\n"
                                      "t,0,0,parameter,,1,subject_number\n"
                                      "t,0,0,parameter,,2,problem_count\n";
    EXPECT_NE(refusal(log).find("cannot be part of a file name"), std::string::npos);
}

TEST_F(Recover, LeavesOutWhatCannotBeReadAndSaysSo) {
    const auto recovery = recoverLog(
        writeLog(kHeader + kParameters + "t,5,3,problem_shown,1,,rev=7\n" + kAnsweredOne +
                 kShownTwo + "t,20,4,problem_answered,2,4,\n" + "2024-03-05T14:07:1"));
    EXPECT_EQ(recovery.recovered.answered, std::vector<int>{2});
    ASSERT_EQ(recovery.recovered.notes.size(), 3u);
    EXPECT_NE(recovery.recovered.notes[0].find("line 5"), std::string::npos);
    EXPECT_NE(recovery.recovered.notes[1].find("problem 1 was answered"), std::string::npos);
    EXPECT_NE(recovery.recovered.notes[2].find("ends in part of a line"), std::string::npos);
}

TEST_F(Recover, AnAnswerTheSliderCannotGiveIsNoAnswer) {
    const std::string impossible = "\", which the slider cannot give (0 to 10); it was left out";
    const struct {
        std::string answer;
        std::string note;
    } cases[] = {
        {"-5", "line 6 of the log gives problem 1 the answer \"-5" + impossible},
        {"10.5", "line 6 of the log gives problem 1 the answer \"10.5" + impossible},
        {"nan", "line 6 of the log cannot be read; it was left out"},
        {"inf", "line 6 of the log cannot be read; it was left out"},
    };
    for (const auto& c : cases) {
        const auto recovery =
            recoverLog(writeLog(kHeader + kParameters + kShownOne + "t,9,4,problem_answered,1," +
                                c.answer + ",moves=1\n"));
        EXPECT_TRUE(recovery.recovered.answered.empty()) << c.answer;
        EXPECT_EQ(recovery.recovered.notes, std::vector<std::string>{c.note}) << c.answer;
    }
}

TEST_F(Recover, NotesAResultsFileTheRunWroteItself) {
    const auto recovery = recoverLog(
        writeLog(kHeader + kParameters + kShownOne + kAnsweredOne +
                 "2024-03-05T14:07:10.542+01:00,99,6,results_written,,/lab/data/out01.001,\n"));
    ASSERT_EQ(recovery.recovered.notes.size(), 1u);
    EXPECT_NE(recovery.recovered.notes[0].find("/lab/data/out01.001"), std::string::npos);
}

TEST_F(Recover, TheRecoveredNameNeverOverwrites) {
    const fs::path results = services.programFolder() / "data" / "out01.001";
    EXPECT_EQ(recover::recoveredPath(results).filename(), "out01.001.recovered");
    services.writeData("out01.001.recovered", "an earlier recovery");
    services.writeData("out01.001.recovered-2", "another");
    EXPECT_EQ(recover::recoveredPath(results).filename(), "out01.001.recovered-3");
}

} // namespace
} // namespace tovask::test
