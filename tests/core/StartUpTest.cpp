// The click that leaves the parameter screen, and the clicks of stages 1, 11 and 2.
#include "base/Failure.h"
#include "files/OperatingSystem.h"
#include "files/TextFile.h"
#include "tests/support/Run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tovask::test {
namespace {

const std::vector<std::string> kTwoProblems{"1,14,11,10,1,1.5,2", "2,3,21,8,1,1.5,1.5"};

void RemoveData(const Session& run, const std::string& name) {
    std::filesystem::remove_all(run.services.programFolder() / "data" / name);
}

std::string Words(int count) {
    std::string text = std::to_string(count) + "\r\n";
    for (int k = 1; k <= count; ++k)
        text += "\"" + W(k) + "\"\r\n";
    return text;
}

std::string Problems(int count) {
    std::string text = std::to_string(count) + "\r\n";
    for (int p = 1; p <= count; ++p)
        text += std::to_string(p) + ",1,11,10,1,1,1\r\n";
    return text;
}

TEST(StageZero, WithTheStartScreenReadsEnglishWordsAndInp01Of001) {
    Session run(kTwoProblems);
    // Neighbours whose names differ only in the language, the data file text or the suffix.
    run.services.writeData("italian.wds", Words(0));
    run.services.writeData("inp02.001", Problems(5));
    run.services.writeData("inp01.002", Problems(7));
    run.services.writeData("inp01.01", Problems(6));
    run.click();
    ASSERT_EQ(run.x.Stage, 1);
    EXPECT_TRUE(run.services.messages.empty());
    EXPECT_EQ(run.x.TaskNumber.items(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(run.x.TaskNumber.text(), "1");
    // The texts of the next screen come from the English file.
    EXPECT_EQ(run.x.Continue.caption(), W(18));
    EXPECT_EQ(run.x.PlayingOutFrame.caption(), W(35));
    EXPECT_EQ(run.x.TaskFrame.caption(), W(34));
    EXPECT_EQ(run.x.form.caption(), W(36));
    EXPECT_EQ(run.x.ColourName[1], W(37));
    EXPECT_EQ(run.x.ColourName[2], W(38));
    EXPECT_EQ(run.x.ColourName[3], W(39));
}

TEST(StageZero, TheDataFileTextChoosesTheProblemFile) {
    Session run(kTwoProblems);
    run.services.writeData("inp02.001", Problems(5));
    run.x.InputDataFile.setText("02");
    run.click();
    ASSERT_EQ(run.x.Stage, 1);
    EXPECT_EQ(run.x.TaskNumber.items().size(), 5u);
}

// The typed text is UTF-8; the files are named by it on every system, whatever its code page.
TEST(StageZero, ANonAsciiDataFileTextNamesTheFilesAsTyped) {
    Session run(kTwoProblems);
    const std::string text = "\xC5\x81\xC3\xB3"
                             "d\xC5\xBA"; // "Łódź"
    const std::filesystem::path data = run.services.programFolder() / "data";
    std::filesystem::copy_file(data / "inp01.001", data / os::pathFromUtf8("inp" + text + ".001"));
    run.x.InputDataFile.setText(text);
    run.click();
    ASSERT_EQ(run.x.Stage, 1) << ::testing::PrintToString(run.messageTexts());
    EXPECT_TRUE(std::filesystem::exists(data / os::pathFromUtf8("out" + text + ".001.log")));
}

TEST(StageZero, ItalianReadsItalianWordsAndTheSameProblemFile) {
    Session run(kTwoProblems);
    std::string italian = "40\r\n";
    for (int k = 1; k <= 40; ++k)
        italian += "\"it" + std::to_string(k) + "\"\r\n";
    run.services.writeData("italian.wds", italian);
    run.x.Language.setText("Italian");
    run.click();
    ASSERT_EQ(run.x.Stage, 1);
    EXPECT_EQ(run.x.Continue.caption(), "it18");
    EXPECT_EQ(run.x.form.caption(), "it36");
    EXPECT_EQ(run.x.ColourName[2], "it38");
    EXPECT_EQ(run.x.TaskNumber.items().size(), 2u);
}

TEST(StageZero, TreatmentTakesOnlyOneOrTwo) {
    struct Case {
        const char* text;
        std::optional<int> treatment;
    };
    for (const Case& c : {Case{"1", 1}, Case{"2", 2}, Case{"3", std::nullopt},
                          Case{" 1", std::nullopt}, Case{"", std::nullopt}}) {
        SCOPED_TRACE(c.text);
        Session run(kTwoProblems);
        run.x.TreatmentVal.setText(c.text);
        run.click();
        EXPECT_EQ(run.x.Stage, 1);
        EXPECT_EQ(run.x.Treatment, c.treatment);
    }
}

TEST(StageZero, WrongProblemNumbersAreReportedInOrderAndKept) {
    Session run({"1,10,11,10,1,1,1", "5,20,12,7,2,2,2", "3,30,13,8,1,1,1", "9,40,21,4.5,1,3,3"});
    run.click();
    ASSERT_EQ(run.x.Stage, 1);
    ASSERT_EQ(run.services.messages.size(), 2u);
    EXPECT_EQ(run.services.messages[0], (std::pair<std::string, std::string>{
                                            "tovask", "Mistake in data entry on problem 2"}));
    EXPECT_EQ(run.services.messages[1], (std::pair<std::string, std::string>{
                                            "tovask", "Mistake in data entry on problem 4"}));
    EXPECT_EQ(run.x.TaskNumber.items(), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(run.x.orig[2], 20);
    EXPECT_EQ(run.x.pt[2], 12);
    EXPECT_EQ(run.x.a[2], 7);
    EXPECT_EQ(run.x.e[1][2], 2.0f);
    EXPECT_EQ(run.x.orig[4], 40);
    EXPECT_EQ(run.x.pt[4], 21);
    EXPECT_EQ(run.x.a[4], 4.5);
    EXPECT_EQ(run.x.e[3][4], 3.0f);
    EXPECT_EQ(run.x.MaxAmount, 10);
}

TEST(StageZero, TheLargestAmountRoundsHalvesToEven) {
    struct Case {
        std::vector<std::string> problems;
        int maxAmount;
    };
    for (const Case& c : {Case{{"1,1,11,10,1,1,1", "2,1,11,12.5,1,1,1", "3,1,11,7,1,1,1"}, 12},
                          Case{{"1,1,11,10,1,1,1", "2,1,11,13.5,1,1,1"}, 14},
                          Case{{"1,1,11,-3,1,1,1", "2,1,11,0.6,1,1,1"}, 1}}) {
        Session run(c.problems);
        run.click();
        EXPECT_EQ(run.x.Stage, 1);
        EXPECT_EQ(run.x.MaxAmount, c.maxAmount);
    }
}

// The parameters are read as whole numbers of seconds; what the first tick of the reading
// time shows tells which value was taken.
TEST(StageZero, ReadingTimeIsRoundedHalvesToEven) {
    struct Case {
        const char* text;
        std::string firstTick;
    };
    for (const Case& c : {Case{"0.6", W(10)}, Case{"2.5", W(9)}, Case{"3.5", W(7) + "3" + W(8)},
                          Case{" 4 ", W(7) + "3" + W(8)}, Case{"32767", W(7) + "32766" + W(8)},
                          Case{"32767.4", W(7) + "32766" + W(8)}}) {
        SCOPED_TRACE(c.text);
        Session run(kTwoProblems);
        run.x.ReadTimeInput.setText(c.text);
        run.click();
        ASSERT_EQ(run.x.Stage, 1);
        run.click();
        run.x.ReadInstructionsTimer.tick();
        EXPECT_EQ(run.x.form.caption(), c.firstTick);
    }
}

// Every mistake in the parameters or the files is reported before the window changes; the
// parameter screen stays as it was and a corrected retry starts the run.
TEST(StageZero, RefusedStartLeavesTheParameterScreenAndARetryWorks) {
    struct Case {
        const char* what;
        std::function<void(Session&)> spoil;
        std::vector<std::string> inMessage;
    };
    const auto problems = [](const std::string& text) {
        return [text](Session& run) { run.services.writeData("inp01.001", text); };
    };
    const auto words = [](const std::string& text) {
        return [text](Session& run) { run.services.writeData("english.wds", text); };
    };
    const auto readTime = [](const std::string& text) {
        return [text](Session& run) { run.x.ReadTimeInput.setText(text); };
    };
    const auto waitTime = [](const std::string& text) {
        return [text](Session& run) { run.x.TimeToWait.setText(text); };
    };
    const auto language = [](const std::string& text) {
        return [text](Session& run) { run.x.Language.setText(text); };
    };
    const auto dataFile = [](const std::string& text) {
        return [text](Session& run) { run.x.InputDataFile.setText(text); };
    };
    const auto folder = [](const std::string& name) {
        return [name](Session& run) {
            RemoveData(run, name);
            std::filesystem::create_directory(run.services.programFolder() / "data" / name);
        };
    };
    std::vector<Case> cases{
        {"missing word file",
         [](Session& run) { RemoveData(run, "english.wds"); },
         {"english.wds"}},
        {"missing problem file", [](Session& run) { RemoveData(run, "inp01.001"); }, {"inp01.001"}},
        {"text for an amount",
         problems("2\r\n1,14,11,ten,1,1,1\r\n2,3,12,8,1,1,1\r\n"),
         {"inp01.001:2:4", "ten"}},
        {"text for a rate", problems("1\r\n1,14,11,10,1,x1.5,1\r\n"), {"inp01.001:2:6", "x1.5"}},
        {"text for the problem count",
         problems("two\r\n1,14,11,10,1,1,1\r\n2,3,12,8,1,1,1\r\n"),
         {"inp01.001:1:1", "two"}},
        {"text for the word count", words("forty\r\n\"a\"\r\n"), {"english.wds:1:1", "forty"}},
        {"problem file ends between problems",
         problems("2\r\n1,14,11,10,1,1,1\r\n"),
         {"inp01.001", "ends"}},
        {"problem file ends inside a problem",
         problems("2\r\n1,14,11,10,1,1,1\r\n2,3,12\r\n"),
         {"inp01.001", "ends"}},
        {"word file ends early", words("40\r\n\"a\"\r\n\"b\"\r\n"), {"english.wds", "ends"}},
        {"101 words", words(Words(101)), {"english.wds:1:1", "101"}},
        {"101 problems", problems(Problems(101)), {"inp01.001:1:1", "101"}},
        {"no problems", problems("0\r\n"), {"inp01.001:1:1"}},
        {"reading time not a number", readTime("abc"), {"\"abc\""}},
        {"reading time empty", readTime(""), {"\"\""}},
        {"reading time 0", readTime("0"), {"\"0\""}},
        {"reading time rounding to 0", readTime("0.4"), {"\"0.4\""}},
        {"reading time half rounding to 0", readTime("0.5"), {"\"0.5\""}},
        {"reading time negative", readTime("-2"), {"\"-2\""}},
        {"reading time too large", readTime("32768"), {"\"32768\""}},
        {"reading time rounding too large", readTime("32767.5"), {"\"32767.5\""}},
        {"time to wait not a number", waitTime("3s"), {"\"3s\""}},
        {"time to wait 0", waitTime("0"), {"\"0\""}},
        {"time to wait too large", waitTime("40000"), {"\"40000\""}},
        {"language in lower case", language("english"), {"\"english\""}},
        {"another language", language("French"), {"\"French\""}},
        {"no language", language(""), {"\"\""}},
        {"all amounts below one half",
         problems("2\r\n1,14,11,0.4,1,1,1\r\n2,3,12,0.4,1,1,1\r\n"),
         {"inp01.001"}},
        {"amounts 0 and -3",
         problems("2\r\n1,14,11,0,1,1,1\r\n2,3,12,-3,1,1,1\r\n"),
         {"inp01.001"}},
        {"only amount one half", problems("1\r\n1,14,11,0.5,1,1,1\r\n"), {"inp01.001"}},
        {"unknown type",
         problems("2\r\n1,14,11,10,1,1,1\r\n2,3,14,8,1,1,1\r\n"),
         {"inp01.001:3:3", "14"}},
        {"type 0", problems("1\r\n1,14,0,10,1,1,1\r\n"), {"inp01.001:2:3"}},
        {"data file text leaving data", dataFile("../01"), {"\"../01\""}},
        {"data file text with a folder", dataFile("sub/01"), {"\"sub/01\""}},
        {"data file text with a wildcard", dataFile("0?1"), {"\"0?1\""}},
        {"a rate beyond single precision",
         problems("1\r\n1,14,11,10,1,1e39,1\r\n"),
         {"inp01.001:2:6: \"1e39\" is beyond the largest single-precision number"}},
        {"a word file saved as UTF-16 without its mark",
         words(std::string("4\0000\0\r\0\n\0", 8)),
         {"english.wds:1: the file holds a NUL byte", "save it as UTF-8 or ANSI"}},
        {"a folder for the word file", folder("english.wds"), {"english.wds: it is a folder"}},
        {"a folder for the problem file", folder("inp01.001"), {"inp01.001: it is a folder"}},
        {"a folder for the lock", folder("lock-out01.001"), {"lock-out01.001: it is a folder"}},
        {"a problem file of more than 1 MiB",
         [](Session& run) {
             std::filesystem::resize_file(run.services.programFolder() / "data" / "inp01.001",
                                          reading::kProblemFile.maxBytes + 1);
         },
         {"inp01.001", "it holds 1048577 bytes"}},
    };
#ifndef _WIN32
    cases.push_back(
        {"a FIFO for the problem file",
         [](Session& run) {
             RemoveData(run, "inp01.001");
             ASSERT_EQ(
                 ::mkfifo((run.services.programFolder() / "data" / "inp01.001").c_str(), 0644), 0);
         },
         {"inp01.001: it is not a regular file but a FIFO"}});
    // A link planted where the lock goes is never written through, and never taken for no lock.
    cases.push_back({"a link that leads nowhere for the lock",
                     [](Session& run) {
                         std::filesystem::create_symlink(run.services.programFolder() / "nowhere",
                                                         run.services.programFolder() / "data" /
                                                             "lock-out01.001");
                     },
                     {"in use by another run (cannot open the lock file", "lock-out01.001"}});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session run(kTwoProblems);
        c.spoil(run);
        const std::string before = snapshot(run.x);

        run.click();

        ASSERT_EQ(run.services.messages.size(), 1u);
        EXPECT_EQ(run.services.messages[0].first, "tovask");
        for (const std::string& piece : c.inMessage)
            EXPECT_NE(run.services.messages[0].second.find(piece), std::string::npos)
                << run.services.messages[0].second << " lacks " << piece;
        EXPECT_EQ(snapshot(run.x), before);
        EXPECT_EQ(run.x.Stage, 0);
        EXPECT_TRUE(run.x.Parameters.shown());
        EXPECT_TRUE(run.x.TaskNumber.items().empty());

        // Corrected: the good files and parameters again.
        for (const char* name : {"english.wds", "inp01.001", "lock-out01.001"})
            RemoveData(run, name);
        run.services.writeNumberedWords();
        run.services.writeData("inp01.001", problemFile(kTwoProblems));
        run.x.ReadTimeInput.setText("1");
        run.x.TimeToWait.setText("1");
        run.x.Language.setText("English");
        run.x.InputDataFile.setText("01");
        run.click();

        EXPECT_EQ(run.x.Stage, 1);
        EXPECT_EQ(run.services.messages.size(), 1u);
        EXPECT_FALSE(run.x.Parameters.visible());
        EXPECT_EQ(run.x.TaskNumber.items(), (std::vector<std::string>{"1", "2"}));
        EXPECT_EQ(run.x.Continue.caption(), W(18));
        EXPECT_FLOAT_EQ(run.x.Continue.left(), 5375);
    }
}

TEST(StageZero, AFailureFromTheHandlerItselfIsATovaskFailure) {
    Session run(kTwoProblems);
    run.x.Language.setText("Deutsch");
    EXPECT_THROW(run.x.Continue_Click(), Failure);
    EXPECT_EQ(run.x.Stage, 0);
}

TEST(StageOne, ShowsTheInstructionsAndStartsTheReadingTime) {
    Session run(kTwoProblems);
    run.click();
    run.click();
    EXPECT_EQ(run.x.Stage, 11);
    EXPECT_EQ(run.x.KeyArmed, 1);
    EXPECT_EQ(run.x.Instructions.caption(), W(1) + "2" + W(40));
    EXPECT_TRUE(run.x.Instructions.shown());
    EXPECT_EQ(run.x.Continue.caption(), W(32));
    EXPECT_FALSE(run.x.Continue.enabled());
    EXPECT_FALSE(run.x.TARVlogo.visible());
    EXPECT_TRUE(run.x.ReadInstructionsTimer.enabled());
    EXPECT_EQ(run.x.form.caption(), W(36));
    // A disabled button takes no click.
    const std::string before = snapshot(run.x);
    run.click();
    EXPECT_EQ(snapshot(run.x), before);
}

TEST(StageEleven, AClickChangesOnlyTheButtonCaption) {
    Session run(kTwoProblems);
    run.x.ReadTimeInput.setText("5");
    run.click();
    run.click();
    run.x.ReadInstructionsTimer.tick();
    // While the reading time runs (the button itself is disabled; the handler is called).
    const std::string during = snapshot(run.x);
    run.x.Continue_Click();
    EXPECT_EQ(run.x.Continue.caption(), W(3));
    run.x.Continue.setCaption(W(32));
    EXPECT_EQ(snapshot(run.x), during);

    // After the reading time, through the button.
    for (int i = 0; i < 4; ++i)
        run.x.ReadInstructionsTimer.tick();
    ASSERT_TRUE(run.x.Continue.enabled());
    const std::string after = snapshot(run.x);
    run.click();
    run.click();
    EXPECT_EQ(snapshot(run.x), after);
    EXPECT_EQ(run.x.Stage, 11);
    EXPECT_EQ(run.x.Continue.caption(), W(3));
}

TEST(StageTwo, HandsOverToTheFirstProblem) {
    Session run(kTwoProblems);
    run.readInstructions();
    run.key(kCtrlC);
    ASSERT_EQ(run.x.Stage, 2);
    run.click();
    EXPECT_EQ(run.x.Stage, 3);
    EXPECT_EQ(run.x.pn, 0);
    EXPECT_FALSE(run.x.Instructions.visible());
    EXPECT_EQ(run.x.Continue.caption(), W(4));
    EXPECT_EQ(run.x.form.caption(), W(28));
    EXPECT_FALSE(run.x.AllocationSlider.visible());
    run.click();
    EXPECT_EQ(run.x.pn, 1);
    EXPECT_EQ(run.x.form.caption(), W(11) + "1.");
}

} // namespace
} // namespace tovask::test
