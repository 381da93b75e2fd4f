#include "tools/script/Json.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tovask::script {

namespace {

// The length of the valid UTF-8 sequence that starts at s[i], or 0 when the byte there starts
// none (a stray continuation byte, a truncated sequence, an overlong form, a surrogate or a
// value beyond U+10FFFF).
std::size_t sequenceLength(std::string_view s, std::size_t i) {
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

template <typename T> void appendShortest(std::string& out, T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back())
            text_ += ',';
        empty_.back() = false;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    text_ += '{';
    empty_.push_back(true);
}

void JsonWriter::endObject() {
    text_ += '}';
    empty_.pop_back();
}

void JsonWriter::beginArray() {
    beforeValue();
    text_ += '[';
    empty_.push_back(true);
}

void JsonWriter::endArray() {
    text_ += ']';
    empty_.pop_back();
}

void JsonWriter::key(std::string_view name) {
    string(name);
    text_ += ':';
    afterKey_ = true;
}

void JsonWriter::string(std::string_view text) {
    beforeValue();
    text_ += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) {
            text_ += "\xEF\xBF\xBD"; // U+FFFD
            ++i;
            continue;
        }
        if (length > 1) {
            text_.append(text, i, length);
            i += length;
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            text_ += "\\\"";
            break;
        case '\\':
            text_ += "\\\\";
            break;
        case '\b':
            text_ += "\\b";
            break;
        case '\f':
            text_ += "\\f";
            break;
        case '\n':
            text_ += "\\n";
            break;
        case '\r':
            text_ += "\\r";
            break;
        case '\t':
            text_ += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                text_ += "\\u00";
                text_ += kHex[(c >> 4) & 0xF];
                text_ += kHex[c & 0xF];
            } else {
                text_ += c;
            }
        }
    }
    text_ += '"';
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    text_ += value ? "true" : "false";
}

void JsonWriter::null() {
    beforeValue();
    text_ += "null";
}

void JsonWriter::number(float value) {
    if (!std::isfinite(value))
        return null();
    beforeValue();
    appendShortest(text_, value);
}

void JsonWriter::number(double value) {
    if (!std::isfinite(value))
        return null();
    beforeValue();
    appendShortest(text_, value);
}

void JsonWriter::integer(std::int64_t value) {
    beforeValue();
    appendShortest(text_, value);
}

} // namespace tovask::script
