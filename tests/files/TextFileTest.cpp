// Decoding text files, writing them whole, and keeping an earlier run's file.
#include "files/TextFile.h"

#include "base/Text.h"

#include "tests/files/FileTestSupport.h"
#include "tests/support/TestServices.h"
#ifndef _WIN32
#include "tests/support/Unprivileged.h"
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

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
    EXPECT_EQ(readFileBytes(services.programFolder() / "data" / "x.bin", "word file"),
              std::string("a\0b\r\n", 5));
    const fs::path missing = services.programFolder() / "data" / "none.wds";
    const std::string message = failureOf([&] { readFileBytes(missing, "word file"); });
    EXPECT_EQ(message.rfind("cannot open the word file " + missing.string(), 0), 0u) << message;
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
