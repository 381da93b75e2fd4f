#include "ui/Controls.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tovask::ui {

Control::Control(std::string name, Kind kind, Control* container, int tabIndex, Rect design,
                 Font font)
    : font_(std::move(font)), name_(std::move(name)), kind_(kind), container_(container),
      tabIndex_(tabIndex), rect_(design) {}

void Control::notify(Property p) {
    if (observer_)
        observer_->changed(*this, p);
}

void Control::setVisible(bool v) {
    assign(visible_, std::move(v), Property::Visible);
}

bool Control::shown() const {
    for (const Control* c = this; c; c = c->container())
        if (!c->visible())
            return false;
    return true;
}

void Control::setGeometry(float& field, double v) {
    assign(field, static_cast<float>(v), Property::Geometry);
}

void Control::setLeft(double v) {
    setGeometry(rect_.left, v);
}
void Control::setTop(double v) {
    setGeometry(rect_.top, v);
}
void Control::setWidth(double v) {
    setGeometry(rect_.width, v);
}
void Control::setHeight(double v) {
    setGeometry(rect_.height, v);
}
void Control::setLeftAndWidth(double left, double width) {
    const Rect wanted{static_cast<float>(left), rect_.top, static_cast<float>(width), rect_.height};
    if (wanted.left == rect_.left && wanted.width == rect_.width)
        return;
    rect_ = wanted;
    notify(Property::Geometry);
}

Label::Label(std::string name, int tabIndex, Rect design, Font font)
    : Control(std::move(name), Kind::Label, nullptr, tabIndex, design, std::move(font)) {}

void Label::setCaption(std::string c) {
    assign(caption_, std::move(c), Property::Caption);
}

void Label::setBackColor(std::uint32_t c) {
    assign(backColor_, std::move(c), Property::BackColor);
}

float Label::reportedFontSize(double points) {
    return std::max(static_cast<float>(points), kMinFontSize);
}

void Label::setFontSize(double points) {
    assign(font_.size, reportedFontSize(points), Property::Font);
}

Frame::Frame(std::string name, Control* container, int tabIndex, Rect design, std::string caption)
    : Control(std::move(name), Kind::Frame, container, tabIndex, design),
      caption_(std::move(caption)) {}

void Frame::setCaption(std::string c) {
    assign(caption_, std::move(c), Property::Caption);
}

TextBox::TextBox(std::string name, Control* container, int tabIndex, Rect design, Font font,
                 std::string text, Kind kind)
    : Control(std::move(name), kind, container, tabIndex, design, std::move(font)),
      text_(std::move(text)) {}

void TextBox::setText(std::string t) {
    assign(text_, std::move(t), Property::Text);
}

void TextBox::setEnabled(bool e) {
    assign(enabled_, std::move(e), Property::Enabled);
}

ComboBox::ComboBox(std::string name, Control* container, int tabIndex, Rect design, Font font,
                   std::string text)
    : TextBox(std::move(name), container, tabIndex, design, std::move(font), std::move(text),
              Kind::ComboBox) {}

void ComboBox::addItem(std::string item) {
    items_.push_back(std::move(item));
    notify(Property::Items);
}

CommandButton::CommandButton(std::string name, int tabIndex, Rect design, std::string caption)
    : Control(std::move(name), Kind::CommandButton, nullptr, tabIndex, design),
      caption_(std::move(caption)) {}

void CommandButton::setCaption(std::string c) {
    assign(caption_, std::move(c), Property::Caption);
}

void CommandButton::setEnabled(bool e) {
    assign(enabled_, std::move(e), Property::Enabled);
}

void CommandButton::click() {
    if (takesInput() && onClick)
        onClick();
}

void CommandButton::keyPress(std::int16_t& keyAscii) {
    if (takesInput() && onKeyPress)
        onKeyPress(keyAscii);
}

HScrollBar::HScrollBar(std::string name, int tabIndex, Rect design)
    : Control(std::move(name), Kind::HScrollBar, nullptr, tabIndex, design) {}

void HScrollBar::setMax(int m) {
    assign(max_, m, Property::Range);
    if (value_ > max_)
        setValue(max_);
}

void HScrollBar::setValue(int v) {
    if (v < min_ || v > max_)
        throw std::out_of_range("scroll bar value " + std::to_string(v) + " outside " +
                                std::to_string(min_) + ".." + std::to_string(max_));
    if (value_ == v)
        return;
    value_ = v;
    notify(Property::Value);
    if (onChange)
        onChange();
}

Window::Window(std::string name, Rect design, std::string caption)
    : Control(std::move(name), Kind::Window, nullptr, -1, design), caption_(std::move(caption)) {}

void Window::setCaption(std::string c) {
    assign(caption_, std::move(c), Property::Caption);
}

std::vector<Control*> Window::boundControls() const {
    std::vector<Control*> bound = controls_;
    bound.insert(bound.end(), backgroundTimers_.begin(), backgroundTimers_.end());
    return bound;
}

Control* Window::find(const std::string& name) const {
    for (Control* c : controls_)
        if (c->name() == name)
            return c;
    return nullptr;
}

std::vector<Control*> Window::tabOrder() const {
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (c->kind() == Kind::TextBox || c->kind() == Kind::ComboBox ||
            c->kind() == Kind::CommandButton || c->kind() == Kind::HScrollBar)
            order.push_back(c);
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->tabIndex() < b->tabIndex();
    });
    return order;
}

PictureBox::PictureBox(std::string name, int tabIndex, Rect design)
    : Control(std::move(name), Kind::PictureBox, nullptr, tabIndex, design) {}

Timer::Timer(std::string name, Rect design, int intervalMs)
    : Control(std::move(name), Kind::Timer, nullptr, -1, design), interval_(intervalMs) {}

void Timer::setEnabled(bool e) {
    assign(enabled_, std::move(e), Property::Enabled);
}

void Timer::tick() {
    if (enabled_ && onTick)
        onTick();
}

} // namespace tovask::ui
