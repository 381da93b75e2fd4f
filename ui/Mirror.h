#pragma once
// How a window binding shows the model. The binding offers one function per property and kind
// of control (a WidgetSink); which of them a change calls is decided here, once for every
// binding, so the windows cannot drift apart in what they show.

#include "ui/Controls.h"

#include <string>

namespace tovask::ui {

class WidgetSink {
public:
    virtual ~WidgetSink() = default;

    // Whether the binding has something that shows this control (the window, a widget, a
    // platform timer); a control it does not show is left alone.
    virtual bool shows(const Control& control) const = 0;

    virtual void showTitle(const std::string& title) = 0;
    // The timer's interval and whether it runs.
    virtual void showTimer(Timer& timer) = 0;
    virtual void showVisible(const Control& control) = 0;
    virtual void showGeometry(const Control& control) = 0;
    virtual void showFont(const Control& control) = 0;
    // Labels show their caption as it stands. Frames and the button get theirs with every '&'
    // doubled: a single '&' would mark a mnemonic and vanish.
    virtual void showLabelCaption(const Label& label) = 0;
    virtual void showFrameCaption(const Frame& frame, const std::string& caption) = 0;
    virtual void showButtonCaption(const CommandButton& button, const std::string& caption) = 0;
    // The text of a text box or a combo box; unchanged, it keeps the caret where the user typed.
    virtual void showText(const TextBox& box) = 0;
    // A combo box's list; its text is shown again right after.
    virtual void showItems(const ComboBox& box) = 0;
    virtual void showButtonEnabled(const CommandButton& button) = 0;
    virtual void showBoxEnabled(const TextBox& box) = 0;
    virtual void showBackColor(const Label& label) = 0;
    // The slider's range, steps and value.
    virtual void showSlider(const HScrollBar& bar) = 0;
};

// Shows one changed property of a control through the sink.
void mirror(WidgetSink& sink, Control& control, Property property);

// Makes observer the observer of the window and of every control, and tells it of every
// property once: the model may have been set up before the window existed.
void observe(Window& window, ControlObserver& observer);
// No control tells anyone of its changes any more.
void stopObserving(Window& window);

} // namespace tovask::ui
