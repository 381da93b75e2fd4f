#pragma once
// How often a part stands in a text, overlapping runs included: the sections of a page, the
// rows of a table.

#include <cstddef>
#include <string>

namespace tovask::test {

inline std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace tovask::test
