#pragma once
// The sequential item format of the data files. An item ends at a comma or at a line end;
// blanks and empty lines before an item are skipped; two commas in a row give an empty item.
// An item in double quotes runs to the closing quote on the same line and keeps its commas and
// blanks; an unquoted item loses the blanks at its end.

#include "files/Diagnostics.h"
#include "files/TextFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace tovask {

struct Item {
    std::string text;
    bool quoted = false;
    Location where;
};

class ItemReader {
public:
    // content: the file's text (UTF-8); file: the name used in every message.
    ItemReader(std::string content, std::string file);

    // True when only blanks and line ends are left (and no comma stands before them, which
    // would leave an empty item).
    bool atEnd();
    // The next item. At the end of the text it reports an error through the diagnostics (which
    // normally throws) and returns an empty item at the end position.
    Item next(Diagnostics& diagnostics, const std::string& expected);
    // Where the next item would start (after skipping blanks and empty lines).
    Location position();

private:
    void skipToItem();
    bool atLineEnd() const;
    void consumeLineEnd();
    void consumeSeparator(Diagnostics& diagnostics, const Location& where);
    // The text up to the next comma or line end (which stays unread), less its trailing blanks.
    std::string takeUnquoted();

    std::string content_;
    std::string file_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int itemInLine_ = 0;
    bool afterComma_ = false; // an empty item may follow a comma, never a line end
};

// The type a number item is held in: a double, or a float (the rates).
enum class Held { asDouble, asSingle };

// The text of a data file (a word file, a problem file) for an ItemReader: its bytes decoded
// (see decodeText). Empty after an error: a NUL byte in a file that is not UTF-16 with its
// byte-order mark, which is most likely UTF-16 saved without one (reported at the line of the
// first NUL). Warns about each line that is UTF-8 in a file read as Windows-1252 (because
// another line is not UTF-8): the subject would see that line's letters garbled. encoding is
// encodingOf(bytes).
std::optional<std::string> dataFileText(std::string_view bytes, Encoding encoding,
                                        const std::string& file, Diagnostics& diagnostics);

// A number item: the value, or an error naming the item, its text and what was expected. A
// value that does not convert to a finite number of its type (1e39 as a single) is an error
// too. Returns 0 after an error that did not throw.
double numberItem(const Item& item, Diagnostics& diagnostics, const std::string& what,
                  Held held = Held::asDouble);

// The count that opens a data file (`what`: "the number of texts"), a whole number from min to
// max; empty after an error naming its text. `where` is set to the count's place either way.
std::optional<int> countItem(ItemReader& reader, Diagnostics& diagnostics, const std::string& what,
                             int min, int max, Location& where);

// Reports a file that ends after `read` of the `count` entries it announces (`entries`:
// "texts"); true when it does end there.
bool endsEarly(ItemReader& reader, Diagnostics& diagnostics, int read, int count,
               const std::string& entries);
// What to say of items left after the last of `count` entries.
std::string leftOverItems(int count, const std::string& entries);

} // namespace tovask
