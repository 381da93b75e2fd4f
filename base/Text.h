#pragma once
// Small helpers on text bytes shared by the file readers, the script reader and the JSON writer.

#include <cstddef>
#include <string>
#include <string_view>

namespace tovask {

// A blank between items or words: a space or a tab.
inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text without the blanks at either end.
std::string_view trimBlanks(std::string_view s);

// The length of the valid UTF-8 sequence that starts at s[i], or 0 when the byte there starts
// none (a stray continuation byte, a truncated sequence, an overlong form, a surrogate or a
// value beyond U+10FFFF).
std::size_t utf8SequenceLength(std::string_view s, std::size_t i);

bool isValidUtf8(std::string_view s);

// "1 file", "3 files": a count and its noun, plural from 2 on and for 0.
std::string counted(std::size_t n, std::string_view noun);

// The most characters of a text from outside (a file, a box of the screen) that a message
// echoes: enough to recognise it, and a message box stays readable.
inline constexpr std::size_t kEchoedCharacters = 100;

// A text from outside as a message shows it: every control character and every byte that is no
// UTF-8 written as an escape (\t, \r, \n, \x00, \xE8), so that a NUL cannot cut the message
// short nor a line end break it; and cut after kEchoedCharacters characters, ending in "…" and
// a note that says so: abc… (cut: 10485760 characters in all).
std::string shownInMessage(std::string_view s);
// The same in double quotes, the note after them: "abc…" (cut: 10485760 characters in all).
std::string inQuotes(std::string_view s);

} // namespace tovask
