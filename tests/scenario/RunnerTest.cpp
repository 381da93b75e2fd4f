// The runner loop: load first, each line done as it is read, and the three ways a script stops.
#include "tools/script/Runner.h"

#include "files/OperatingSystem.h"
#include "files/SessionPlan.h"
#include "files/SessionSignals.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/TestServices.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tovask::script {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class RunnerTest : public ::testing::Test {
protected:
    RunnerTest() {
        folder.copyBundled("english.wds");
        folder.copyBundled("inp02.001");
    }
    int play(const std::string& script) {
        std::istringstream in(script);
        return runner.run(in);
    }
    bool contains(const std::string& line, const std::string& part) {
        return line.find(part) != std::string::npos;
    }

    test::TestServices folder; // only its program folder is used
    std::ostringstream out, err;
    Runner runner{folder.programFolder(), out, err};
};

TEST_F(RunnerTest, LoadsFirstAndSkipsCommentsAndBlankLines) {
    EXPECT_EQ(play("# the parameter screen\n\n   \ndump\n"), kExitDone);
    const auto dumps = linesOf(out.str());
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_TRUE(contains(dumps[0], R"("SubjectNumber":{"text":"1","items":[],)")) << dumps[0];
    EXPECT_EQ(err.str(), "");
}

TEST_F(RunnerTest, ABadLineStopsTheScriptWithNothingOfItDone) {
    EXPECT_EQ(play("set InputDataFile 02\n# comment\n\nset SubjectNumber 7\ndump\n"), kExitBadLine);
    EXPECT_EQ(err.str(), "tovask-script: line 4: the control \"SubjectNumber\" is disabled; "
                         "nothing can be typed into it\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(runner.experiment().SubjectNumber.text(), "1");
    EXPECT_EQ(runner.experiment().InputDataFile.text(), "02");
}

TEST_F(RunnerTest, ASliderValueOutsideItsRangeIsABadLine) {
    const std::string toFirstProblem = "set InputDataFile 02\nset ReadTimeInput 1\nclick\nclick\n"
                                       "tick\nkey 3\nclick\nclick\nslider 300\n";
    EXPECT_EQ(play(toFirstProblem + "slider 1001\n"), kExitBadLine);
    EXPECT_EQ(err.str(), "tovask-script: line 10: the slider value 1001 lies outside 0..1000\n");
    EXPECT_EQ(runner.experiment().AllocationSlider.value(), 300);
    EXPECT_EQ(runner.experiment().all[1], 7.0); // (1000 - 300) / 1000 x 10 with rev 0
}

TEST_F(RunnerTest, AFailureIsShownInTheNextDumpAndTheRunGoesOn) {
    EXPECT_EQ(play("set Language French\nclick\ndump\ndump\n"), kExitDone);
    const auto dumps = linesOf(out.str());
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_TRUE(contains(dumps[0], R"({"stage":0,"pn":0,"caption":"Experiment",)"));
    EXPECT_TRUE(contains(dumps[0], R"("messages":[{"title":"tovask","text":"The language )"
                                   R"(\"French\" has no word file: choose English or )"
                                   R"(Italian."}],"ended":null})"));
    EXPECT_TRUE(contains(dumps[1], R"("messages":[],"ended":null})"));
}

TEST_F(RunnerTest, AFailureThatEscapesEndsTheRunWithALastDump) {
    runner.experiment().Continue.onClick = [] { throw std::runtime_error("disk on fire"); };
    EXPECT_EQ(play("set Language French\nclick\ndump\n"), kExitEnded);
    const auto dumps = linesOf(out.str());
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_TRUE(contains(dumps[0], R"("messages":[],"ended":"disk on fire"})"));
    EXPECT_EQ(runner.feed("dump", 4), Status::Ended);
    EXPECT_EQ(linesOf(out.str()).size(), 1u);
}

