// What a run records in its log, and that neither a log nor a results file that cannot be
// written loses an answer.
#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/OperatingSystem.h"
#include "files/RunLog.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/LogSupport.h"
#include "tests/support/Run.h"
#ifndef _WIN32
#include "tests/support/Unprivileged.h"
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(RunRecord, NothingIsLoggedBeforeTheRunStarts) {
    LoggedRun run(2);
    run.x.InputDataFile.setText("missing"); // the click fails: no problem file
    run.click();
    run.x.WindowClosed();
    EXPECT_EQ(run.x.Stage, 0);
    EXPECT_FALSE(fs::exists(run.services.programFolder() / "data" / "outmissing.001.log"));
    EXPECT_FALSE(fs::exists(run.services.programFolder() / "data" / "out01.001.log"));
}

TEST(RunRecord, StartsWithTheParametersOfTheRun) {
    LoggedRun run(3);
    run.x.ReadTimeInput.setText("2.4"); // used as 2 seconds
    run.x.TreatmentVal.setText("2");
    run.click();
    const ReadRunLog log = run.log();
    std::map<std::string, std::string> parameters;
    for (const RunLogEvent& event : eventsOf<logread::Parameter>(log)) {
        EXPECT_EQ(event.stage, 0);
        EXPECT_EQ(event.msSinceStart, 0);
        EXPECT_EQ(event.time, "2024-03-05T14:07:09.042+01:00");
        parameters[event.as<logread::Parameter>()->name] = event.as<logread::Parameter>()->value;
    }
    EXPECT_EQ(parameters, (std::map<std::string, std::string>{
                              {"program_version", std::string(programVersion())},
                              {"data_file_text", "01"},
                              {"subject_number", "1"},
                              {"language", "English"},
                              {"treatment", "2"},
                              {"reading_time", "2"},
                              {"waiting_time", "1"},
                              {"problem_file", "inp01.001"},
                              {"problem_count", "3"}}));
    EXPECT_FALSE(programVersion().empty());
}

TEST(RunRecord, RecordsEachProblemShownMovedAndAnswered) {
    LoggedRun run(2);
    run.startToFirstProblem();
    run.answer({600, 700});
    run.answer({});
    const ReadRunLog log = run.log();

    const auto shown = eventsOf<logread::ProblemShown>(log);
    ASSERT_EQ(shown.size(), 2u);
    for (int p = 1; p <= 2; ++p) {
        const RunLogEvent& event = shown[static_cast<std::size_t>(p - 1)];
        const auto& problem = *event.as<logread::ProblemShown>();
        EXPECT_EQ(event.stage, 3);
        // The line as analysis scripts read it.
        EXPECT_NE(run.logText().find(",3,problem_shown," + std::to_string(p) +
                                     ",,rev=" + std::to_string(*run.x.rev[p]) +
                                     " inv=" + std::to_string(*run.x.inv[p]) +
                                     " pt=11 orig=" + std::to_string(100 + p) +
                                     " a=" + std::to_string(10 + p) + " e1=1 e2=0.5 e3=2\n"),
                  std::string::npos);
        EXPECT_EQ(problem.pn, p);
        EXPECT_EQ(problem.rev, *run.x.rev[p]);
        EXPECT_EQ(problem.inv, *run.x.inv[p]);
        EXPECT_EQ(problem.a, 10 + p);
        EXPECT_EQ(problem.e[2], 0.5f);
    }

    // Stage 3 sets the slider to its middle: that change is the program's, not the subject's,
    // and so is the one that sets it back from 700 for problem 2.
    const auto slider = eventsOf<logread::SliderMoved>(log);
    ASSERT_EQ(slider.size(), 4u);
    const std::vector<std::pair<int, bool>> expected = {
        {500, false}, {600, true}, {700, true}, {500, false}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(slider[i].as<logread::SliderMoved>()->value, expected[i].first);
        EXPECT_EQ(slider[i].as<logread::SliderMoved>()->bySubject, expected[i].second);
    }
    EXPECT_EQ(slider[2].as<logread::SliderMoved>()->all, run.x.all[1]);
    EXPECT_EQ(slider[3].as<logread::SliderMoved>()->pn, 2);
    EXPECT_NE(run.logText().find(
                  ",3,slider,1,600,all=" + exactText(*slider[1].as<logread::SliderMoved>()->all) +
                  " by=subject\n"),
              std::string::npos);
    const auto answered = eventsOf<logread::ProblemAnswered>(log);
    ASSERT_EQ(answered.size(), 2u);
    const auto& first = *answered[0].as<logread::ProblemAnswered>();
    EXPECT_EQ(first.pn, 1);
    EXPECT_EQ(answered[0].stage, 4);
    EXPECT_EQ(first.all, run.x.all[1]);
    // Two moves 250 ms apart, then the waiting second: 1500 ms from the problem to the click.
    EXPECT_EQ(first.moves, 2);
    EXPECT_EQ(first.decisionMs, 1500);
    EXPECT_NE(run.logText().find(",4,problem_answered,1," + exactText(*run.x.all[1]) +
                                 ",moves=2 decision_ms=1500\n"),
              std::string::npos);
    const auto& second = *answered[1].as<logread::ProblemAnswered>();
    EXPECT_EQ(second.all, 6); // half of the amount 12
    EXPECT_EQ(second.moves, 0);
    EXPECT_EQ(second.decisionMs, 1000);
}

