// Decoding text files, writing them whole, and keeping an earlier run's file.
#include "files/TextFile.h"

#include "base/Text.h"
#include "files/OperatingSystem.h"
#include "files/RunLog.h"

#include "tests/files/FileTestSupport.h"
#include "tests/support/TestServices.h"
#ifndef _WIN32
#include "tests/support/Unprivileged.h"
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tovask {
namespace {

namespace fs = std::filesystem;
using test::failureOf;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The names in a folder.
std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// ---- Decoding ----------------------------------------------------------------------------

TEST(DecodeText, TakesUtf8AsItIsAndElseWindows1252) {
    test::expectForEach(
        {
            {"ASCII", "plain, text\r\n", "plain, text\r\n"},
            {"UTF-8 stays", "caff\xC3\xA8 pi\xC3\xB9", "caff\xC3\xA8 pi\xC3\xB9"},
            {"UTF-8 byte-order mark dropped",
             "\xEF\xBB\xBF"
             "40\r\n",
             "40\r\n"},
            {"a mark in the middle stays", "a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},
            {"four-byte UTF-8", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
            {"Windows-1252 e grave", "caff\xE8", "caff\xC3\xA8"},
            {"Windows-1252 accented Italian", "pi\xF9 \xE0 \xF2 \xEC \xC8",
             "pi\xC3\xB9 \xC3\xA0 \xC3\xB2 \xC3\xAC \xC3\x88"},
            {"Windows-1252 euro and quotes", "\x80 \x93x\x94 \x85",
             "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\xA6"},
            {"unassigned Windows-1252 byte", "\x81", "\xEF\xBF\xBD"},
            {"one bad byte makes the whole file Windows-1252", "\xC3\xA8 \xE8",
             "\xC3\x83\xC2\xA8 \xC3\xA8"},
            {"overlong form is not UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
            {"surrogate is not UTF-8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
            {"cut-off sequence is not UTF-8", "ab\xC3", "ab\xC3\x83"},
            {"empty", "", ""},
        },
        decodeText);
}

TEST(IsValidUtf8, AcceptsOnlyWellFormedSequences) {
    const struct {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"abc", true},
        {"\xC3\xA8", true},
        {"\xE2\x82\xAC", true},
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
        {"\xF4\x90\x80\x80", false}, // beyond Unicode
        {"\xE8", false},
        {"\xC3", false},
        {"\xC3\x28", false},
        {"\x80", false},
        {"\xE0\x80\x80", false}, // overlong
        {"\xED\xBF\xBF", false}, // surrogate
        {"\xF8\x88\x80\x80\x80", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
}

// ---- Reading -----------------------------------------------------------------------------

TEST(ReadFileBytes, ReturnsTheBytesOrNamesTheMissingFile) {
    test::TestServices services;
    services.writeData("x.bin", std::string("a\0b\r\n", 5));
    EXPECT_EQ(readFileBytes(services.programFolder() / "data" / "x.bin", reading::kWordFile),
              std::string("a\0b\r\n", 5));
    const fs::path missing = services.programFolder() / "data" / "none.wds";
    const std::string message = failureOf([&] { readFileBytes(missing, reading::kWordFile); });
    EXPECT_EQ(message.rfind("cannot open the word file " + missing.string(), 0), 0u) << message;
}

#ifndef _WIN32
// Reads a FIFO that nothing writes to. A reader that waited on it would hang the test, so a
// writer that closes at once frees it after a few seconds, and the test fails.
std::string refusalOfAFifo(const fs::path& fifo) {
    std::atomic<bool> done = false;
    std::atomic<bool> freed = false;
    std::thread watchdog([&] {
        for (int waited = 0; waited < 500 && !done; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (const int fd = done ? -1 : ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) {
            freed = true;
            ::close(fd);
        }
    });
    const std::string message = failureOf([&] { readFileBytes(fifo, reading::kWordFile); });
    done = true;
    watchdog.join();
    EXPECT_FALSE(freed) << "the reader waited on the FIFO";
    return message;
}
#endif

TEST(ReadFileBytes, TakesOnlyARegularFileOfBoundedSize) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        std::string refusal; // what the message says after "<the file>: "
    };
    std::vector<Case> cases{
        {"a folder", [](const fs::path& at) { fs::create_directory(at); }, "it is a folder"},
        {"one byte beyond the bound",
         [](const fs::path& at) {
             std::ofstream(at, std::ios::binary).put('4');
             fs::resize_file(at, reading::kWordFile.maxBytes + 1);
         },
         "it holds 1048577 bytes, more than a word file can (1048576 bytes); is it the right "
         "file?"},
    };
#ifndef _WIN32
    cases.push_back({"a link to a device",
                     [](const fs::path& at) { fs::create_symlink("/dev/zero", at); },
                     "it is not a regular file but a device"});
    cases.push_back({"a FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0); },
                     "it is not a regular file but a FIFO (a named pipe)"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestServices services;
        const fs::path path = services.programFolder() / "data" / "english.wds";
        c.make(path);
#ifndef _WIN32
        const std::string message =
            fs::is_fifo(path) ? refusalOfAFifo(path)
                              : failureOf([&] { readFileBytes(path, reading::kWordFile); });
#else
        const std::string message = failureOf([&] { readFileBytes(path, reading::kWordFile); });
#endif
        EXPECT_EQ(message, "cannot read the word file " + path.string() + ": " + c.refusal);
    }
}

// ---- Writing -----------------------------------------------------------------------------

TEST(WriteFileAtomically, WritesAndReplacesLeavingNoTemporaryFile) {
    test::TestServices services;
    const fs::path data = services.programFolder() / "data";
    const fs::path path = data / "out01.001";
    writeFileAtomically(path, "first\r\n");
    EXPECT_EQ(readBytes(path), "first\r\n");
    writeFileAtomically(path, "second, longer\r\n");
    EXPECT_EQ(readBytes(path), "second, longer\r\n");
    writeFileAtomically(path, "");
    EXPECT_EQ(readBytes(path), "");
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(namesIn(data), std::set<std::string>{"out01.001"});
}

TEST(WriteFileAtomically, FailsNamingTheFileWhenTheFolderIsMissing) {
    test::TestServices services;
    const fs::path path = services.programFolder() / "no-such-folder" / "out01.001";
    const std::string message = failureOf([&] { writeFileAtomically(path, "x\r\n"); });
    EXPECT_EQ(message.rfind("cannot write " + path.string() + ": ", 0), 0u) << message;
    EXPECT_FALSE(fs::exists(path.parent_path()));
}

#ifndef _WIN32 // a read-only folder flag does not stop writes on Windows
TEST(WriteFileAtomically, FailsNamingTheFileWhenTheFolderIsReadOnly) {
    test::TestServices services;
    const fs::path data = services.programFolder() / "data";
    const fs::path path = data / "out01.001";
    fs::permissions(data, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::string message;
    {
        const test::Unprivileged asLabUser;
        message = failureOf([&] { writeFileAtomically(path, "x\r\n"); });
    }
    fs::permissions(data, fs::perms::owner_all);
    EXPECT_EQ(message.rfind("cannot write " + path.string() + ": ", 0), 0u) << message;
    EXPECT_TRUE(namesIn(data).empty());
}
#endif

TEST(WriteFileAtomically, RemovesTheTemporaryFileWhenTheRenameFails) {
    test::TestServices services;
    const fs::path data = services.programFolder() / "data";
    const fs::path path = data / "out01.001";
    fs::create_directories(path / "inside"); // a non-empty folder where the file should go
    const std::string message = failureOf([&] { writeFileAtomically(path, "x\r\n"); });
    EXPECT_EQ(message.rfind("cannot write " + path.string() + ": ", 0), 0u) << message;
    EXPECT_EQ(namesIn(data), std::set<std::string>{"out01.001"});
    EXPECT_TRUE(fs::is_directory(path));
}

// ---- Never through a link ----------------------------------------------------------------

// What a member of the data folder's group could put at a name the program is about to create,
// to make it write into a file outside the folder. False where the platform cannot make it
// (Wine may have no symbolic links).
struct Planted {
    const char* what;
    bool (*plant)(const fs::path& outside, const fs::path& at);
};

const Planted kPlanted[] = {
    {"a symbolic link",
     [](const fs::path& outside, const fs::path& at) {
         std::error_code error;
         fs::create_symlink(outside, at, error);
         return !error;
     }},
    {"a symbolic link to a file not there yet",
     [](const fs::path& outside, const fs::path& at) {
         std::error_code error;
         fs::create_symlink(outside.parent_path() / "not-there-yet", at, error);
         return !error;
     }},
    {"a hard link",
     [](const fs::path& outside, const fs::path& at) {
         std::error_code error;
         fs::create_hard_link(outside, at, error);
         return !error;
     }},
};

// Plants each kind of link at `name` in a fresh data folder, lets `write` do its work, and
// checks that the file outside stayed as it was and that nothing was created where the
// dangling link leads.
void forEachPlantedLink(const std::string& name,
                        const std::function<void(const fs::path& data)>& write) {
    for (const Planted& planted : kPlanted) {
        SCOPED_TRACE(std::string(planted.what) + " at " + name);
        test::TestServices services;
        const fs::path outside = services.programFolder() / "outside.txt";
        std::ofstream(outside, std::ios::binary) << "precious";
        if (!planted.plant(outside, services.programFolder() / "data" / name)) {
#ifndef _WIN32
            ADD_FAILURE() << "cannot make the link";
#endif
            continue;
        }
        write(services.programFolder() / "data");
        EXPECT_EQ(readBytes(outside), "precious");
        EXPECT_FALSE(fs::exists(services.programFolder() / "not-there-yet"));
    }
}

// A file the program has just written: a new regular file of its own, no link to another.
void expectOwnFile(const fs::path& path) {
    std::error_code error;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path, error))) << path;
    EXPECT_EQ(fs::hard_link_count(path, error), 1u) << path;
}

TEST(NoWriteThroughALink, ANewFileIsNeverCreatedWhereSomethingHasTheName) {
    forEachPlantedLink("lock-out01.001", [](const fs::path& data) {
        EXPECT_THROW(os::fileSystem().create(data / "lock-out01.001"), std::system_error);
        EXPECT_NE(firstFreeName(data / "lock-out01.001"), data / "lock-out01.001");
    });
}

TEST(NoWriteThroughALink, TheResultsAndTheRunLogAreNewFilesOfTheirOwn) {
    forEachPlantedLink("out01.001.tmp", [](const fs::path& data) {
        writeFileAtomically(data / "out01.001", "results\r\n");
        EXPECT_EQ(readBytes(data / "out01.001"), "results\r\n");
        expectOwnFile(data / "out01.001");
    });
    forEachPlantedLink("out01.001.log", [](const fs::path& data) {
        { const RunLog log(data / "out01.001.log", systemLogClock()); }
        EXPECT_EQ(readBytes(data / "out01.001.log").rfind(RunLog::kHeader, 0), 0u);
        expectOwnFile(data / "out01.001.log");
    });
}

TEST(WriteFileAtomically, AFolderInPlaceOfTheTemporaryFileIsNamed) {
    test::TestServices services;
    const fs::path path = services.programFolder() / "data" / "out01.001";
    fs::create_directory(services.programFolder() / "data" / "out01.001.tmp");
    const std::string message = failureOf([&] { writeFileAtomically(path, "x\r\n"); });
    EXPECT_EQ(message.rfind("cannot write " + path.string() + ": its temporary file " +
                                path.string() + ".tmp is in the way and cannot be removed (",
                            0),
              0u)
        << message;
}

// ---- Keeping an earlier file -------------------------------------------------------------

TEST(KeepEarlierFile, NoFileGivesAnEmptyPath) {
    test::TestServices services;
    EXPECT_EQ(keepEarlierFile(services.programFolder() / "data" / "out01.001"), fs::path());
    EXPECT_TRUE(namesIn(services.programFolder() / "data").empty());
}

TEST(KeepEarlierFile, RenamesTheFileBesideItUnderANewNameEachTime) {
    test::TestServices services;
    const fs::path data = services.programFolder() / "data";
    const fs::path path = data / "out01.001";
    // Both files get the same modification time, so a name made of the time alone would clash.
    const auto time = fs::file_time_type::clock::now() - std::chrono::hours(1);

    services.writeData("out01.001", "first run\r\n");
    fs::last_write_time(path, time);
    const fs::path first = keepEarlierFile(path);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.parent_path(), data);
    EXPECT_EQ(first.filename().string().rfind("out01.001.earlier-", 0), 0u) << first;
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(readBytes(first), "first run\r\n");

    services.writeData("out01.001", "second run\r\n");
    fs::last_write_time(path, time);
    const fs::path second = keepEarlierFile(path);
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, first);
    EXPECT_NE(second.filename().string().find(".earlier-"), std::string::npos) << second;
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(readBytes(first), "first run\r\n");
    EXPECT_EQ(readBytes(second), "second run\r\n");

    EXPECT_EQ(keepEarlierFile(path), fs::path()); // nothing left to keep
    EXPECT_EQ(namesIn(data).size(), 2u);
}

} // namespace
} // namespace tovask
