#include "ui/Mirror.h"

namespace tovask::ui {

namespace {

// Every '&' doubled: a single one would mark a mnemonic and vanish.
std::string withMnemonicsEscaped(const std::string& caption) {
    std::string shown;
    for (const char c : caption) {
        shown += c;
        if (c == '&')
            shown += '&';
    }
    return shown;
}

// What every widget shows whatever its kind.
void mirrorWidget(WidgetSink& sink, const Control& control, Property property) {
    if (property == Property::Visible)
        sink.showVisible(control);
    if (property == Property::Geometry)
        sink.showGeometry(control);
    if (property == Property::Font)
        sink.showFont(control);
}

void mirrorLabel(WidgetSink& sink, const Label& label, Property property) {
    if (property == Property::Caption)
        sink.showLabelCaption(label);
    if (property == Property::BackColor)
        sink.showBackColor(label);
}

// A combo box shows its list, then its text again: filling the list may have changed it.
void mirrorBox(WidgetSink& sink, const TextBox& box, Property property) {
    if (property == Property::Items && box.kind() == Kind::ComboBox)
        sink.showItems(static_cast<const ComboBox&>(box));
    if (property == Property::Text || property == Property::Items)
        sink.showText(box);
    if (property == Property::Enabled)
        sink.showBoxEnabled(box);
}

void mirrorButton(WidgetSink& sink, const CommandButton& button, Property property) {
    if (property == Property::Caption)
        sink.showButtonCaption(button, withMnemonicsEscaped(button.caption()));
    if (property == Property::Enabled)
        sink.showButtonEnabled(button);
}

} // namespace

void mirror(WidgetSink& sink, Control& control, Property property) {
    if (!sink.shows(control))
        return;
    switch (control.kind()) {
    case Kind::Window:
        // The window's own rect is its designed client area: the window takes whatever size
        // it is given and scales the designed area into it. Only its caption is shown.
        if (property == Property::Caption)
            sink.showTitle(static_cast<const Window&>(control).caption());
        return;
    case Kind::Timer:
        sink.showTimer(static_cast<Timer&>(control));
        return;
    case Kind::Label:
        mirrorLabel(sink, static_cast<const Label&>(control), property);
        break;
    case Kind::Frame:
        if (const auto& frame = static_cast<const Frame&>(control); property == Property::Caption)
            sink.showFrameCaption(frame, withMnemonicsEscaped(frame.caption()));
        break;
    case Kind::TextBox:
    case Kind::ComboBox:
        mirrorBox(sink, static_cast<const TextBox&>(control), property);
        break;
    case Kind::CommandButton:
        mirrorButton(sink, static_cast<const CommandButton&>(control), property);
        break;
    case Kind::HScrollBar:
        if (property == Property::Value || property == Property::Range)
            sink.showSlider(static_cast<const HScrollBar&>(control));
        break;
    case Kind::PictureBox:
        break;
    }
    mirrorWidget(sink, control, property);
}

void observe(Window& window, ControlObserver& observer) {
    window.setObserver(&observer);
    observer.changed(window, Property::Caption);
    // Fonts before geometry: a combo box's height follows its font. Value and Range show
    // together.
    for (Control* control : window.boundControls()) {
        control->setObserver(&observer);
        for (const Property p : {Property::Caption, Property::Text, Property::Items,
                                 Property::Visible, Property::Enabled, Property::BackColor,
                                 Property::Font, Property::Geometry, Property::Range})
            observer.changed(*control, p);
    }
}

void stopObserving(Window& window) {
    window.setObserver(nullptr);
    for (Control* control : window.boundControls())
        control->setObserver(nullptr);
}

} // namespace tovask::ui