// A run there would refuse its first click, so the script stops at once, before the window's
// load, with an exit status that a pilot's shell sees.
TEST_F(RunnerTest, ADataFolderWhereNoFileCanBeCreatedPlaysNothing) {
    test::NoNewFiles refusing;
    const os::FileSystemReplacement replaced(refusing);
    EXPECT_EQ(play("click\ndump\n"), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(contains(err.str(), "tovask-script: no file can be created in the data folder " +
                                        (folder.programFolder() / "data").string() + " ("))
        << err.str();
    EXPECT_EQ(runner.experiment().SubjectNumber.text(), "");
}

// Holds what is written, and shows it only once flushed, like a pipe to another program.
class FlushedOnly : public std::stringbuf {
public:
    std::string flushed;

protected:
    int sync() override {
        flushed = str();
        return 0;
    }
};

// Serves a script one line at a time and notes, each time the runner asks for more, how many
// dumps have been flushed by then.
class LineByLine : public std::streambuf {
public:
    LineByLine(std::vector<std::string> lines, const FlushedOnly& out)
        : lines_(std::move(lines)), out_(out) {}
    std::vector<std::size_t> dumpsWhenAsked;

protected:
    int_type underflow() override {
        if (next_ == lines_.size())
            return traits_type::eof();
        dumpsWhenAsked.push_back(linesOf(out_.flushed).size());
        std::string& line = lines_[next_++];
        setg(line.data(), line.data(), line.data() + line.size());
        return traits_type::to_int_type(line.front());
    }

private:
    std::vector<std::string> lines_;
    const FlushedOnly& out_;
    std::size_t next_ = 0;
};

TEST_F(RunnerTest, ActsOnEachLineAndFlushesEachDumpBeforeReadingTheNext) {
    FlushedOnly flushedOnly;
    std::ostream live(&flushedOnly);
    Runner piped(folder.programFolder(), live, err);
    LineByLine script({"dump\n", "click\n", "dump\n", "dump\n"}, flushedOnly);
    std::istream in(&script);
    EXPECT_EQ(piped.run(in), kExitDone);
    EXPECT_EQ(script.dumpsWhenAsked, (std::vector<std::size_t>{0, 1, 1, 2}));
}

// A script whose reading fails after its text, as a disk or a pipe can fail.
class FailsAfterItsText : public std::stringbuf {
public:
    using std::stringbuf::stringbuf;

protected:
    int_type underflow() override {
        const int_type next = std::stringbuf::underflow();
        if (traits_type::eq_int_type(next, traits_type::eof()))
            throw std::runtime_error("the read failed");
        return next;
    }
};

TEST_F(RunnerTest, AScriptThatCannotBeReadToItsEndIsNotReportedAsPlayed) {
    FailsAfterItsText script("dump\n");
    std::istream in(&script);
    EXPECT_EQ(runner.run(in), kExitUsage);
    EXPECT_EQ(linesOf(out.str()).size(), 1u);
    EXPECT_EQ(err.str(),
              "tovask-script: the script could not be read after line 1, so the rest of it was "
              "not played\n");
}

// A scripted run that stands for a PC of a session plan: its parameter screen is filled in from
// the PC's row, and while real time passes its session watch acts on the console's request.
TEST_F(RunnerTest, StandsForAPcOfThePlanAndIsReleasedWhileItWaits) {
    folder.writeData("session.csv",
                     std::string(SessionPlan::kHeader) + "\nLAB07,02,English,1,2,1\n");
    runner.experiment().SetComputerName("lab07");
    ASSERT_EQ(runner.load(), Status::Running);
    int line = 0;
    for (const char* event : {"click", "click", "tick"})
        ASSERT_EQ(runner.feed(event, ++line), Status::Running);
    const auto life = parseSignOfLife(folder.readData("alive-out02.001"));
    ASSERT_TRUE(life);
    folder.writeData("release-out02.001", releaseRequestText({life->started, 1}));
    ASSERT_EQ(runner.feed("wait 1100", ++line), Status::Running);
    EXPECT_EQ(runner.experiment().Stage, 2);
    EXPECT_EQ(runner.experiment().TimeToWait.text(), "2");
}

} // namespace
} // namespace tovask::script
