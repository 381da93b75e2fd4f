// The character code handed to the key handling, whatever text the platform sends with a key.
#include "ui/qt/Keys.h"

#include <gtest/gtest.h>

namespace tovask::qt {
namespace {

TEST(Keys, CharacterCodes) {
    const struct {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        std::optional<std::int16_t> code;
    } cases[] = {
        {"Ctrl+C from a synthetic event", Qt::Key_C, Qt::ControlModifier, "c", 3},
        {"Ctrl+C from X11", Qt::Key_C, Qt::ControlModifier, "\x03", 3},
        {"Ctrl+C with no text", Qt::Key_C, Qt::ControlModifier, "", 3},
        {"Ctrl+A", Qt::Key_A, Qt::ControlModifier, "a", 1},
        {"Ctrl+Shift+Z", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Z", 26},
        {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, "v", 22},
        // AltGr arrives as Ctrl+Alt on Windows: it types a character, never a control code.
        {"AltGr+C as Ctrl+Alt+C", Qt::Key_C, Qt::ControlModifier | Qt::AltModifier,
         QString(QChar(0xA2)), 0xA2},
        {"c", Qt::Key_C, Qt::NoModifier, "c", 99},
        {"Shift+C", Qt::Key_C, Qt::ShiftModifier, "C", 67},
        {"Enter", Qt::Key_Return, Qt::NoModifier, "\r", 13},
        {"space", Qt::Key_Space, Qt::NoModifier, " ", 32},
        {"the Control key alone", Qt::Key_Control, Qt::ControlModifier, "", std::nullopt},
        {"an arrow", Qt::Key_Left, Qt::NoModifier, "", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(characterCode(c.key, c.modifiers, c.text), c.code) << c.what;
}

} // namespace
} // namespace tovask::qt
