#pragma once
// A small writer of compact JSON text. Strings come out as UTF-8 with every character JSON
// requires escaped; numbers come out so that a reader gets back exactly the value written.

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovask::tools {

class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The name of the next member of the object being written.
    void key(std::string_view name);
    // A member that is an object or an array: its name, then the opening bracket.
    void beginObject(std::string_view name) {
        key(name);
        beginObject();
    }
    void beginArray(std::string_view name) {
        key(name);
        beginArray();
    }

    // Bytes that are not valid UTF-8 are written as U+FFFD, one for each such byte, so the
    // text stays valid JSON whatever a file or a script put into a control.
    void string(std::string_view text);
    void boolean(bool value);
    void null();
    // The shortest text that reads back as the same float or double; null for a value that is
    // not finite, which JSON cannot hold.
    void number(float value);
    void number(double value);
    template <std::integral T> void number(T value) { integer(static_cast<std::int64_t>(value)); }
    void number(bool) = delete;
    // A number, or null for an empty optional.
    template <typename Number> void number(const std::optional<Number>& value) {
        if (value)
            number(*value);
        else
            null();
    }

    // One member of the object being written: its name, then its value (null for an empty
    // optional).
    void member(std::string_view name, std::string_view text) {
        key(name);
        string(text);
    }
    template <std::same_as<bool> Bool> void member(std::string_view name, Bool value) {
        key(name);
        boolean(value);
    }
    template <typename Number>
    requires(!std::same_as<Number, bool>) &&
        (std::integral<Number> || std::floating_point<Number>)void member(std::string_view name,
                                                                          Number value) {
        key(name);
        number(value);
    }
    template <typename Number>
    void member(std::string_view name, const std::optional<Number>& value) {
        key(name);
        number(value);
    }

    // name: an array of the texts.
    void strings(std::string_view name, const std::vector<std::string>& texts) {
        beginArray(name);
        for (const std::string& text : texts)
            string(text);
        endArray();
    }
    // name: an array of one object per item, whose members write(item) writes.
    template <typename Items, typename Write>
    void objects(std::string_view name, const Items& items, Write write) {
        beginArray(name);
        for (const auto& item : items) {
            beginObject();
            write(item);
            endObject();
        }
        endArray();
    }

    const std::string& text() const { return text_; }

private:
    void integer(std::int64_t value);
    // Writes the comma that separates this value from the one before it in the same container.
    void beforeValue();
    void open(char bracket);
    void close(char bracket);

    std::string text_;
    std::vector<bool> empty_; // per open container: nothing written into it yet
    bool afterKey_ = false;
};

} // namespace tovask::tools
