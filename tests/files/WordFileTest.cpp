// The language word file: a count n, then n texts that become words 1 to n.
#include "files/WordFile.h"

#include "tests/files/FileTestSupport.h"
#include "tests/support/TestServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tovask {
namespace {

namespace fs = std::filesystem;
using test::CollectDiagnostics;
using test::failureOf;

WordTable parse(const std::string& bytes) {
    ThrowOnError diagnostics;
    return parseWordFile(bytes, "words.wds", diagnostics);
}

// The error the word file raises.
std::string errorOf(const std::string& bytes) {
    return failureOf([&] { parse(bytes); });
}

// "n\r\n" then the texts "<1>" ... "<n>", each quoted on its own line.
std::string numberedFile(int announced, int present) {
    std::string text = std::to_string(announced) + "\r\n";
    for (int k = 1; k <= present; ++k)
        text += "\"" + test::W(k) + "\"\r\n";
    return text;
}

TEST(WordFile, FortyTextsFillWordsOneToFortyAndLeaveTheRestEmpty) {
    const WordTable table = parse(numberedFile(40, 40));
    EXPECT_EQ(table.count, 40);
    EXPECT_EQ(table.words[0], "");
    for (int k = 1; k <= 40; ++k)
        EXPECT_EQ(table.words[k], test::W(k)) << "word " << k;
    for (int k = 41; k <= 100; ++k)
        EXPECT_EQ(table.words[k], "") << "word " << k;
}

TEST(WordFile, ItemsAfterTheAnnouncedTextsAreNotRead) {
    CollectDiagnostics diagnostics;
    const WordTable table = parseWordFile("2\r\na,b,c,d\r\n", "words.wds", diagnostics);
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(table.words[2], "b");
    EXPECT_EQ(table.words[3], "");
    EXPECT_TRUE(diagnostics.errors.empty());
    ASSERT_FALSE(diagnostics.warnings.empty());
    EXPECT_EQ(diagnostics.warnings.back(),
              "words.wds:2:3: items after the last of the 2 announced texts are not read");
}

TEST(WordFile, AQuotedCommaKeepsOneWordWhereAnUnquotedOneSplitsIt) {
    const WordTable quoted = parse("4\r\n\"red, yellow\"\r\n\"blue\"\r\ngreen\r\nend\r\n");
    EXPECT_EQ(quoted.words[1], "red, yellow");
    EXPECT_EQ(quoted.words[2], "blue");
    EXPECT_EQ(quoted.words[3], "green");
    EXPECT_EQ(quoted.words[4], "end");

    // The same without quotes gives two words and shifts every later one by a place.
    const WordTable unquoted = parse("4\r\nred, yellow\r\n\"blue\"\r\ngreen\r\nend\r\n");
    EXPECT_EQ(unquoted.words[1], "red");
    EXPECT_EQ(unquoted.words[2], "yellow");
    EXPECT_EQ(unquoted.words[3], "blue");
    EXPECT_EQ(unquoted.words[4], "green");
    EXPECT_EQ(unquoted.words[5], "");
}

TEST(WordFile, ACommaBeforeALineEndLeavesAnEmptyText) {
    // As between two commas, and wherever in the file it stands.
    for (const std::string bytes :
         {"3\r\na,\r\nb\r\nc\r\n", "3\r\na,,b\r\nc\r\n", "3,a,\r\nb\r\nc\r\n"}) {
        const WordTable table = parse(bytes);
        EXPECT_EQ(table.words[1], "a") << testing::PrintToString(bytes);
        EXPECT_EQ(table.words[2], "") << testing::PrintToString(bytes);
        EXPECT_EQ(table.words[3], "b") << testing::PrintToString(bytes);
    }
}

TEST(WordFile, QuotedBlanksStayAndUnquotedTrailingBlanksGo) {
    const WordTable table =
        parse("5\r\n\"There are \"\r\n\" problems.\"\r\n  \" both \"  \r\n  plain   \r\n\"\"\r\n");
    EXPECT_EQ(table.words[1], "There are ");
    EXPECT_EQ(table.words[2], " problems.");
    EXPECT_EQ(table.words[1] + "12" + table.words[2], "There are 12 problems.");
    EXPECT_EQ(table.words[3], " both ");
    EXPECT_EQ(table.words[4], "plain");
    EXPECT_EQ(table.words[5], "");
}

TEST(WordFile, NothingAnnouncedLeavesEveryWordEmpty) {
    for (const std::string bytes : {"0", "0\r\n", "0\r\n\"ignored\"\r\n"}) {
        const WordTable table = parse(bytes);
        EXPECT_EQ(table.count, 0) << bytes;
        for (int k = 0; k <= 100; ++k)
            EXPECT_EQ(table.words[k], "") << bytes << " word " << k;
    }
}

TEST(WordFile, OneHundredTextsFitTheTable) {
    const WordTable table = parse(numberedFile(100, 100));
    EXPECT_EQ(table.count, 100);
    EXPECT_EQ(table.words[100], test::W(100));
}

TEST(WordFile, RefusesABadCountOrAShortFile) {
    test::expectForEach(
        {
            {"more than 100", numberedFile(101, 101),
             "words.wds:1:1: the number of texts must be a whole number from 0 to 100, not 101"},
            {"negative", "-1\r\n",
             "words.wds:1:1: the number of texts must be a whole number from 0 to 100, not -1"},
            {"fractional", "2.5\r\na,b,c\r\n",
             "words.wds:1:1: the number of texts must be a whole number from 0 to 100, not 2.5"},
            {"not a number", "forty\r\n\"a\"\r\n",
             "words.wds:1:1: \"forty\" is not a number (the number of texts)"},
            {"quoted count", "\"40\"\r\n",
             "words.wds:1:1: \"40\" is not a number (the number of texts)"},
            {"empty file", "",
             "words.wds:1: the file ends where the number of texts should follow"},
            {"fewer texts than announced", numberedFile(40, 38),
             "words.wds:40:1: the file ends after 38 of the 40 texts it announces"},
            {"file ends without a line end", "3\r\na,b",
             "words.wds:2:3: the file ends after 2 of the 3 texts it announces"},
            {"unbalanced quote", "2\r\n\"one\"\r\n\"two\r\n",
             "words.wds:3:1: unbalanced quote: the text \"two has no closing quote on its line"},
            {"saved as UTF-16 without its byte-order mark", std::string("1\0\r\0\n\0", 6),
             "words.wds:1: the file holds a NUL byte, so it was most likely saved as UTF-16: save "
             "it as UTF-8 or ANSI"},
            {"a NUL byte on line 3", std::string("2\r\n\"one\"\r\n\"t\0o\"\r\n", 16),
             "words.wds:3: the file holds a NUL byte, so it was most likely saved as UTF-16: save "
             "it as UTF-8 or ANSI"},
            {"a control character", "4\x1B[2J\r\n",
             "words.wds:1:1: \"4\\x1B[2J\" is not a number (the number of texts)"},
        },
        errorOf);
}

TEST(WordFile, DecodesWindows1252AndUtf8Alike) {
    const std::string utf8Words = "caff\xC3\xA8 pi\xC3\xB9";
    test::expectForEach({{"Windows-1252", "1\r\n\"caff\xE8 pi\xF9\"\r\n", utf8Words},
                         {"UTF-8", "1\r\n\"caff\xC3\xA8 pi\xC3\xB9\"\r\n", utf8Words},
                         {"UTF-8 with byte-order mark",
                          "\xEF\xBB\xBF"
                          "1\r\n\"caff\xC3\xA8 pi\xC3\xB9\"\r\n",
                          utf8Words},
                         // Windows Notepad's "Unicode" and "Unicode big endian".
                         {"UTF-16 little-endian with byte-order mark",
                          std::string("\xFF\xFE"
                                      "1\0\r\0\n\0\"\0c\0a\0f\0f\0\xE8\0 \0p\0i\0\xF9\0\"\0",
                                      30),
                          utf8Words},
                         {"UTF-16 big-endian with byte-order mark",
                          std::string("\xFE\xFF"
                                      "\0001\0\r\0\n\0\"\0c\0a\0f\0f\0\xE8\0 \0p\0i\0\xF9\0\"",
                                      30),
                          utf8Words},
                         {"UTF-16 surrogate pair, a lone surrogate and an odd last byte",
                          std::string("\xFF\xFE"
                                      "1\0\r\0\n\0\"\0=\xD8\x00\xDE\x00\xD8\"\0\r\0\n\0x",
                                      23),
                          "\xF0\x9F\x98\x80\xEF\xBF\xBD"}},
                        [](const std::string& bytes) { return parse(bytes).words[1]; });
}

// A file read as Windows-1252 because one line is not UTF-8: a line that is UTF-8 in it would
// reach the subject garbled.
TEST(WordFile, WarnsAboutAUtf8LineInAFileReadAsWindows1252) {
    CollectDiagnostics diagnostics;
    const WordTable table = parseWordFile(
        "3\r\n\"caff\xE8\"\r\n\"di pi\xC3\xB9, grazie\"\r\n\"ok\"\r\n", "words.wds", diagnostics);
    EXPECT_TRUE(diagnostics.errors.empty());
    EXPECT_EQ(diagnostics.warnings.at(0),
              "words.wds:3: this line is UTF-8, but the file as a whole is not, so it is read as "
              "Windows-1252 and the subject would see \"pi\xC3\x83\xC2\xB9\" for "
              "\"pi\xC3\xB9\": save the whole file as UTF-8");
    EXPECT_EQ(table.words[2], "di pi\xC3\x83\xC2\xB9, grazie");
}

TEST(WordFile, ReadsFromTheDataFolderOrNamesTheMissingFile) {
    test::TestServices services;
    services.writeNumberedWords("english.wds");
    ThrowOnError diagnostics;
    const fs::path path = services.programFolder() / "data" / "english.wds";
    EXPECT_EQ(readWordFile(path, diagnostics).words[40], test::W(40));

    const fs::path missing = services.programFolder() / "data" / "german.wds";
    const std::string message = failureOf([&] { readWordFile(missing, diagnostics); });
    EXPECT_NE(message.find(missing.string()), std::string::npos) << message;
}

TEST(WordFile, BundledFilesHoldFortyTexts) {
    for (const char* name : {"english.wds", "italian.wds"}) {
        CollectDiagnostics diagnostics;
        const WordTable table = readWordFile(fs::path(TOVASK_SOURCE_DATA) / name, diagnostics);
        EXPECT_TRUE(diagnostics.errors.empty()) << name << ": " << diagnostics.errors.front();
        EXPECT_TRUE(diagnostics.warnings.empty()) << name << ": " << diagnostics.warnings.front();
        EXPECT_EQ(table.count, 40) << name;
        EXPECT_FALSE(table.words[1].empty()) << name;
        for (int k = 3; k <= 40; ++k)
            EXPECT_FALSE(table.words[k].empty()) << name << " word " << k;
        for (int k = 41; k <= 100; ++k)
            EXPECT_EQ(table.words[k], "") << name << " word " << k;
    }
}

TEST(WordFile, BundledItalianKeepsItsAccents) {
    ThrowOnError diagnostics;
    const WordTable table = readWordFile(fs::path(TOVASK_SOURCE_DATA) / "italian.wds", diagnostics);
    EXPECT_EQ(table.words[5], " unit\xC3\xA0 al ");
    EXPECT_NE(table.words[40].find("pi\xC3\xB9"), std::string::npos) << table.words[40];
    EXPECT_NE(table.words[10].find(" \xC3\xA8 "), std::string::npos) << table.words[10];
}

} // namespace
} // namespace tovask
