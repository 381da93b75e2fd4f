#include "tools/script/Dump.h"

#include "tools/common/Json.h"

#include <algorithm>

namespace tovask::script {

namespace {

using tools::JsonWriter;
using ui::Kind;

void writeVisible(JsonWriter& json, const ui::Control& control) {
    json.key("visible");
    json.boolean(control.visible());
}

void writeGeometry(JsonWriter& json, const ui::Control& control) {
    json.key("left");
    json.number(control.left());
    json.key("top");
    json.number(control.top());
    json.key("width");
    json.number(control.width());
    json.key("height");
    json.number(control.height());
}

// The fields of one control, by its kind: what it shows, whether it is visible (its own
// property) and enabled, its geometry in twips, and the properties only labels have.
void writeControl(JsonWriter& json, const ui::Control& control) {
    json.beginObject();
    switch (control.kind()) {
    case Kind::Window:
        json.key("caption");
        json.string(static_cast<const ui::Window&>(control).caption());
        writeVisible(json, control);
        writeGeometry(json, control);
        break;
    case Kind::Label: {
        const auto& label = static_cast<const ui::Label&>(control);
        json.key("caption");
        json.string(label.caption());
        writeVisible(json, control);
        writeGeometry(json, control);
        json.key("backcolor");
        json.number(label.backColor());
        json.key("fontsize");
        json.number(label.fontSize());
        break;
    }
    case Kind::Frame:
        json.key("caption");
        json.string(static_cast<const ui::Frame&>(control).caption());
        writeVisible(json, control);
        writeGeometry(json, control);
        break;
    case Kind::CommandButton: {
        const auto& button = static_cast<const ui::CommandButton&>(control);
        json.key("caption");
        json.string(button.caption());
        writeVisible(json, control);
        json.key("enabled");
        json.boolean(button.enabled());
        writeGeometry(json, control);
        break;
    }
    case Kind::TextBox:
    case Kind::ComboBox: {
        const auto& box = static_cast<const ui::TextBox&>(control);
        json.key("text");
        json.string(box.text());
        if (control.kind() == Kind::ComboBox) {
            json.key("items");
            json.beginArray();
            for (const std::string& item : static_cast<const ui::ComboBox&>(control).items())
                json.string(item);
            json.endArray();
        }
        writeVisible(json, control);
        json.key("enabled");
        json.boolean(box.enabled());
        writeGeometry(json, control);
        break;
    }
    case Kind::HScrollBar: {
        const auto& slider = static_cast<const ui::HScrollBar&>(control);
        json.key("value");
        json.number(slider.value());
        json.key("max");
        json.number(slider.max());
        json.key("min");
        json.number(slider.min());
        writeVisible(json, control);
        writeGeometry(json, control);
        break;
    }
    case Kind::PictureBox:
        writeVisible(json, control);
        writeGeometry(json, control);
        break;
    case Kind::Timer: {
        const auto& timer = static_cast<const ui::Timer&>(control);
        json.key("enabled");
        json.boolean(timer.enabled());
        json.key("interval");
        json.number(timer.interval());
        break;
    }
    }
    json.endObject();
}

template <typename T> void writeOptional(JsonWriter& json, const std::optional<T>& value) {
    if (value)
        json.number(*value);
    else
        json.null();
}

// Problems 1 to count of a per-problem array; index 0 is never used.
template <typename Array> void writeProblems(JsonWriter& json, const Array& values, int count) {
    json.beginArray();
    for (int p = 1; p <= count; ++p)
        writeOptional(json, values[static_cast<std::size_t>(p)]);
    json.endArray();
}

} // namespace

std::string dumpState(const Experiment& experiment, const std::vector<Message>& messages,
                      const std::optional<std::string>& ended) {
    JsonWriter json;
    json.beginObject();
    json.key("stage");
    json.number(experiment.Stage);
    json.key("pn");
    json.number(experiment.pn);
    json.key("caption");
    json.string(experiment.form.caption());

    json.key("controls");
    json.beginObject();
    for (const ui::Control* control : experiment.form.controls()) {
        json.key(control->name());
        writeControl(json, *control);
    }
    json.endObject();

    json.key("vars");
    json.beginObject();
    json.key("KeyArmed");
    json.number(experiment.KeyArmed);
    json.key("ProblemCount");
    writeOptional(json, experiment.ProblemCount);
    json.key("MaxAmount");
    json.number(experiment.MaxAmount);
    json.key("ReadTime");
    writeOptional(json, experiment.ReadTime);
    json.key("WaitLeft");
    json.number(experiment.WaitLeft);
    const int count = std::clamp(experiment.ProblemCount.value_or(0), 0, Experiment::kLast);
    json.key("all");
    writeProblems(json, experiment.all, count);
    json.key("rev");
    writeProblems(json, experiment.rev, count);
    json.key("inv");
    writeProblems(json, experiment.inv, count);
    json.endObject();

    json.key("messages");
    json.beginArray();
    for (const Message& message : messages) {
        json.beginObject();
        json.key("title");
        json.string(message.title);
        json.key("text");
        json.string(message.text);
        json.endObject();
    }
    json.endArray();

    json.key("ended");
    if (ended)
        json.string(*ended);
    else
        json.null();
    json.endObject();
    return json.text();
}

} // namespace tovask::script
