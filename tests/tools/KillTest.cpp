// A run of ten problems driven live through a pipe is killed with SIGKILL at many points; each
// time tovask-recover rebuilds, from the log left behind, the results line of every problem
// answered before the kill, byte for byte as the complete run writes it.
#include "tests/support/TestServices.h"
#include "tests/tools/Process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

// Ten problems of every type, with amounts and rates that give fractional answers.
const char* const kProblems = "10\r\n"
                              "1,14,11,10,1,0.5,2\r\n"
                              "2,3,21,8,1,1.5,1.5\r\n"
                              "3,7,12,12.5,1.5,1,1\r\n"
                              "4,22,13,15,2,1,0.5\r\n"
                              "5,1,22,7,0.75,2,2\r\n"
                              "6,9,23,9,3,0.25,0.25\r\n"
                              "7,11,11,3.3,1,0.1,0.7\r\n"
                              "8,2,13,20,0.3,1.7,1\r\n"
                              "9,5,21,6,1,2.5,2.5\r\n"
                              "10,4,12,11,0.9,1,1.1\r\n";

struct Step {
    std::string line;
    int answered; // problems answered once this line has been acted on
    bool killHere;
};

// The whole run; a kill after every answer, in the middle of every problem's slider moves,
// before any answer and after the results file.
std::vector<Step> script() {
    std::vector<Step> steps = {{"set ReadTimeInput 1", 0, false},
                               {"set TimeToWait 1", 0, false},
                               {"click", 0, true},
                               {"click", 0, false},
                               {"tick", 0, false},
                               {"key 3", 0, false},
                               {"click", 0, false}};
    for (int p = 1; p <= 10; ++p) {
        const int before = p - 1;
        steps.push_back({"click", before, false});
        steps.push_back({"slider " + std::to_string(37 * p), before, false});
        steps.push_back({"slider " + std::to_string(1000 - 61 * p), before, true});
        steps.push_back({"tick", before, false});
        steps.push_back({"slider " + std::to_string(90 * p + 3), before, false});
        steps.push_back({"click", p, true});
    }
    steps.push_back({"click", 10, true}); // the results file
    steps.push_back({"key 3", 10, false});
    steps.push_back({"click", 10, false});
    steps.push_back({"set TaskNumber 4", 10, false});
    steps.push_back({"click", 10, true});
    return steps;
}

class KilledRun : public ::testing::Test {
protected:
    static void prepare(const TestServices& folder) {
        folder.copyBundled("english.wds");
        folder.writeData("inp01.001", kProblems);
    }
    static std::vector<std::string> runner(const TestServices& folder) {
        return {TOVASK_SCRIPT_EXE, "--program-dir", folder.programFolder().string()};
    }
    // The results file of the run played to its end.
    static std::vector<std::string> completeLines() {
        TestServices folder;
        prepare(folder);
        Process run(runner(folder));
        for (const Step& step : script())
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
    const std::vector<Step> steps = script();
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
