#pragma once
// The character code of a typed key, as the experiment's key handling receives it.

#include <QString>
#include <Qt>

#include <cstdint>
#include <optional>

namespace tovask::qt {

// Ctrl with a letter gives 1 to 26 (Ctrl+C gives 3) whatever text the platform attaches to the
// event (X11 sends "\x03", synthetic events "c"); any other key gives the code of the first
// character of its text. A key that types nothing (the bare Control key, arrows, function keys)
// gives none.
std::optional<std::int16_t> characterCode(int key, Qt::KeyboardModifiers modifiers,
                                          const QString& text);

} // namespace tovask::qt
