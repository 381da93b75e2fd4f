// How a message shows a text from outside: whole, on one line, and not too long.
#include "base/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace tovask {
namespace {

TEST(InQuotes, EscapesWhatWouldCutOrBreakAMessageAndCutsALongText) {
    const std::string hundred(100, 'x');
    const struct {
        const char* what;
        std::string text;
        std::string shown;
    } cases[] = {
        {"plain", "1e39", "\"1e39\""},
        {"UTF-8 letters stay", "pi\xC3\xB9 \xE2\x82\xAC", "\"pi\xC3\xB9 \xE2\x82\xAC\""},
        {"NUL of a file saved as UTF-16",
         std::string("\xFF\xFE"
                     "4\0",
                     4),
         "\"\\xFF\\xFE4\\x00\""},
        {"line ends and a tab", "a\r\nb\tc", "\"a\\r\\nb\\tc\""},
        {"escape and delete", "\x1B[2J\x7F", "\"\\x1B[2J\\x7F\""},
        {"a hundred characters are whole", hundred, "\"" + hundred + "\""},
        {"beyond, cut with a note", hundred + "\xC3\xA8" + std::string(1000000, 'y'),
         "\"" + hundred + "\xE2\x80\xA6\" (cut: 1000101 characters in all)"},
        {"a cut never splits a letter", std::string(99, 'x') + "\xC3\xA8\xC3\xA8",
         "\"" + std::string(99, 'x') + "\xC3\xA8\xE2\x80\xA6\" (cut: 101 characters in all)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inQuotes(c.text), c.shown) << c.what;
    EXPECT_EQ(shownInMessage(std::string(101, 'z')),
              std::string(100, 'z') + "\xE2\x80\xA6 (cut: 101 characters in all)");
}

} // namespace
} // namespace tovask