TEST(RunRecord, RecordsTheKeyTheResultsAndThePlayingOut) {
    LoggedRun run(2);
    run.toResults();
    run.ctrlC();
    run.click(); // stage 7
    run.x.TaskNumber.setText("2");
    run.click();          // stage 8
    run.x.WindowClosed(); // after the end: nothing more to record
    const ReadRunLog log = run.log();

    const auto keys = eventsOf<logread::Released>(log);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].stage, 11);
    EXPECT_EQ(keys[0].as<logread::Released>()->hold, logread::HoldPoint::Instructions);
    EXPECT_EQ(keys[1].stage, 6);
    EXPECT_EQ(keys[1].as<logread::Released>()->hold, logread::HoldPoint::PlayingOut);
    EXPECT_FALSE(keys[1].as<logread::Released>()->byConsole);
    EXPECT_NE(run.logText().find(",11,experimenter_key,,3,released=instructions\n"),
              std::string::npos);

    const auto written = eventsOf<logread::ResultsWritten>(log);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].as<logread::ResultsWritten>()->file,
              (run.services.programFolder() / "data" / "out01.001").string());

    const auto played = eventsOf<logread::PlayedOut>(log);
    ASSERT_EQ(played.size(), 1u);
    const auto& task = *played[0].as<logread::PlayedOut>();
    EXPECT_EQ(task.pn, 2);
    // Problem 2: amount 12, the subject's share all(2); side one is group 2 at 0.5, side two
    // group 3 at 2.
    const double one = *run.x.all[2];
    EXPECT_EQ(task.unitsOne, one);
    EXPECT_EQ(task.moneyOne, one * 0.5);
    EXPECT_EQ(task.moneyTwo, (12 - one) * 2);
    EXPECT_NE(run.logText().find(",played_out,2,,units_one=" + exactText(one) + " units_two=" +
                                 exactText(12 - one) + " money_one=" + exactText(one * 0.5) +
                                 " money_two=" + exactText((12 - one) * 2) + "\n"),
              std::string::npos);
    EXPECT_TRUE(eventsOf<logread::WindowClosed>(log).empty());
    EXPECT_TRUE(log.events.back().as<logread::PlayedOut>());
}

TEST(RunRecord, RecordsAWindowClosedDuringTheRun) {
    LoggedRun run(3);
    run.startToFirstProblem();
    run.answer({});
    run.click(); // problem 2 on the screen
    run.x.WindowClosed();
    const auto closed = eventsOf<logread::WindowClosed>(run.log());
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].as<logread::WindowClosed>()->pn, 2);
    EXPECT_EQ(closed[0].stage, 3);
}

