#pragma once
// The toolkit-free control model. Controls are plain objects holding the properties the
// experiment logic reads and sets; a toolkit binding (Qt, or none for the headless runner)
// observes them and mirrors each change. The model, not any widget, is the truth.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tovask::ui {

enum class Kind {
    Window,
    Label,
    Frame,
    CommandButton,
    TextBox,
    ComboBox,
    HScrollBar,
    PictureBox,
    Timer
};

// What changed, so that a binding updates only that part of its widget.
enum class Property {
    Caption,
    Text,
    Items,
    Visible,
    Enabled,
    Geometry,
    BackColor,
    Font,
    Value,
    Range
};

class Control;
class Timer;

class ControlObserver {
public:
    virtual ~ControlObserver() = default;
    virtual void changed(Control& control, Property property) = 0;
};

struct Font {
    std::string face; // empty: the window's default font
    float size = 0;   // points; 0 with an empty face: the default size
    bool bold = false;
};

// Geometry in twips (1440 to the inch), stored as single precision like every Left, Top,
// Width and Height the logic computes.
struct Rect {
    float left = 0, top = 0, width = 0, height = 0;
};

class Control {
public:
    Control(std::string name, Kind kind, Control* container, int tabIndex, Rect design,
            Font font = {});
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    Kind kind() const { return kind_; }
    Control* container() const { return container_; }
    int tabIndex() const { return tabIndex_; }

    bool visible() const { return visible_; }
    void setVisible(bool v);
    // Visible and every container visible too: what the subject can actually see.
    bool shown() const;

    const Rect& rect() const { return rect_; }
    float left() const { return rect_.left; }
    float top() const { return rect_.top; }
    float width() const { return rect_.width; }
    float height() const { return rect_.height; }
    void setLeft(double v);
    void setTop(double v);
    void setWidth(double v);
    void setHeight(double v);
    // Both at once, with one notification: a bar that grows leftwards moves and widens together.
    void setLeftAndWidth(double left, double width);

    const Font& font() const { return font_; }

    void setObserver(ControlObserver* observer) { observer_ = observer; }

protected:
    void notify(Property p);
    // Stores a property and tells the observer, only when the value differs from the stored one.
    template <typename T, typename V> void assign(T& field, V&& value, Property p) {
        if (field == value)
            return;
        field = std::forward<V>(value);
        notify(p);
    }
    Font font_;

private:
    void setGeometry(float& field, double v);

    std::string name_;
    Kind kind_;
    Control* container_;
    int tabIndex_;
    bool visible_ = true;
    Rect rect_;
    ControlObserver* observer_ = nullptr;
};

// The system's button face (0x00BBGGRR): the window's surface, and the back colour of the
// labels meant to blend into it.
inline constexpr std::uint32_t kButtonFace = 0x00F0F0F0;

class Label : public Control {
public:
    // The smallest font size a label offers; a smaller size asked for reads back as this.
    static constexpr float kMinFontSize = 1.0f;

    Label(std::string name, int tabIndex, Rect design, Font font = {});

    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);
    std::uint32_t backColor() const { return backColor_; } // 0x00BBGGRR
    void setBackColor(std::uint32_t c);
    float fontSize() const { return font_.size; }
    // The size a label reports back when this size is set: never below kMinFontSize.
    static float reportedFontSize(double points);
    // Stores the size as the label reports it back.
    void setFontSize(double points);

private:
    std::string caption_;
    std::uint32_t backColor_ = 0x00FFFFFF;
};

class Frame : public Control {
public:
    Frame(std::string name, Control* container, int tabIndex, Rect design, std::string caption);
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);

private:
    std::string caption_;
};

// Text boxes and combo boxes: a text the user types, and for combo boxes a list to pick from.
class TextBox : public Control {
public:
    TextBox(std::string name, Control* container, int tabIndex, Rect design, Font font,
            std::string text, Kind kind = Kind::TextBox);
    const std::string& text() const { return text_; }
    void setText(std::string t);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);

private:
    std::string text_;
    bool enabled_ = true;
};

class ComboBox : public TextBox {
public:
    ComboBox(std::string name, Control* container, int tabIndex, Rect design, Font font,
             std::string text);
    const std::vector<std::string>& items() const { return items_; }
    void addItem(std::string item);

private:
    std::vector<std::string> items_;
};

class CommandButton : public Control {
public:
    CommandButton(std::string name, int tabIndex, Rect design, std::string caption);
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    // A disabled or hidden button takes no focus, so neither clicks nor keys reach it.
    bool takesInput() const { return enabled_ && shown(); }

    // Raised by the binding: a click, and a key typed while the button has the focus
    // (the character code, Ctrl+letter giving 1 to 26). Both do nothing unless takesInput().
    void click();
    void keyPress(std::int16_t& keyAscii);

    std::function<void()> onClick;
    std::function<void(std::int16_t&)> onKeyPress;

private:
    std::string caption_;
    bool enabled_ = true;
};

class HScrollBar : public Control {
public:
    HScrollBar(std::string name, int tabIndex, Rect design);
    int min() const { return min_; }
    int max() const { return max_; }
    int value() const { return value_; }
    int smallChange() const { return smallChange_; }
    int largeChange() const { return largeChange_; }
    void setMax(int m);
    // A different value raises onChange at once, nested in the caller; the same value
    // raises nothing. The value must lie within min..max.
    void setValue(int v);

    std::function<void()> onChange;

private:
    int min_ = 0, max_ = 50, value_ = 0, smallChange_ = 1, largeChange_ = 1;
};

// The window itself: its caption is the title bar; its rect is the designed client area.
class Window : public Control {
public:
    Window(std::string name, Rect design, std::string caption);
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);

    // Every control of the window, in the order they were added.
    const std::vector<Control*>& controls() const { return controls_; }
    void add(Control& c) { controls_.push_back(&c); }
    Control* find(const std::string& name) const;
    // The controls that take the keyboard focus (text boxes, combo boxes, the button, the
    // slider), in the order the Tab key moves along: by tab index, then as added.
    std::vector<Control*> tabOrder() const;

    // Timers that belong to the window but to none of its controls: the bindings run them like
    // the timers among the controls, and nothing that lists the controls shows them.
    void addBackgroundTimer(Timer& t) { backgroundTimers_.push_back(&t); }
    // What a binding makes a platform object for: the controls, then the background timers.
    std::vector<Control*> boundControls() const;

    // Asked when the subject closes the window (the close box, Alt+F4): false keeps it open.
    // Unset, the window closes at once.
    std::function<bool()> onQueryClose;
    bool queryClose() const { return !onQueryClose || onQueryClose(); }

private:
    std::string caption_;
    std::vector<Control*> controls_;
    std::vector<Timer*> backgroundTimers_;
};

class PictureBox : public Control {
public:
    PictureBox(std::string name, int tabIndex, Rect design);
};

class Timer : public Control {
public:
    Timer(std::string name, Rect design, int intervalMs);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    int interval() const { return interval_; }
    // One tick of the interval: raises onTick while enabled.
    void tick();

    std::function<void()> onTick;

private:
    bool enabled_ = false;
    int interval_;
};

} // namespace tovask::ui
