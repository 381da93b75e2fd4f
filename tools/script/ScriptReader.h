#pragma once
// The script language of the headless runner: one event per line. Reading a line takes two
// steps: parseLine checks what the line says on its own (any bytes at all are a legal input),
// and refusal checks it against the window as it stands just before the line is done.

#include "core/Experiment.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tovask::script {

struct Event {
    enum class Type { Set, Click, Key, Tick, Slider, Wait, Dump };
    Type type = Type::Dump;
    std::string control; // Set: the name of the text box or combo box
    std::string text;    // Set: what the user types
    // Key: the character code; Tick: the seconds; Slider: the value; Wait: the milliseconds
    int number = 0;
};

// A line the runner refuses, and why; nothing of it is done.
struct BadLine {
    int line = 0;
    std::string why;
    // "line N: why"
    std::string message() const;
};

// A blank line and a comment give std::monostate.
using Parsed = std::variant<std::monostate, Event, BadLine>;

// Words are separated by blanks (spaces or tabs); a line whose first word starts with '#' is a
// comment; one carriage return at the end (a CR LF line end) is not part of the line. The text
// of `set` is everything after the one blank that follows the control's name, as it stands.
Parsed parseLine(std::string_view line, int lineNumber);

// The bad line an event makes in the window as it stands: `set` of a name that is no text box
// or combo box of the window, or of a disabled one; `slider` to a value outside the slider's
// Min..Max while the slider can be seen.
std::optional<BadLine> refusal(const Event& event, int lineNumber, const Experiment& experiment);

} // namespace tovask::script