// Closing the window between the first problem shown and the end asks first, says where the
// answers are, and the log records the choice; before and after that it closes at once, and
// the log has no line of it.
TEST(RunRecord, ClosingTheWindowDuringTheRunAsksFirstAndRecordsTheChoice) {
    const auto toEnd = [](LoggedRun& run) {
        run.toResults();
        run.ctrlC();
        run.click(); // stage 7
        run.click(); // stage 8: the task is played out
    };
    struct Case {
        const char* when;
        std::function<void(LoggedRun&)> reach;
        bool yes;
        std::string logged; // the line of the choice; empty where nothing is asked
        std::string where;  // where the question says the answers are: a file of data/
    };
    const auto toProblem = [](LoggedRun& run) {
        run.startToFirstProblem();
        run.click();
    };
    const std::vector<Case> cases = {
        {"the parameter screen", [](LoggedRun&) {}, false, "", ""},
        {"the instructions", [](LoggedRun& run) { run.click(); }, false, "", ""},
        {"before the first problem", [](LoggedRun& run) { run.startToFirstProblem(); }, false, "",
         ""},
        {"a problem, closed", toProblem, true, ",3,close_asked,1,close,\n",
         "run log out01.001.log"},
        {"a problem, gone on", toProblem, false, ",3,close_asked,1,go_on,\n",
         "run log out01.001.log"},
        {"the playing out", [](LoggedRun& run) { run.toResults(); }, true,
         ",6,close_asked,,close,\n", "results file out01.001"},
        {"the end", toEnd, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when);
        LoggedRun run(2);
        c.reach(run);
        run.services.yes = c.yes;
        EXPECT_EQ(run.x.form.queryClose(), c.yes || c.logged.empty());
        const fs::path data = run.services.programFolder() / "data";
        const std::string text = fs::exists(data / "out01.001.log") ? run.logText() : "";
        if (c.logged.empty()) {
            EXPECT_TRUE(run.services.questions.empty());
            EXPECT_FALSE(contains(text, "close_asked"));
            continue;
        }
        ASSERT_EQ(run.services.questions.size(), 1u);
        const auto& [title, question] = run.services.questions[0];
        EXPECT_EQ(title, "tovask");
        const std::string file = c.where.substr(c.where.rfind(' ') + 1);
        EXPECT_TRUE(
            contains(question, c.where.substr(0, c.where.rfind(' ') + 1) + (data / file).string()))
            << question;
        EXPECT_TRUE(contains(text, c.logged)) << text;
        EXPECT_EQ(eventsOf<logread::Other>(run.log()).back().as<logread::Other>()->event,
                  logged::kCloseAsked);
    }
}

TEST(RunRecord, AnEarlierRunsLogIsKept) {
    LoggedRun run(1);
    run.services.writeData("out01.001.log", "the log of an earlier run\n");
    run.toResults();
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(run.services.programFolder() / "data"))
        kept += entry.path().filename().string().rfind("out01.001.log.earlier-", 0) == 0;
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(eventsOf<logread::ProblemAnswered>(run.log()).size(), 1u);
}

// Without its log a run could keep no answer: the click that would start it is refused as a
// whole, says where and why, and leaves neither a lock nor a piece of a log; once the cause is
// gone the next click starts the run.
TEST(RunRecord, ARunWhoseLogCannotBeCreatedDoesNotStart) {
    const std::vector<std::pair<const char*, std::function<void(LoggedRun&)>>> causes = {
        {"no new file",
         [](LoggedRun& run) {
             NoNewFiles refusing;
             const os::FileSystemReplacement replaced(refusing);
             run.click();
         }},
#ifndef _WIN32 // POSIX: a folder's rights, a file size limit
        {"a read-only folder",
         [](LoggedRun& run) {
             const fs::path data = run.services.programFolder() / "data";
             fs::permissions(
                 data, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                 fs::perm_options::remove);
             {
                 const Unprivileged asLabUser;
                 run.click();
             }
             fs::permissions(data, fs::perms::owner_write, fs::perm_options::add);
         }},
        {"not one line fits",
         [](LoggedRun& run) {
             const FileSizeLimit nothing(0);
             run.click();
         }},
#endif
    };
    for (const auto& [cause, click] : causes) {
        SCOPED_TRACE(cause);
        LoggedRun run(2);
        const std::string before = snapshot(run.x);
        click(run);
        EXPECT_EQ(snapshot(run.x), before);
        ASSERT_EQ(run.services.messages.size(), 1u);
        const std::string& message = run.services.messages[0].second;
        const fs::path data = run.services.programFolder() / "data";
        for (const std::string& part :
             {"cannot create the run log " + (data / "out01.001.log").string() + ": ",
              std::string("the run does not start"), "the data folder " + data.string(),
              std::string("click Continue again")})
            EXPECT_TRUE(contains(message, part)) << message;
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(data))
            if (!entry.path().filename().string().starts_with("inp") &&
                entry.path().extension() != ".wds")
                left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>{});

        run.click();
        EXPECT_EQ(run.x.Stage, 1);
        EXPECT_EQ(eventsOf<logread::Parameter>(run.log()).size(), 9u);
    }
}

// The answers of a run whose results file cannot be written, and a reference run that writes it.
struct BlockedResults {
    BlockedResults() {
        reference.toResults();
        run.startToFirstProblem();
        for (int p = 1; p <= 4; ++p)
            run.answer({100 + 10 * p});
    }
    LoggedRun reference{4};
    LoggedRun run{4};
};

