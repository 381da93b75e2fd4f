#include "tools/common/Json.h"

#include "base/Numbers.h"
#include "base/Text.h"

#include <cmath>

namespace tovask::tools {

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

void JsonWriter::open(char bracket) {
    beforeValue();
    text_ += bracket;
    empty_.push_back(true);
}

void JsonWriter::close(char bracket) {
    text_ += bracket;
    empty_.pop_back();
}

void JsonWriter::beginObject() {
    open('{');
}
void JsonWriter::endObject() {
    close('}');
}
void JsonWriter::beginArray() {
    open('[');
}
void JsonWriter::endArray() {
    close(']');
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
        const std::size_t length = utf8SequenceLength(text, i);
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
    text_ += exactText(value);
}

void JsonWriter::number(double value) {
    if (!std::isfinite(value))
        return null();
    beforeValue();
    text_ += exactText(value);
}

void JsonWriter::integer(std::int64_t value) {
    beforeValue();
    text_ += std::to_string(value);
}

} // namespace tovask::tools
