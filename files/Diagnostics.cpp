#include "files/Diagnostics.h"

#include "base/Failure.h"

namespace tovask {

std::string describe(const Location& where, const std::string& message) {
    std::string text = where.file;
    if (where.line > 0)
        text += ":" + std::to_string(where.line);
    if (where.item > 0)
        text += ":" + std::to_string(where.item);
    return text + ": " + message;
}

void ThrowOnError::error(const Location& where, const std::string& message) {
    throw Failure(describe(where, message));
}

} // namespace tovask