#ifndef _WIN32 // the file size limit is POSIX
TEST(UnwritableResults, AFileSizeLimitIsShownTheAnswersAreLoggedAndTheNextClickWrites) {
    BlockedResults r;
    {
        FileSizeLimit limit(64); // less than the header and four lines; less than the log too
        r.run.click();           // stage 6: the results cannot be written
        r.run.click();           // and again, while the cause is there
    }
    EXPECT_EQ(r.run.x.Stage, 6);
    EXPECT_EQ(r.run.x.KeyArmed, 0); // the playing out cannot start before the results exist
    EXPECT_FALSE(fs::exists(r.run.services.programFolder() / "data" / "out01.001"));
    int resultsMessages = 0, logMessages = 0;
    for (const auto& [title, text] : r.run.services.messages) {
        resultsMessages += contains(text, "cannot write") && contains(text, "out01.001:");
        logMessages += contains(text, "run log");
    }
    EXPECT_EQ(resultsMessages, 2);
    EXPECT_EQ(logMessages, 1); // said once, however many lines are lost
    const auto answered = eventsOf<logread::ProblemAnswered>(r.run.log());
    ASSERT_EQ(answered.size(), 4u);
    for (int p = 1; p <= 4; ++p)
        EXPECT_EQ(answered[static_cast<std::size_t>(p - 1)].as<logread::ProblemAnswered>()->all,
                  r.run.x.all[p]);

    r.run.click(); // the limit is gone
    EXPECT_EQ(r.run.services.readData("out01.001"), r.reference.services.readData("out01.001"));
    EXPECT_EQ(r.run.x.KeyArmed, 1);
    EXPECT_EQ(eventsOf<logread::ResultsWritten>(r.run.log()).size(), 1u);
}
#endif

// The system's file system, but forcing a folder onto the disk fails with the error set.
class FolderSyncFails : public ForwardingFileSystem {
public:
    void syncFolder(const fs::path& folder) override {
        if (!error)
            return ForwardingFileSystem::syncFolder(folder);
        throw std::system_error(std::make_error_code(*error));
    }
    std::optional<std::errc> error;
};

TEST(FolderSync, AFileSystemWithoutItIsNotedOnceAndAnInputOutputErrorFailsTheWrite) {
    FolderSyncFails folders;
    const os::FileSystemReplacement replaced(folders);
    const std::string failed = std::make_error_code(std::errc::io_error).message();
    {
        SCOPED_TRACE("a network share that cannot force a folder at all");
        folders.error = std::errc::invalid_argument;
        LoggedRun run(2);
        run.toResults();
        EXPECT_TRUE(run.services.messages.empty());
        const auto noted = eventsOf<logread::Other>(run.log());
        ASSERT_EQ(noted.size(), 1u);
        EXPECT_EQ(noted[0].as<logread::Other>()->event, logged::kFolderSyncUnsupported);
        EXPECT_EQ(noted[0].as<logread::Other>()->value,
                  std::make_error_code(std::errc::invalid_argument).message());
        EXPECT_EQ(eventsOf<logread::ResultsWritten>(run.log()).size(), 1u);
    }
    {
        SCOPED_TRACE("a disk that fails at the start");
        folders.error = std::errc::io_error;
        LoggedRun run(2);
        run.click();
        EXPECT_EQ(run.x.Stage, 0);
        ASSERT_EQ(run.services.messages.size(), 1u);
        EXPECT_TRUE(contains(run.services.messages[0].second, "cannot create the run log"));
        EXPECT_TRUE(contains(run.services.messages[0].second, failed));
    }
    {
        SCOPED_TRACE("a disk that fails at the results");
        folders.error.reset();
        LoggedRun run(2);
        run.startToFirstProblem();
        run.answer({});
        run.answer({});
        folders.error = std::errc::io_error;
        run.click();
        ASSERT_EQ(run.services.messages.size(), 1u);
        EXPECT_TRUE(contains(run.services.messages[0].second, "out01.001: " + failed));
        EXPECT_EQ(run.x.Stage, 6);
        EXPECT_EQ(run.x.KeyArmed, 0);
    }
}

#ifndef _WIN32 // a read-only folder flag does not stop writes on Windows
TEST(UnwritableResults, AReadOnlyFolderIsShownLoggedAndTheNextClickWrites) {
    BlockedResults r;
    const fs::path data = r.run.services.programFolder() / "data";
    fs::permissions(data, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    {
        const Unprivileged asLabUser;
        r.run.click();
    }
    fs::permissions(data, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(r.run.x.Stage, 6);
    ASSERT_EQ(r.run.services.messages.size(), 1u);
    EXPECT_TRUE(contains(r.run.services.messages[0].second, "cannot write"));
    const auto failed = eventsOf<logread::ResultsFailed>(r.run.log());
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].as<logread::ResultsFailed>()->why, r.run.services.messages[0].second);
    EXPECT_EQ(eventsOf<logread::ProblemAnswered>(r.run.log()).size(), 4u);

    r.run.click();
    EXPECT_EQ(r.run.services.readData("out01.001"), r.reference.services.readData("out01.001"));
}
#endif

} // namespace
} // namespace tovask::test
