// The sequential item format shared by the word file and the problem file.
#include "files/ItemReader.h"

#include "tests/files/FileTestSupport.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace tovask {
namespace {

using test::CollectDiagnostics;
using test::failureOf;

struct Read {
    std::string text;
    bool quoted;
    int line;
    int item;
    bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Read& r) {
    return out << "{\"" << r.text << "\"" << (r.quoted ? " quoted" : "") << " at " << r.line << ":"
               << r.item << "}";
}

// Every item of the text, read until only blanks and line ends are left.
std::vector<Read> readAll(const std::string& content) {
    ItemReader reader(content, "items.txt");
    ThrowOnError diagnostics;
    std::vector<Read> items;
    while (!reader.atEnd()) {
        const Item item = reader.next(diagnostics, "an item");
        items.push_back({item.text, item.quoted, item.where.line, item.where.item});
        if (items.size() > 100)
            break; // a reader that does not advance
    }
    return items;
}

struct Case {
    const char* name;
    std::string content;
    std::vector<Read> items;
};

TEST(ItemReader, SplitsItemsAtCommasAndLineEnds) {
    const Case cases[] = {
        {"commas", "a,b,c", {{"a", false, 1, 1}, {"b", false, 1, 2}, {"c", false, 1, 3}}},
        {"CR LF", "a,b\r\nc\r\n", {{"a", false, 1, 1}, {"b", false, 1, 2}, {"c", false, 2, 1}}},
        {"LF", "a,b\nc\n", {{"a", false, 1, 1}, {"b", false, 1, 2}, {"c", false, 2, 1}}},
        {"CR", "a,b\rc\r", {{"a", false, 1, 1}, {"b", false, 1, 2}, {"c", false, 2, 1}}},
        {"mixed line ends",
         "a\r\nb\nc\rd",
         {{"a", false, 1, 1}, {"b", false, 2, 1}, {"c", false, 3, 1}, {"d", false, 4, 1}}},
        {"blanks before items",
         "  a,\t b\r\n   c",
         {{"a", false, 1, 1}, {"b", false, 1, 2}, {"c", false, 2, 1}}},
        {"empty lines skipped",
         "\r\n\r\na\r\n\r\n  \r\nb\n\nc",
         {{"a", false, 3, 1}, {"b", false, 6, 1}, {"c", false, 8, 1}}},
        {"two commas give an empty item",
         "a,,b",
         {{"a", false, 1, 1}, {"", false, 1, 2}, {"b", false, 1, 3}}},
        {"a comma before the line end gives an empty item",
         "a,\r\nb",
         {{"a", false, 1, 1}, {"", false, 1, 2}, {"b", false, 2, 1}}},
        {"blanks between two commas",
         "a,   ,b",
         {{"a", false, 1, 1}, {"", false, 1, 2}, {"b", false, 1, 3}}},
        {"unquoted trailing blanks dropped",
         "a b  ,c\t\r\nd   ",
         {{"a b", false, 1, 1}, {"c", false, 1, 2}, {"d", false, 2, 1}}},
        {"quoted items keep commas and blanks",
         "\" a, b \",\"c\"\r\n\"\"",
         {{" a, b ", true, 1, 1}, {"c", true, 1, 2}, {"", true, 2, 1}}},
        {"blanks around a quoted item",
         "  \"x \"  ,  \"y\"  \r\nz",
         {{"x ", true, 1, 1}, {"y", true, 1, 2}, {"z", false, 2, 1}}},
        {"a quote inside an unquoted item stays",
         "a\"b,c",
         {{"a\"b", false, 1, 1}, {"c", false, 1, 2}}},
        {"accented text",
         "caff\xC3\xA8,pi\xC3\xB9",
         {{"caff\xC3\xA8", false, 1, 1}, {"pi\xC3\xB9", false, 1, 2}}},
        {"only blanks and line ends", " \r\n \n\t\r", {}},
        {"empty", "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readAll(c.content), c.items) << c.name;
}

TEST(ItemReader, PositionIsWhereTheNextItemStarts) {
    ItemReader reader("a,b\r\n\r\n  c", "items.txt");
    ThrowOnError diagnostics;
    reader.next(diagnostics, "an item");
    EXPECT_EQ(reader.position().line, 1);
    EXPECT_EQ(reader.position().item, 2);
    reader.next(diagnostics, "an item");
    EXPECT_EQ(reader.position().line, 3);
    EXPECT_EQ(reader.position().item, 1);
    EXPECT_EQ(reader.position().file, "items.txt");
    EXPECT_FALSE(reader.atEnd());
    EXPECT_EQ(reader.next(diagnostics, "an item").text, "c");
    EXPECT_TRUE(reader.atEnd());
}

TEST(ItemReader, ReportsFormatErrorsWithTheirPlace) {
    const struct {
        const char* name;
        std::string content;
        int itemsBefore; // items read without error before the faulty one
        std::string message;
    } cases[] = {
        {"unbalanced quote", "a,b,\"abc\r\nd", 2,
         "items.txt:1:3: unbalanced quote: the text \"abc has no closing quote on its line"},
        {"unbalanced quote at the end of the file", "a\r\n\"xyz", 1,
         "items.txt:2:1: unbalanced quote: the text \"xyz has no closing quote on its line"},
        {"text after a closing quote", "1,2\r\n3,\"ab\"cd,4", 3,
         "items.txt:2:2: text after the closing quote: \"cd\"; a quoted item must be followed "
         "by a comma or the end of the line"},
        {"a second quoted text after the first", "\"a\" \"b\"\r\n", 0,
         "items.txt:1:1: text after the closing quote: \"\"b\"\"; a quoted item must be "
         "followed by a comma or the end of the line"},
        {"end of the file", "a,b\r\n", 2, "items.txt:2: the file ends where an item should follow"},
        {"end of the file after a comma", "a,b,", 2,
         "items.txt:1: the file ends where an item should follow"},
        {"empty file", "", 0, "items.txt:1: the file ends where an item should follow"},
    };
    for (const auto& c : cases) {
        ItemReader reader(c.content, "items.txt");
        ThrowOnError diagnostics;
        for (int k = 0; k < c.itemsBefore; ++k)
            ASSERT_EQ(failureOf([&] { reader.next(diagnostics, "an item"); }), "") << c.name;
        EXPECT_EQ(failureOf([&] { reader.next(diagnostics, "an item"); }), c.message) << c.name;
    }
}

TEST(ItemReader, GoesOnAfterAReportedError) {
    // A checker that collects every error must get the later items at their right places.
    ItemReader reader("\"ab\"cd,e\r\n\"open\r\nf", "items.txt");
    CollectDiagnostics diagnostics;
    std::vector<Read> items;
    while (!reader.atEnd()) {
        const Item item = reader.next(diagnostics, "an item");
        items.push_back({item.text, item.quoted, item.where.line, item.where.item});
    }
    const std::vector<Read> expected = {
        {"ab", true, 1, 1}, {"e", false, 1, 2}, {"open", true, 2, 1}, {"f", false, 3, 1}};
    EXPECT_EQ(items, expected);
    ASSERT_EQ(diagnostics.errors.size(), 2u);
    EXPECT_EQ(diagnostics.errors[0].rfind("items.txt:1:1: text after the closing quote", 0), 0u)
        << diagnostics.errors[0];
    EXPECT_EQ(diagnostics.errors[1].rfind("items.txt:2:1: unbalanced quote", 0), 0u)
        << diagnostics.errors[1];
}

TEST(NumberItem, TakesUnquotedNumbersOnly) {
    ThrowOnError diagnostics;
    const auto item = [](std::string text, bool quoted) {
        return Item{std::move(text), quoted, Location{"items.txt", 4, 2}};
    };
    EXPECT_EQ(numberItem(item("2.5", false), diagnostics, "the amount"), 2.5);
    EXPECT_EQ(numberItem(item("-3", false), diagnostics, "the amount"), -3);
    const struct {
        std::string text;
        bool quoted;
    } refused[] = {{"abc", false}, {"", false}, {"1,5", true}, {"3", true}, {"0x10", false}};
    for (const auto& r : refused)
        EXPECT_EQ(failureOf([&] { numberItem(item(r.text, r.quoted), diagnostics, "the amount"); }),
                  "items.txt:4:2: \"" + r.text + "\" is not a number (the amount)");
}

} // namespace
} // namespace tovask
