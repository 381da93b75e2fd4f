#include "files/WordFile.h"

#include "files/ItemReader.h"
#include "files/TextFile.h"
#include "tasks/Numbers.h"

#include <cmath>

namespace tovask {

WordTable parseWordFile(std::string_view bytes, const std::string& file, Diagnostics& diagnostics) {
    WordTable table;
    ItemReader reader(decodeText(bytes), file);
    const Item countItem = reader.next(diagnostics, "the number of texts");
    const double n = numberItem(countItem, diagnostics, "the number of texts");
    if (n != std::floor(n) || n < 0 || n > WordTable::kMaxWords) {
        diagnostics.error(countItem.where, "the number of texts must be a whole number from 0 to " +
                                               std::to_string(WordTable::kMaxWords) + ", not " +
                                               countItem.text);
        return table;
    }
    const int count = static_cast<int>(n);
    for (int k = 1; k <= count; ++k) {
        if (reader.atEnd()) {
            diagnostics.error(reader.position(),
                              "the file ends after " + std::to_string(k - 1) + " of the " +
                                  std::to_string(count) + " texts it announces");
            break;
        }
        Item item = reader.next(diagnostics, "text " + std::to_string(k));
        if (item.text.empty() && k != 2)
            diagnostics.warning(item.where, "text " + std::to_string(k) + " is empty");
        table.words[k] = std::move(item.text);
    }
    table.count = count;
    if (count < WordTable::kWordsUsed)
        diagnostics.warning(countItem.where,
                            "the file has " + std::to_string(count) + " texts; the program shows " +
                                std::to_string(WordTable::kWordsUsed) + ", the missing ones empty");
    if (!reader.atEnd())
        diagnostics.warning(reader.position(), "items after the last of the " +
                                                   std::to_string(count) +
                                                   " announced texts are not read");
    return table;
}

WordTable readWordFile(const std::filesystem::path& path, Diagnostics& diagnostics) {
    return parseWordFile(readFileBytes(path, "word file"), path.string(), diagnostics);
}

} // namespace tovask
