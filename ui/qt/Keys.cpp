#include "ui/qt/Keys.h"

namespace tovask::qt {

std::optional<std::int16_t> characterCode(int key, Qt::KeyboardModifiers modifiers,
                                          const QString& text) {
    const bool control =
        modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier);
    if (control && key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::int16_t>(key - Qt::Key_A + 1);
    if (text.isEmpty())
        return std::nullopt;
    return static_cast<std::int16_t>(text.at(0).unicode());
}

} // namespace tovask::qt
