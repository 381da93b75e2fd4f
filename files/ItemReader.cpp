#include "files/ItemReader.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "files/TextFile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tovask {

ItemReader::ItemReader(std::string content, std::string file)
    : content_(std::move(content)), file_(std::move(file)) {}

bool ItemReader::atLineEnd() const {
    return pos_ < content_.size() && (content_[pos_] == '\n' || content_[pos_] == '\r');
}

void ItemReader::consumeLineEnd() {
    if (content_[pos_] == '\r' && pos_ + 1 < content_.size() && content_[pos_ + 1] == '\n')
        ++pos_;
    ++pos_;
    ++line_;
    itemInLine_ = 0;
}

void ItemReader::skipToItem() {
    for (;;) {
        while (pos_ < content_.size() && isBlank(content_[pos_]))
            ++pos_;
        if (!atLineEnd() || afterComma_) // a comma before the line end: an empty item is next
            return;
        consumeLineEnd();
    }
}

bool ItemReader::atEnd() {
    skipToItem();
    return pos_ >= content_.size();
}

Location ItemReader::position() {
    skipToItem();
    return {file_, line_, itemInLine_ + 1};
}

void ItemReader::consumeSeparator(Diagnostics& diagnostics, const Location& where) {
    while (pos_ < content_.size() && isBlank(content_[pos_]))
        ++pos_;
    if (pos_ >= content_.size())
        return;
    if (content_[pos_] == ',') {
        ++pos_;
        afterComma_ = true;
        return;
    }
    if (atLineEnd()) {
        consumeLineEnd();
        afterComma_ = false;
        return;
    }
    diagnostics.error(where, "text after the closing quote: " + inQuotes(takeUnquoted()) +
                                 "; a quoted item must be followed by a comma or the end of "
                                 "the line");
    consumeSeparator(diagnostics, where);
}

std::string ItemReader::takeUnquoted() {
    const std::size_t start = pos_;
    while (pos_ < content_.size() && content_[pos_] != ',' && !atLineEnd())
        ++pos_;
    std::size_t end = pos_;
    while (end > start && isBlank(content_[end - 1]))
        --end;
    return content_.substr(start, end - start);
}

Item ItemReader::next(Diagnostics& diagnostics, const std::string& expected) {
    // Blanks before an item are skipped; empty lines too, unless a comma stands before them.
    while (pos_ < content_.size() && isBlank(content_[pos_]))
        ++pos_;
    if (!afterComma_ || pos_ >= content_.size())
        skipToItem();
    Item item;
    item.where = {file_, line_, ++itemInLine_};
    if (pos_ >= content_.size()) {
        item.where.item = 0;
        diagnostics.error(item.where, "the file ends where " + expected + " should follow");
        return item;
    }
    if (content_[pos_] == '"') {
        item.quoted = true;
        const std::size_t start = ++pos_;
        while (pos_ < content_.size() && content_[pos_] != '"' && !atLineEnd())
            ++pos_;
        item.text = content_.substr(start, pos_ - start);
        if (pos_ >= content_.size() || content_[pos_] != '"') {
            diagnostics.error(item.where, "unbalanced quote: the text \"" +
                                              shownInMessage(item.text) +
                                              " has no closing quote on its line");
        } else {
            ++pos_;
        }
        consumeSeparator(diagnostics, item.where);
        return item;
    }
    item.text = takeUnquoted();
    afterComma_ = false;
    consumeSeparator(diagnostics, item.where);
    return item;
}

namespace {

// The word around the first letter of the line that UTF-8 spells with more than one byte.
std::string_view wordAroundFirstLetter(std::string_view line) {
    std::size_t at = 0;
    while (utf8SequenceLength(line, at) == 1)
        ++at;
    const auto delimiter = [](char c) { return isBlank(c) || c == ',' || c == '"' || c == '\r'; };
    std::size_t start = at;
    while (start > 0 && !delimiter(line[start - 1]))
        --start;
    std::size_t end = at;
    while (end < line.size() && !delimiter(line[end]))
        ++end;
    return line.substr(start, end - start);
}

bool isAscii(std::string_view s) {
    return std::ranges::all_of(s, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::optional<std::string> dataFileText(std::string_view bytes, Encoding encoding,
                                        const std::string& file, Diagnostics& diagnostics) {
    const auto lineAt = [bytes](std::size_t at) {
        return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + at, '\n'));
    };
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos &&
                                                  encoding != Encoding::utf16LittleEndian &&
                                                  encoding != Encoding::utf16BigEndian) {
        diagnostics.error({file, lineAt(nul), 0},
                          "the file holds a NUL byte, so it was most likely saved as UTF-16: save "
                          "it as UTF-8 or ANSI");
        return std::nullopt;
    }
    if (encoding == Encoding::windows1252) {
        int number = 1;
        for (std::string_view rest = bytes; !rest.empty(); ++number) {
            const std::size_t end = rest.find('\n');
            const std::string_view line = rest.substr(0, end);
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
            if (isAscii(line) || !isValidUtf8(line))
                continue;
            const std::string_view word = wordAroundFirstLetter(line);
            diagnostics.warning({file, number, 0},
                                "this line is UTF-8, but the file as a whole is not, so it is read "
                                "as Windows-1252 and the subject would see " +
                                    inQuotes(fromWindows1252(word)) + " for " + inQuotes(word) +
                                    ": save the whole file as UTF-8");
        }
    }
    return decodeAs(bytes, encoding);
}

double numberItem(const Item& item, Diagnostics& diagnostics, const std::string& what, Held held) {
    if (item.where.item == 0)
        return 0; // the end of the file, already reported
    const auto value = item.quoted ? std::nullopt : parseNumber(item.text);
    if (!value) {
        diagnostics.error(item.where, inQuotes(item.text) + " is not a number (" + what + ")");
        return 0;
    }
    if (held == Held::asSingle && std::fabs(*value) > std::numeric_limits<float>::max()) {
        diagnostics.error(item.where, inQuotes(item.text) +
                                          " is beyond the largest single-precision number, "
                                          "about 3.4e38 (" +
                                          what + ")");
        return 0;
    }
    return *value;
}

std::optional<int> countItem(ItemReader& reader, Diagnostics& diagnostics, const std::string& what,
                             int min, int max, Location& where) {
    const Item item = reader.next(diagnostics, what);
    where = item.where;
    const double n = numberItem(item, diagnostics, what);
    if (n != std::floor(n) || n < min || n > max) {
        diagnostics.error(item.where, what + " must be a whole number from " + std::to_string(min) +
                                          " to " + std::to_string(max) + ", not " +
                                          shownInMessage(item.text));
        return std::nullopt;
    }
    return static_cast<int>(n);
}

bool endsEarly(ItemReader& reader, Diagnostics& diagnostics, int read, int count,
               const std::string& entries) {
    if (!reader.atEnd())
        return false;
    diagnostics.error(reader.position(), "the file ends after " + std::to_string(read) +
                                             " of the " + std::to_string(count) + " " + entries +
                                             " it announces");
    return true;
}

std::string leftOverItems(int count, const std::string& entries) {
    return "items after the last of the " + std::to_string(count) + " announced " + entries +
           " are not read";
}

} // namespace tovask
