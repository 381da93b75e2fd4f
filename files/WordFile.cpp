#include "files/WordFile.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "files/ItemReader.h"
#include "files/TextFile.h"

#include <optional>
#include <utility>

namespace tovask {

namespace {

// What decodeText makes of a byte that is no character (U+FFFD, the replacement character).
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// A quote inside a text that does not begin with one: most likely its opening quote is missing.
bool hasStrayQuote(const Item& item) {
    return !item.quoted && item.text.find('"') != std::string::npos;
}

// The faults of one text that the program lets through but the subject would meet.
void checkText(const Item& item, int k, bool utf8, Diagnostics& diagnostics) {
    const std::string text = "text " + std::to_string(k);
    if (item.text.empty() && k != 2)
        diagnostics.seenBySubject(item.where, text + " is empty");
    if (hasStrayQuote(item))
        diagnostics.seenBySubject(item.where, "unbalanced quote: " + text +
                                                  " holds a quote but does not begin with one; if "
                                                  "an opening quote is missing on this line, a "
                                                  "comma has split a text there and shifted every "
                                                  "later text");
    if (item.text.find(kReplacement) != std::string::npos)
        diagnostics.seenBySubject(
            item.where, text + " does not decode: " +
                            (utf8 ? "it holds \"\xEF\xBF\xBD\", which an editor leaves for "
                                    "a letter it could not read"
                                  : "the file is not UTF-8, and a byte of this text is no "
                                    "Windows-1252 character either; the subject would see "
                                    "\"\xEF\xBF\xBD\""));
}

} // namespace

WordTable parseWordFile(std::string_view bytes, const std::string& file, Diagnostics& diagnostics) {
    WordTable table;
    const Encoding encoding = encodingOf(bytes);
    const bool utf8 = encoding != Encoding::windows1252;
    std::optional<std::string> text = dataFileText(bytes, encoding, file, diagnostics);
    if (!text)
        return table;
    ItemReader reader(std::move(*text), file);
    const auto counted = countItem(reader, diagnostics, "the number of texts", 0,
                                   WordTable::kMaxWords, table.countWhere);
    if (!counted)
        return table;
    const int count = *counted;
    // The first text that follows an unquoted text on its line: where a comma meant inside a
    // text would have split it, if items are left over at the end. A split-off text with a
    // stray quote is already reported as such.
    std::optional<std::pair<int, Location>> firstSplit;
    bool previousQuoted = true;
    for (int k = 1; k <= count; ++k) {
        if (endsEarly(reader, diagnostics, k - 1, count, "texts"))
            break;
        Item item = reader.next(diagnostics, "text " + std::to_string(k));
        checkText(item, k, utf8, diagnostics);
        if (!firstSplit && item.where.item > 1 && !previousQuoted && !hasStrayQuote(item))
            firstSplit.emplace(k, item.where);
        previousQuoted = item.quoted;
        table.words[k] = std::move(item.text);
    }
    table.count = count;
    if (count < WordTable::kWordsUsed)
        diagnostics.seenBySubject(table.countWhere, "the file has " + std::to_string(count) +
                                                        " texts; the program shows " +
                                                        std::to_string(WordTable::kWordsUsed) +
                                                        ", the missing ones empty");
    if (!reader.atEnd() && firstSplit) {
        const int k = firstSplit->first;
        diagnostics.seenBySubject(
            firstSplit->second,
            "text " + std::to_string(k) + " follows a comma on the line of text " +
                std::to_string(k - 1) + ", which has no quotes: if the comma belongs in text " +
                std::to_string(k - 1) +
                ", put that text in quotes; the split shifts every later text");
    }
    if (!reader.atEnd())
        diagnostics.seenBySubject(reader.position(), leftOverItems(count, "texts"));
    return table;
}

WordTable readWordFile(const std::filesystem::path& path, Diagnostics& diagnostics) {
    return parseWordFile(readFileBytes(path, reading::kWordFile), path.string(), diagnostics);
}

std::string wordFileName(std::string_view language) {
    if (language == "English")
        return "english.wds";
    if (language == "Italian")
        return "italian.wds";
    return {};
}

} // namespace tovask
