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

// The text with every control character as "?", to be quoted in a message that it would
// otherwise cut or break.
std::string shownInMessage(std::string_view s);

} // namespace tovask
