// Two live runs of tovask-script in one data folder, each fed through a pipe: the second run on
// the same files is refused at the parameter screen while the first goes on, and starts once
// the first has ended; the lock of a run killed with SIGKILL is taken over by the next run.
#include "tests/support/TestServices.h"
#include "tests/tools/Process.h"
#include "tests/tools/TenProblemRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>

namespace tovask::test {
namespace {

// The dump printed after the script lines, once they have been acted on.
std::string after(Process& run, const std::string& lines) {
    run.write(lines + "dump\n");
    return run.readLine().value_or("(no dump)");
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(LiveRuns, TheSecondRunOnTheSameFilesIsRefusedUntilTheFirstEnds) {
    TestServices folder;
    folder.copyBundled("english.wds");
    folder.writeData("inp01.001", kTenProblems);
    folder.writeData("inp02.001", kTenProblems);
    const std::vector<std::string> runner = {TOVASK_SCRIPT_EXE, "--program-dir",
                                             folder.programFolder().string()};
    const std::string lock = (folder.programFolder() / "data" / "lock-out01.001").string();

    Process first(runner);
    ASSERT_TRUE(contains(after(first, "click\n"), "{\"stage\":1,"));
    Process second(runner);
    const std::string refused = after(second, "click\n");
    EXPECT_TRUE(contains(refused, "{\"stage\":0,")) << refused;
    EXPECT_TRUE(contains(refused, "are in use by another run on this PC")) << refused;
    EXPECT_TRUE(contains(refused, ", process " + std::to_string(first.pid()) + ".")) << refused;
    EXPECT_TRUE(contains(refused, "started 20")) << refused;
    EXPECT_TRUE(contains(after(first, "click\n"), "{\"stage\":11,"));
    EXPECT_TRUE(contains(after(second, "set InputDataFile 02\nclick\n"), "{\"stage\":1,"));

    first.closeInput(); // the window of the first run is closed
    EXPECT_EQ(first.readAll(), "");
    first.wait();
    EXPECT_FALSE(std::filesystem::exists(lock));
    Process third(runner);
    const std::string started = after(third, "click\n");
    EXPECT_TRUE(contains(started, "{\"stage\":1,")) << started;
    EXPECT_TRUE(contains(started, "\"messages\":[]")) << started;

    third.kill(SIGKILL);
    third.wait();
    ASSERT_TRUE(std::filesystem::exists(lock));
    Process fourth(runner);
    const std::string tookOver = after(fourth, "click\n");
    EXPECT_TRUE(contains(tookOver, "{\"stage\":1,")) << tookOver;
    EXPECT_TRUE(contains(tookOver, "ended without finishing and left its files locked (on this "
                                   "PC"))
        << tookOver;
    EXPECT_TRUE(contains(tookOver, ", process " + std::to_string(third.pid()) + ")")) << tookOver;
}

} // namespace
} // namespace tovask::test
