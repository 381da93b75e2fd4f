// A run of ten problems driven live through a pipe is killed with SIGKILL at many points; each
// time tovask-recover rebuilds, from the log left behind, the results line of every problem
// answered before the kill, byte for byte as the complete run writes it.
#include "tests/support/TestServices.h"
#include "tests/tools/Process.h"
#include "tests/tools/TenProblemRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

class KilledRun : public ::testing::Test {
protected:
    static void prepare(const TestServices& folder) {
        folder.copyBundled("english.wds");
        folder.writeData("inp01.001", kTenProblems);
    }
    static std::vector<std::string> runner(const TestServices& folder) {
        return {TOVASK_SCRIPT_EXE, "--program-dir", folder.programFolder().string()};
    }
    // The results file of the run played to its end.
    static std::vector<std::string> completeLines() {
        TestServices folder;
        prepare(folder);
        Process run(runner(folder));
        for (const Step& step : tenProblemRun())
            run.write(step.line + "\n");
        run.closeInput();
        EXPECT_EQ(run.readAll(), "");
        const int status = run.wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::vector<std::string> lines;
        const std::string text = folder.readData("out01.001");
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find("\r\n", start) + 2;
            lines.push_back(text.substr(start, end - start));
            start = end;
        }
        return lines;
    }
};

TEST_F(KilledRun, RecoveryFindsEveryAnswerGivenBeforeTheKill) {
    const std::vector<std::string> complete = completeLines();
    ASSERT_EQ(complete.size(), 11u);
    const std::vector<Step> steps = tenProblemRun();
    int kills = 0;
    for (std::size_t killAfter = 0; killAfter < steps.size(); ++killAfter) {
        if (!steps[killAfter].killHere)
            continue;
        ++kills;
        const int answered = steps[killAfter].answered;
        SCOPED_TRACE("killed after line " + std::to_string(killAfter + 1) + " (" +
                     std::to_string(answered) + " answered)");
        TestServices folder;
        prepare(folder);
        {
            Process run(runner(folder));
            for (std::size_t i = 0; i <= killAfter; ++i)
                run.write(steps[i].line + "\n");
            // The dump is printed once every line before it has been acted on.
            run.write("dump\n");
            const auto dump = run.readLine();
            ASSERT_TRUE(dump && dump->rfind("{\"stage\":", 0) == 0) << dump.value_or("(none)");
            run.kill(SIGKILL);
            const int status = run.wait();
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        }
        const fs::path data = folder.programFolder() / "data";
        const Finished recover = runToEnd({TOVASK_RECOVER_EXE, (data / "out01.001.log").string()});
        EXPECT_EQ(recover.exitCode, 0) << recover.output;
        if (answered == 0) {
            EXPECT_NE(recover.output.find("nothing to recover"), std::string::npos);
            EXPECT_FALSE(fs::exists(data / "out01.001.recovered"));
            continue;
        }
        EXPECT_NE(recover.output.find("Written: " + (data / "out01.001.recovered").string()),
                  std::string::npos)
            << recover.output;
        std::string expected;
        for (int line = 0; line <= answered; ++line)
            expected += complete[static_cast<std::size_t>(line)];
        EXPECT_EQ(folder.readData("out01.001.recovered"), expected);
    }
    EXPECT_EQ(kills, 23);
}

} // namespace
} // namespace tovask::test
