// The data checker and the readers it shares with the program. What tovask-check prints for
// each broken file is pinned by broken/*.expected (the check.cli.* tests); these cases cover
// what a single file cannot show.
#include "tools/check/DataCheck.h"

#include "base/Failure.h"
#include "files/OperatingSystem.h"
#include "files/ProblemFile.h"
#include "files/TextFile.h"
#include "files/WordFile.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/TestServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tovask::check {
namespace {

namespace fs = std::filesystem;

std::string brokenFile(const std::string& name) {
    return readFileBytes(fs::path(TOVASK_BROKEN_DATA) / name, reading::kDataFile);
}

std::string bundledFile(const std::string& name) {
    return readFileBytes(fs::path(TOVASK_SOURCE_DATA) / name, reading::kDataFile);
}

// The checker reports every fault a subject would meet as an error, but the program reads with
// ThrowOnError and must go on stopping only where a file cannot be used at all.
TEST(DataCheck, TheProgramStopsOnlyAtFilesItCannotUse) {
    const struct {
        const char* name;
        bool stops;
    } cases[] = {
        {"words-fewer.wds", false},        {"words-empty.wds", false},
        {"words-split.wds", false},        {"words-opening-quote.wds", false},
        {"words-undecodable.wds", false},  {"words-replaced.wds", false},
        {"words-closing-quote.wds", true}, {"words-ends-early.wds", true},
        {"inp-pair.001", false},           {"inp-number.001", false},
        {"inp-zero.001", false},           {"inp-rate.001", false},
        {"inp-left.001", false},           {"inp-count.001", true},
        {"inp-short.001", true},           {"inp-type.001", true},
        {"inp-large.001", true},           {"inp-no-positive.001", true},
    };
    for (const auto& c : cases) {
        const std::string bytes = brokenFile(c.name);
        ThrowOnError program;
        std::vector<int> wrongNumbers;
        bool stopped = false;
        try {
            if (kindOf(c.name) == FileKind::words)
                parseWordFile(bytes, c.name, program);
            else
                parseProblemFile(bytes, c.name, program,
                                 [&](int pn, const Location&) { wrongNumbers.push_back(pn); });
        } catch (const Failure&) {
            stopped = true;
        }
        EXPECT_EQ(stopped, c.stops) << c.name;
        // The one fault the program reports itself, as it reads.
        if (std::string(c.name) == "inp-number.001") {
            EXPECT_EQ(wrongNumbers, std::vector<int>{5});
        }
    }
}

FileCheck counted(const std::string& name, int count) {
    FileCheck file{name, FileKind::words, {}, count, {name, 1, 1}};
    return file;
}

TEST(DataCheck, LanguageFilesAreComparedWithTheEnglishOne) {
    std::vector<FileCheck> files = {counted("data/german.wds", 40), counted("data/italian.wds", 41),
                                    counted("data/english.wds", 40)};
    compareLanguages(files);
    EXPECT_TRUE(files[0].findings.empty());
    EXPECT_TRUE(files[2].findings.empty());
    ASSERT_EQ(files[1].findings.size(), 1u);
    EXPECT_EQ(format(files[1].findings[0]),
              "data/italian.wds:1:1: warning: the file has 41 texts and english.wds has 40; word k "
              "must be the same text in every language");

    // Without an English file the first word file is the measure.
    std::vector<FileCheck> withoutEnglish = {counted("french.wds", 39), counted("italian.wds", 40)};
    compareLanguages(withoutEnglish);
    EXPECT_TRUE(withoutEnglish[0].findings.empty());
    ASSERT_EQ(withoutEnglish[1].findings.size(), 1u);
    EXPECT_NE(withoutEnglish[1].findings[0].message.find("french.wds has 39"), std::string::npos);
}

TEST(DataCheck, AWordFileWithErrorsIsNotComparedSinceItsCountIsInDoubt) {
    std::vector<FileCheck> files = {checkWordFile(bundledFile("english.wds"), "english.wds"),
                                    checkWordFile(brokenFile("words-fewer.wds"), "italian.wds")};
    EXPECT_EQ(files[0].wordCount, 40);
    EXPECT_FALSE(files[1].wordCount);
    compareLanguages(files);
    EXPECT_TRUE(files[0].findings.empty());
    ASSERT_EQ(files[1].findings.size(), 1u); // its own error only
    EXPECT_NE(files[1].findings[0].message.find("38 texts"), std::string::npos);
}

// A folder or a link loop where the program reads a file is listed, so that reading it reports
// it; a link loop of another name gets a warning, and stops nothing.
TEST(DataCheck, ByDefaultEveryWordFileAndProblemFileOfTheFolderInNameOrder) {
    test::TestServices services;
    const fs::path data = services.programFolder() / "data";
    for (const char* name : {"italian.wds", "inp02.001", "english.wds", "inp01.001", "out01.001",
                             "out01.001.log", "logo.png", "notes.txt"})
        services.writeData(name, "1\r\n");
    fs::create_directory(data / "inp-old");
    fs::create_directory(data / "inp03.001");
    std::error_code error;
    fs::create_symlink("inp04.001", data / "inp04.001", error); // a loop
    fs::create_symlink("loop", data / "loop", error);
#ifndef _WIN32
    ASSERT_FALSE(error);
#endif
    const DataFolder found = dataFolder(data);
    std::vector<std::string> names;
    for (const fs::path& file : found.files)
        names.push_back(file.filename().string());
    std::vector<std::string> expected{"english.wds", "inp01.001", "inp02.001",
                                      "inp03.001",   "inp04.001", "italian.wds"};
    if (error) // no symbolic links on this platform (Wine)
        std::erase(expected, "inp04.001");
    EXPECT_EQ(names, expected);
    ASSERT_EQ(found.brokenLinks.size(), error ? 0u : 1u);
    if (!error) {
        EXPECT_EQ(
            format(found.brokenLinks[0].findings.at(0))
                .rfind((data / "loop").string() + ": warning: a link that leads to no file (", 0),
            0u);
    }
}

// A data folder where a run could create neither its log nor its lock is an error, found
// without leaving a file behind.
TEST(DataCheck, ADataFolderThatRefusesNewFilesIsAnError) {
    test::TestServices services;
    const fs::path data = services.programFolder() / "data";
    EXPECT_FALSE(checkDataFolder(data));
    EXPECT_TRUE(fs::is_empty(data));

    test::NoNewFiles refusing;
    const os::FileSystemReplacement replaced(refusing);
    const auto finding = checkDataFolder(data);
    ASSERT_TRUE(finding);
    EXPECT_EQ(finding->severity, Severity::error);
    EXPECT_EQ(format(*finding).rfind(data.string() + ": error: no file can be created in the data "
                                                     "folder (",
                                     0),
              0u)
        << format(*finding);
}

} // namespace
} // namespace tovask::check
