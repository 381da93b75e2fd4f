#include "base/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tovask {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (s.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    static constexpr std::array<std::uint32_t, 5> smallest{0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool isValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = utf8SequenceLength(s, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string counted(std::size_t n, std::string_view noun) {
    return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

namespace {

// The number of characters of a text: its UTF-8 sequences, and each byte that starts none.
std::size_t characters(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n)
        i += std::max<std::size_t>(utf8SequenceLength(s, i), 1);
    return n;
}

// The text escaped, and cut with "…" after kEchoedCharacters characters.
std::string escapedAndCut(std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    std::size_t i = 0;
    for (std::size_t n = 0; i < s.size() && n < kEchoedCharacters; ++n) {
        const std::size_t length = utf8SequenceLength(s, i);
        const auto c = static_cast<unsigned char>(s[i]);
        if (length > 1) {
            shown.append(s.substr(i, length));
        } else if (c == '\t' || c == '\r' || c == '\n') {
            shown += '\\';
            shown += c == '\t' ? 't' : c == '\r' ? 'r' : 'n';
        } else if (length == 0 || c < 0x20 || c == 0x7F) {
            shown += "\\x";
            shown += kHex[c >> 4];
            shown += kHex[c & 0xF];
        } else {
            shown += static_cast<char>(c);
        }
        i += std::max<std::size_t>(length, 1);
    }
    if (i < s.size())
        shown += "\xE2\x80\xA6"; // …
    return shown;
}

// What follows a text that was cut.
std::string cutNote(std::string_view s) {
    const std::size_t n = characters(s);
    return n > kEchoedCharacters ? " (cut: " + std::to_string(n) + " characters in all)" : "";
}

} // namespace

std::string shownInMessage(std::string_view s) {
    return escapedAndCut(s) + cutNote(s);
}

std::string inQuotes(std::string_view s) {
    return "\"" + escapedAndCut(s) + "\"" + cutNote(s);
}

} // namespace tovask
