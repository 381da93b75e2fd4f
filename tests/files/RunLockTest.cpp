// One run at a time on a subject's files: the click that starts a run takes the lock beside the
// results file, refuses while another run may hold it (the parameter screen staying as it
// was), takes over a lock left by a run that has ended, and releases it when the run ends or
// the window closes.
#include "files/OperatingSystem.h"
#include "files/RunLogReader.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/Run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kOneProblem{"1,14,11,10,1,1.5,2"};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A lock as a run of the computer `host` with the system id `machine` writes it.
std::string lockOf(const std::string& host, std::uint64_t process, const std::string& start,
                   const std::string& machine = os::machineId()) {
    return lockText(
        {host, machine, std::to_string(process), start, "2024-03-05T14:07:09.042+01:00"});
}

TEST(RunLock, ALockThatMayStillBeHeldRefusesTheRunAndOneLeftBehindIsRemoved) {
    const std::uint64_t self = os::processId();
    const struct {
        const char* name;
        std::string lock;
        bool old; // written an hour ago
        std::vector<std::string> said;
        bool refused;
    } cases[] = {
        {"another PC",
         lockOf("lab-elsewhere", 4242, "1"),
         true,
         {"in use by another run on the PC \"lab-elsewhere\", started "
          "2024-03-05T14:07:09.042+01:00",
          "delete "},
         true},
        {"a run of this PC that goes on",
         lockOf(os::hostName(), self, os::processStart(self).mark),
         true,
         {"in use by another run on this PC (\"" + os::hostName() +
          "\"), started 2024-03-05T14:07:09.042+01:00, process " + std::to_string(self)},
         true},
        // Cloned PCs share a name; a process of the other one cannot be looked at.
        {"another PC of the same name",
         lockOf(os::hostName(), self, "another start", "another-machine"),
         true,
         {"on a PC named \"" + os::hostName() + "\" that may not be this one", "delete "},
         true},
        {"a lock of an earlier version, without the system id",
         lockOf(os::hostName(), self, "another start", ""),
         true,
         {"that may not be this one"},
         true},
        {"a lock being written", "host=", false, {"in use by another run that is starting"}, true},
        {"a run of this PC that has ended",
         lockOf(os::hostName(), self, "another start"),
         false,
         {"ended without finishing", "process " + std::to_string(self), "The lock was removed"},
         false},
        {"a lock left empty by a power cut",
         "",
         true,
         {"its lock file was left incomplete"},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session run(kOneProblem);
        run.services.writeData("lock-out01.001", c.lock);
        const fs::path lock = run.services.programFolder() / "data" / "lock-out01.001";
        if (c.old)
            fs::last_write_time(lock, fs::file_time_type::clock::now() - std::chrono::hours(1));
        const std::string before = snapshot(run.x);
        run.click();
        ASSERT_EQ(run.services.messages.size(), 1u);
        const std::string& message = run.services.messages[0].second;
        for (const std::string& part : c.said)
            EXPECT_TRUE(contains(message, part)) << message;
        if (c.refused) {
            EXPECT_EQ(snapshot(run.x), before);
            EXPECT_TRUE(contains(message, "The files of this run (" +
                                              (lock.parent_path() / "out01.001").string() +
                                              " and its run log) are in use by another run"))
                << message;
            EXPECT_EQ(run.services.readData("lock-out01.001"), c.lock);
            EXPECT_FALSE(fs::exists(lock.parent_path() / "out01.001.log"));
        } else {
            EXPECT_EQ(run.x.Stage, 1);
            EXPECT_NE(run.services.readData("lock-out01.001"), c.lock);
            const ReadRunLog log = parseRunLog(run.services.readData("out01.001.log"), "log");
            EXPECT_TRUE(std::ranges::any_of(log.events, [](const RunLogEvent& e) {
                return e.as<logread::StaleLockRemoved>() != nullptr;
            }));
        }
    }
}

TEST(RunLock, IsHeldFromTheStartToTheEndOfTheRunOrTheClosedWindow) {
    Session first(kOneProblem);
    const fs::path data = first.services.programFolder() / "data";
    first.readInstructions();
    ASSERT_EQ(first.x.Stage, 11);
    const std::string lock = first.services.readData("lock-out01.001");
    EXPECT_TRUE(contains(lock, "host=" + os::hostName() + "\n")) << lock;
    EXPECT_TRUE(contains(lock, "process=" + std::to_string(os::processId()) + "\n")) << lock;

    // A second window in the same folder: the same files are refused, others are free.
    Experiment second(first.services);
    second.Experiment_Load();
    second.ReadTimeInput.setText("1");
    second.TimeToWait.setText("1");
    second.Continue.click();
    EXPECT_EQ(second.Stage, 0);
    ASSERT_EQ(first.services.messages.size(), 1u);
    EXPECT_TRUE(contains(first.services.messages[0].second, "in use by another run on this PC"));
    first.services.writeData("inp02.001", problemFile(kOneProblem));
    second.InputDataFile.setText("02");
    second.Continue.click();
    EXPECT_EQ(second.Stage, 1);
    EXPECT_TRUE(fs::exists(data / "lock-out02.001"));
    second.WindowClosed();
    EXPECT_FALSE(fs::exists(data / "lock-out02.001"));

    // The rest of the run: the lock is released with the playing out.
    first.key(kCtrlC);
    first.click();
    first.present();
    first.confirm();
    first.click();
    first.key(kCtrlC);
    first.click();
    EXPECT_TRUE(fs::exists(data / "lock-out01.001"));
    first.x.TaskNumber.setText("1");
    first.click();
    ASSERT_EQ(first.x.Stage, 9);
    EXPECT_FALSE(fs::exists(data / "lock-out01.001"));
    EXPECT_EQ(first.services.messages.size(), 1u);
}

// The system's file system, but a lock file cannot be created: no space left.
class NoRoomForLocks : public ForwardingFileSystem {
public:
    Handle create(const fs::path& path) override {
        if (path.filename().string().starts_with("lock-"))
            throw std::system_error(ENOSPC, std::generic_category());
        return ForwardingFileSystem::create(path);
    }
};

TEST(RunLock, ALockThatCannotBeWrittenIsSaidOnceAndTheRunGoesOn) {
    NoRoomForLocks noRoom;
    os::FileSystemReplacement replaced(noRoom);
    Session run(kOneProblem);
    run.click();
    EXPECT_EQ(run.x.Stage, 1);
    ASSERT_EQ(run.services.messages.size(), 1u);
    const std::string& message = run.services.messages[0].second;
    EXPECT_TRUE(contains(
        message, "The files of this run cannot be locked against a second run (" +
                     (run.services.programFolder() / "data" / "lock-out01.001").string() + ": "))
        << message;
    EXPECT_TRUE(contains(message, "The run goes on")) << message;
    EXPECT_TRUE(fs::exists(run.services.programFolder() / "data" / "out01.001.log"));
}

// The system's file system, but a lock file cannot be removed: no right to.
class LocksStay : public ForwardingFileSystem {
public:
    void remove(const fs::path& path) override {
        if (path.filename().string().starts_with("lock-"))
            throw std::system_error(EACCES, std::generic_category());
        ForwardingFileSystem::remove(path);
    }
};

TEST(RunLock, ALockThatCannotBeRemovedAtTheEndIsSaid) {
    for (const bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "the window closed" : "the playing out");
        LocksStay stay;
        const os::FileSystemReplacement replaced(stay);
        Session run(kOneProblem);
        run.click();
        if (closed) {
            run.x.WindowClosed();
        } else {
            run.answerAll();
            run.click(); // the results
            run.key(kCtrlC);
            run.click();
            run.x.TaskNumber.setText("1");
            run.click();
            ASSERT_EQ(run.x.Stage, 9);
        }
        ASSERT_EQ(run.services.messages.size(), 1u);
        EXPECT_EQ(run.services.messages[0].second,
                  "The run has ended, but its lock file " +
                      (run.services.programFolder() / "data" / "lock-out01.001").string() +
                      " could not be removed (" +
                      std::make_error_code(std::errc::permission_denied).message() +
                      "). Delete it: until then a run of the same input data file on another PC "
                      "is refused.");
    }
}

} // namespace
} // namespace tovask::test
