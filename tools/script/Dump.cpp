#include "tools/script/Dump.h"

#include "tools/common/Json.h"

#include <algorithm>
#include <optional>

namespace tovask::script {

namespace {

using tools::JsonWriter;
using ui::Kind;

// The caption of a control that has one; nothing for the others.
const std::string* captionOf(const ui::Control& control) {
    switch (control.kind()) {
    case Kind::Window:
        return &static_cast<const ui::Window&>(control).caption();
    case Kind::Label:
        return &static_cast<const ui::Label&>(control).caption();
    case Kind::Frame:
        return &static_cast<const ui::Frame&>(control).caption();
    case Kind::CommandButton:
        return &static_cast<const ui::CommandButton&>(control).caption();
    default:
        return nullptr;
    }
}

// What the control shows of its own: its caption, its text (and a list's items), or the
// slider's value and range.
void writeShown(JsonWriter& json, const ui::Control& control) {
    if (const std::string* caption = captionOf(control))
        json.member("caption", *caption);
    if (control.kind() == Kind::TextBox || control.kind() == Kind::ComboBox)
        json.member("text", static_cast<const ui::TextBox&>(control).text());
    if (control.kind() == Kind::ComboBox)
        json.strings("items", static_cast<const ui::ComboBox&>(control).items());
    if (control.kind() == Kind::HScrollBar) {
        const auto& slider = static_cast<const ui::HScrollBar&>(control);
        json.member("value", slider.value());
        json.member("max", slider.max());
        json.member("min", slider.min());
    }
}

// Whether the control takes input, for the kinds that can be disabled.
std::optional<bool> enabledOf(const ui::Control& control) {
    switch (control.kind()) {
    case Kind::CommandButton:
        return static_cast<const ui::CommandButton&>(control).enabled();
    case Kind::TextBox:
    case Kind::ComboBox:
        return static_cast<const ui::TextBox&>(control).enabled();
    default:
        return std::nullopt;
    }
}

// The fields of one control: what it shows, whether it is visible (its own property) and
// enabled, its geometry in twips, and the properties only labels have. A timer has only its
// state and interval.
void writeControl(JsonWriter& json, const ui::Control& control) {
    json.beginObject();
    if (control.kind() == Kind::Timer) {
        const auto& timer = static_cast<const ui::Timer&>(control);
        json.member("enabled", timer.enabled());
        json.member("interval", timer.interval());
    } else {
        writeShown(json, control);
        json.member("visible", control.visible());
        if (const auto enabled = enabledOf(control))
            json.member("enabled", *enabled);
        json.member("left", control.left());
        json.member("top", control.top());
        json.member("width", control.width());
        json.member("height", control.height());
    }
    if (control.kind() == Kind::Label) {
        const auto& label = static_cast<const ui::Label&>(control);
        json.member("backcolor", label.backColor());
        json.member("fontsize", label.fontSize());
    }
    json.endObject();
}

// Problems 1 to count of a per-problem array; index 0 is never used.
template <typename Array> void writeProblems(JsonWriter& json, const Array& values, int count) {
    json.beginArray();
    for (int p = 1; p <= count; ++p)
        json.number(values[static_cast<std::size_t>(p)]);
    json.endArray();
}

} // namespace

std::string dumpState(const Experiment& experiment, const std::vector<Message>& messages,
                      const std::optional<std::string>& ended) {
    JsonWriter json;
    json.beginObject();
    json.member("stage", experiment.Stage);
    json.member("pn", experiment.pn);
    json.member("caption", experiment.form.caption());

    json.beginObject("controls");
    for (const ui::Control* control : experiment.form.controls()) {
        json.key(control->name());
        writeControl(json, *control);
    }
    json.endObject();

    json.beginObject("vars");
    json.member("KeyArmed", experiment.KeyArmed);
    json.member("ProblemCount", experiment.ProblemCount);
    json.member("MaxAmount", experiment.MaxAmount);
    json.member("ReadTime", experiment.ReadTime);
    json.member("WaitLeft", experiment.WaitLeft);
    const int count = std::clamp(experiment.ProblemCount.value_or(0), 0, Experiment::kLast);
    json.key("all");
    writeProblems(json, experiment.all, count);
    json.key("rev");
    writeProblems(json, experiment.rev, count);
    json.key("inv");
    writeProblems(json, experiment.inv, count);
    json.endObject();

    json.objects("messages", messages, [&json](const Message& message) {
        json.member("title", message.title);
        json.member("text", message.text);
    });

    json.key("ended");
    if (ended)
        json.string(*ended);
    else
        json.null();
    json.endObject();
    return json.text();
}

} // namespace tovask::script
