// A whole run of ten problems, recorded operation by operation, is cut by a simulated power
// failure at every point. In every state the disk could be left in: the recovery of
// tovask-recover rebuilds every answer whose log line had been forced onto the disk, byte for
// byte; the results file is the earlier run's, this run's, or absent, never a part of one, and
// this run's once the log says for sure that it was written; nothing of the earlier run of the
// same name is lost.
#include "tests/tools/PowerCut.h"
#include "base/Failure.h"
#include "files/ProblemFile.h"
#include "files/RunLog.h"
#include "tests/support/TestServices.h"
#include "tests/tools/TenProblemRun.h"
#include "tools/recover/Recovery.h"
#include "tools/script/Runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;
using Operation = RecordingFileSystem::Operation;

void play(const TestServices& folder, const std::vector<Step>& steps) {
    std::ostringstream out, err;
    script::Runner runner(folder.programFolder(), out, err);
    ASSERT_EQ(runner.load(), script::Status::Running);
    int line = 0;
    for (const Step& step : steps)
        ASSERT_EQ(runner.feed(step.line, ++line), script::Status::Running)
            << step.line << err.str();
}

Folder contents(const TestServices& folder) {
    Folder files;
    for (const auto& entry : fs::directory_iterator(folder.programFolder() / "data"))
        files[entry.path().filename().string()] = folder.readData(entry.path().filename().string());
    return files;
}

// The lines of an event in the run log that a sync of it had forced onto the disk before
// `done` operations.
std::size_t forcedLines(const std::vector<Operation>& operations, std::size_t done,
                        std::string_view event) {
    const std::string field = "," + std::string(event) + ",";
    std::optional<os::FileSystem::Handle> log;
    std::size_t written = 0, forced = 0;
    for (std::size_t i = 0; i < done; ++i) {
        const Operation& op = operations[i];
        if (op.kind == Operation::Kind::Create && op.name == "out01.001.log")
            log = op.file;
        else if (log == op.file && op.kind == Operation::Kind::Write)
            written += op.bytes.find(field) != std::string::npos;
        else if (log == op.file && op.kind == Operation::Kind::Sync)
            forced = written;
    }
    return forced;
}

std::string describe(const Folder& state, const std::vector<Operation>& operations,
                     std::size_t done) {
    std::string text = "cut after " + std::to_string(done) + " operations";
    if (done > 0) {
        // The name of the file of the last operation, from the creation of its handle.
        const Operation& last = operations[done - 1];
        std::string name = last.name;
        for (std::size_t i = 0; i < done && name.empty(); ++i)
            if (operations[done - 1 - i].kind == Operation::Kind::Create &&
                operations[done - 1 - i].file == last.file)
                name = operations[done - 1 - i].name;
        const char* const kinds[] = {"create", "write",  "truncate", "sync",
                                     "close",  "rename", "remove",   "folder sync"};
        text += std::string(", the last a ") + kinds[static_cast<int>(last.kind)] + " of " + name;
    }
    text += "; the folder holds";
    for (const auto& [name, bytes] : state)
        text += " " + name + " (" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

TEST(PowerCut, NoStateLosesAForcedAnswerOrTearsAResultsFile) {
    TestServices run;
    run.copyBundled("english.wds");
    run.writeData("inp01.001", kTenProblems);
    // An earlier run of the same list, with every slider left where the problem put it.
    std::vector<Step> earlierRun;
    for (const Step& step : tenProblemRun())
        if (!step.line.starts_with("slider"))
            earlierRun.push_back(step);
    play(run, earlierRun);
    const Folder before = contents(run);
    const std::string earlierResults = before.at("out01.001");
    const std::string earlierLog = before.at("out01.001.log");

    RecordingFileSystem recorder;
    {
        os::FileSystemReplacement replaced(recorder);
        play(run, tenProblemRun());
    }
    const std::string results = run.readData("out01.001");
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < results.size();) {
        const std::size_t end = results.find("\r\n", start) + 2;
        lines.push_back(results.substr(start, end - start));
        start = end;
    }
    ASSERT_EQ(lines.size(), 11u);
    ASSERT_NE(results, earlierResults);

    ThrowOnError stopAtError;
    const ProblemList problems = readProblemFile(run.programFolder() / "data" / "inp01.001",
                                                 stopAtError, [](int, const Location&) {});
    const std::size_t states =
        forEachPowerCut(before, recorder.operations, [&](const Folder& state, std::size_t done) {
            if (::testing::Test::HasFailure())
                return; // the first state that fails tells the story
            SCOPED_TRACE(describe(state, recorder.operations, done));
            const auto out = state.find("out01.001");
            EXPECT_TRUE(out == state.end() || out->second == earlierResults ||
                        out->second == results);
            bool resultsKept = out != state.end() && out->second == earlierResults;
            const auto log = state.find("out01.001.log");
            bool logKept = log != state.end() && log->second == earlierLog;
            for (const auto& [name, bytes] : state) {
                if (name.starts_with("out01.001.earlier-")) {
                    EXPECT_EQ(bytes, earlierResults) << name;
                    resultsKept = true;
                } else if (name.starts_with("out01.001.log.earlier-")) {
                    EXPECT_EQ(bytes, earlierLog) << name;
                    logKept = true;
                }
            }
            EXPECT_TRUE(resultsKept) << "the earlier run's results are lost";
            EXPECT_TRUE(logKept) << "the earlier run's log is lost";

            // Once the log says for sure that the results were written, they are there.
            if (forcedLines(recorder.operations, done, logged::kResultsWritten) > 0) {
                EXPECT_TRUE(out != state.end() && out->second == results);
            }

            const std::size_t forced =
                forcedLines(recorder.operations, done, logged::kProblemAnswered);
            if (forced == 0)
                return;
            ASSERT_EQ(log == state.end(), false) << "the run log is lost";
            try {
                const recover::Recovered recovered =
                    recover::rebuildResults(parseRunLog(log->second, "out01.001.log"), problems,
                                            "out01.001.log", "inp01.001");
                // Every answer forced is there; one that was not may be there too.
                std::string expected = lines[0];
                for (const int p : recovered.answered)
                    expected += lines.at(static_cast<std::size_t>(p));
                EXPECT_EQ(recovered.results, expected);
                for (std::size_t p = 1; p <= forced; ++p)
                    EXPECT_TRUE(std::ranges::count(recovered.answered, static_cast<int>(p)))
                        << "answer " << p << " was forced onto the disk, but is not recovered";
            } catch (const Failure& failure) {
                ADD_FAILURE() << failure.what();
            }
        });
    std::cout << "[ power cut ] " << recorder.operations.size() << " operations recorded, "
              << states << " distinct states checked\n";
    EXPECT_GT(states, recorder.operations.size());
}

} // namespace
} // namespace tovask::test
