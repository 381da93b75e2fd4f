// What every tool of the experimenter does alike, on one session played by tovask-script: it
// answers --help; a file-size limit makes its writing fail with a message instead of killing
// it; and output that could not be written is no success.
#include "tests/support/TestServices.h"
#include "tests/tools/Process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovask::test {
namespace {

struct Tool {
    const char* name;
    std::vector<std::string> work; // a command line that writes files or prints, or both
    bool writesFiles;
};

// A data folder with the pilot run of inp02.001 in it, and each tool at work on it.
class EveryTool : public ::testing::Test {
protected:
    EveryTool() {
        lab.copyBundled("english.wds");
        lab.copyBundled("inp02.001");
        const std::string data = (lab.programFolder() / "data").string();
        const Tool script{"tovask-script",
                          {TOVASK_SCRIPT_EXE, "--program-dir", lab.programFolder().string(),
                           TOVASK_SOURCE_DATA "/../tools/pilot/inp02.script"},
                          true};
        EXPECT_EQ(runToEnd(script.work).exitCode, 0);
        // The script comes last: run again, it would keep the run's files as earlier ones.
        tools = {
            {"tovask-check", {TOVASK_CHECK_EXE, data + "/inp02.001"}, false},
            {"tovask-recover", {TOVASK_RECOVER_EXE, data + "/out02.001.log"}, true},
#ifdef TOVASK_REPORT_EXE
            {"tovask-report", {TOVASK_REPORT_EXE, "--out", data + "/report", data}, true},
#endif
            script,
        };
    }

    // The tool's command line run by the shell after `setup` ("ulimit -f 0; ").
    static Finished inShell(const std::string& setup, const Tool& tool,
                            const std::string& redirection = "") {
        std::vector<std::string> argv{"/bin/sh", "-c", setup + "exec \"$@\"" + redirection, "sh"};
        argv.insert(argv.end(), tool.work.begin(), tool.work.end());
        return runToEnd(argv);
    }

    TestServices lab;
    std::vector<Tool> tools;
};

TEST_F(EveryTool, AnswersHelp) {
    for (const Tool& tool : tools) {
        const Finished help = runToEnd({tool.work[0], "--help"});
        EXPECT_EQ(help.exitCode, 0) << tool.name;
        EXPECT_EQ(help.output.rfind(std::string("usage: ") + tool.name, 0), 0u) << help.output;
    }
}

TEST_F(EveryTool, AFileSizeLimitFailsTheWriteAndEndsNothing) {
    for (const Tool& tool : tools) {
        if (!tool.writesFiles)
            continue;
        const Finished limited = inShell("ulimit -f 0; ", tool);
        EXPECT_NE(limited.exitCode, -1) << tool.name << " was killed";
        EXPECT_NE(limited.output.find("File too large"), std::string::npos)
            << tool.name << ": " << limited.output;
    }
}

TEST_F(EveryTool, OutputThatCannotBeWrittenIsNoSuccess) {
    for (const Tool& tool : tools) {
        const Finished lost = inShell("", tool, " > /dev/full");
        EXPECT_NE(lost.exitCode, 0) << tool.name;
        EXPECT_NE(
            lost.output.find(std::string(tool.name) + ": the output could not be written whole"),
            std::string::npos)
            << lost.output;
    }
}

} // namespace
} // namespace tovask::test
