#include "tools/script/ScriptReader.h"

#include "base/Numbers.h"
#include "base/Text.h"

#include <limits>

namespace tovask::script {

namespace {

constexpr long long kMaxInt = std::numeric_limits<int>::max();

// Takes the next word off the front of rest (blanks before it skipped); empty at the end.
std::string_view nextWord(std::string_view& rest) {
    std::size_t start = 0;
    while (start < rest.size() && isBlank(rest[start]))
        ++start;
    std::size_t end = start;
    while (end < rest.size() && !isBlank(rest[end]))
        ++end;
    const std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
}

// The whole number a word spells, when it lies within min..max.
std::optional<int> wholeNumber(std::string_view word, long long min, long long max) {
    const auto value = exactValue<long long>(word);
    if (!value || *value < min || *value > max)
        return std::nullopt;
    return static_cast<int>(*value);
}

struct Argument {
    const char* what; // what the number stands for, as a message names it
    long long min, max;
};

// The event of one word and an optional or required number after it.
Parsed numberEvent(Event::Type type, std::string_view name, std::string_view rest,
                   const Argument& argument, std::optional<int> byDefault, int lineNumber) {
    const std::string needs = std::string(name) + " needs " + argument.what;
    const std::string_view word = nextWord(rest);
    Event event{type, {}, {}, byDefault.value_or(0)};
    if (word.empty() && !byDefault)
        return BadLine{lineNumber, needs};
    if (!word.empty()) {
        const auto value = wholeNumber(word, argument.min, argument.max);
        if (!value)
            return BadLine{lineNumber, needs + ", not " + inQuotes(word)};
        event.number = *value;
    }
    if (const std::string_view extra = nextWord(rest); !extra.empty())
        return BadLine{lineNumber, std::string(name) + " takes one argument; " + inQuotes(extra) +
                                       " is one too many"};
    return event;
}

} // namespace

std::string BadLine::message() const {
    return "line " + std::to_string(line) + ": " + why;
}

Parsed parseLine(std::string_view line, int lineNumber) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::string_view rest = line;
    const std::string_view name = nextWord(rest);
    if (name.empty() || name.front() == '#')
        return std::monostate{};

    if (name == "set") {
        const std::string_view control = nextWord(rest);
        if (control.empty())
            return BadLine{lineNumber, "set needs the name of a text box or combo box"};
        // The one blank after the name separates; the rest, blanks included, is the text.
        const std::string_view text = rest.empty() ? rest : rest.substr(1);
        return Event{Event::Type::Set, std::string(control), std::string(text), 0};
    }
    if (name == "click" || name == "dump") {
        if (const std::string_view extra = nextWord(rest); !extra.empty())
            return BadLine{lineNumber,
                           std::string(name) + " takes no argument, not " + inQuotes(extra)};
        return Event{name == "click" ? Event::Type::Click : Event::Type::Dump, {}, {}, 0};
    }
    if (name == "key")
        return numberEvent(Event::Type::Key, name, rest,
                           {"a character code from 0 to 32767", 0, 32767}, std::nullopt,
                           lineNumber);
    if (name == "tick")
        return numberEvent(Event::Type::Tick, name, rest,
                           {"a whole number of seconds, 0 or more", 0, kMaxInt}, 1, lineNumber);
    if (name == "slider")
        return numberEvent(Event::Type::Slider, name, rest,
                           {"a whole number", std::numeric_limits<int>::min(), kMaxInt},
                           std::nullopt, lineNumber);
    if (name == "wait")
        return numberEvent(Event::Type::Wait, name, rest,
                           {"a whole number of milliseconds, 0 or more", 0, kMaxInt}, std::nullopt,
                           lineNumber);
    return BadLine{lineNumber, "unknown event " + inQuotes(name) +
                                   " (events: set, click, key, tick, slider, wait, dump)"};
}

std::optional<BadLine> refusal(const Event& event, int lineNumber, const Experiment& experiment) {
    if (event.type == Event::Type::Set) {
        const ui::Control* control = experiment.form.find(event.control);
        if (!control)
            return BadLine{lineNumber, "unknown control " + inQuotes(event.control)};
        if (control->kind() != ui::Kind::TextBox && control->kind() != ui::Kind::ComboBox)
            return BadLine{lineNumber, "the control " + inQuotes(event.control) +
                                           " is no text box or combo box"};
        if (!static_cast<const ui::TextBox*>(control)->enabled())
            return BadLine{lineNumber, "the control " + inQuotes(event.control) +
                                           " is disabled; nothing can be typed into it"};
    }
    if (event.type == Event::Type::Slider) {
        const ui::HScrollBar& slider = experiment.AllocationSlider;
        if (slider.shown() && (event.number < slider.min() || event.number > slider.max()))
            return BadLine{lineNumber, "the slider value " + std::to_string(event.number) +
                                           " lies outside " + std::to_string(slider.min()) + ".." +
                                           std::to_string(slider.max())};
    }
    return std::nullopt;
}

} // namespace tovask::script
