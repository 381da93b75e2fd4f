#pragma once
// The language word file: a count n, then n texts, which become words 1 to n.

#include "files/Diagnostics.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace tovask {

struct WordTable {
    static constexpr int kMaxWords = 100;
    static constexpr int kWordsUsed = 40;         // the program shows words 1 and 3 to 40
    std::array<std::string, kMaxWords + 1> words; // element 0 unused; beyond n: empty
    int count = 0;
    Location countWhere; // where the count stands, for messages about it
};

// bytes: the file as stored (UTF-8 or Windows-1252); file: the name used in messages.
WordTable parseWordFile(std::string_view bytes, const std::string& file, Diagnostics& diagnostics);
WordTable readWordFile(const std::filesystem::path& path, Diagnostics& diagnostics);

// The word file of a language of the parameter screen: "English" -> "english.wds", "Italian" ->
// "italian.wds"; empty for a language that has none.
std::string wordFileName(std::string_view language);

} // namespace tovask
