#include "ui/qt/QtWindow.h"

#include "ui/Scaling.h"
#include "ui/qt/Keys.h"
#include "ui/qt/QtServices.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

namespace tovask::qt {

namespace {

using ui::fitScale;
using ui::fontPixels;
using ui::kDefaultFontPoints;
using ui::Kind;
using ui::PixelRect;
using ui::Property;
using ui::toPixels;
using ui::visiblePart;
using ui::wantsLightText;

constexpr std::uint32_t kButtonFace = 0x00F0F0F0;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// A '&' in a button or frame caption would mark a mnemonic and vanish; captions show as written.
QString caption(const std::string& s) {
    return text(s).replace('&', "&&");
}

QColor colour(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// The first installed family of those wanted, else the generic family name.
QString installedFamily(const QStringList& wanted, const QString& generic) {
    const QStringList families = QFontDatabase::families();
    for (const QString& family : wanted)
        if (families.contains(family))
            return family;
    return generic;
}

// The designed faces by metric-compatible stand-ins, scaled with the window: "Times New Roman"
// by a serif, "MS Sans Serif" and the window's default font by a sans serif.
QFont scaledFont(const ui::Font& font, double scale) {
    static const QString serif = installedFamily({"Liberation Serif", "DejaVu Serif"}, "serif");
    static const QString sans = installedFamily({"Liberation Sans", "DejaVu Sans"}, "sans-serif");
    const bool isSerif = font.face == "Times New Roman";
    QFont f(isSerif ? serif : sans);
    f.setStyleHint(isSerif ? QFont::Serif : QFont::SansSerif);
    f.setPixelSize(fontPixels(font.size > 0 ? font.size : kDefaultFontPoints, scale));
    f.setBold(font.bold);
    return f;
}

// The command button: besides its clicks, every key typed on it goes to the model with its
// character code, and then has its usual effect on the button (no key is swallowed).
class Button : public QPushButton {
public:
    Button(std::function<void(std::int16_t)> onCharacter, QWidget* parent)
        : QPushButton(parent), onCharacter_(std::move(onCharacter)) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (const auto code = characterCode(event->key(), event->modifiers(), event->text()))
            onCharacter_(*code);
        QPushButton::keyPressEvent(event);
    }

private:
    std::function<void(std::int16_t)> onCharacter_;
};

} // namespace

QtWindow::QtWindow(ui::Window& window, double designWidth, double designHeight)
    : ui::Delivery([this](const std::string& what) { endRun(what); }), window_(window),
      designWidth_(designWidth), designHeight_(designHeight),
      scale_(fitScale(designWidth, designHeight, width(), height())),
      logo_(QStringLiteral(":/tovask/logo.png")) {
    setObjectName(text(window.name()));
    // The surface has the system's button face, like the labels that are meant to blend into
    // it (an empty summary label shows nothing).
    QPalette surface = palette();
    surface.setColor(QPalette::Window, colour(kButtonFace));
    setPalette(surface);
    for (ui::Control* control : window.controls())
        create(*control);

    // Labels are drawn on the surface of their container, so every other control stands above
    // them (the summary labels reach over the top of the button).
    for (ui::Control* control : window.controls())
        if (const auto w = widgets_.find(control);
            w != widgets_.end() && control->kind() != Kind::Label)
            w->second->raise();

    std::vector<ui::Control*> order;
    for (ui::Control* control : window.controls())
        if (widgets_.count(control))
            order.push_back(control);
    std::stable_sort(order.begin(), order.end(), [](const ui::Control* a, const ui::Control* b) {
        return a->tabIndex() < b->tabIndex();
    });
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(widgets_.at(order[i - 1]), widgets_.at(order[i]));

    // The model may have been set up before the window existed: show all of it once.
    window.setObserver(this);
    mirror(window, Property::Caption);
    setFont(scaledFont({}, scale_));
    for (ui::Control* control : window.controls()) {
        control->setObserver(this);
        for (Property p : {Property::Caption, Property::Text, Property::Items, Property::Visible,
                           Property::Enabled, Property::Geometry, Property::BackColor,
                           Property::Font, Property::Range})
            mirror(*control, p);
    }
}

QtWindow::~QtWindow() {
    // Widgets die after this body; none of them may reach the model or this window any more.
    window_.setObserver(nullptr);
    for (ui::Control* control : window_.controls())
        control->setObserver(nullptr);
    for (const auto& [control, widget] : widgets_)
        QObject::disconnect(widget, nullptr, this, nullptr);
    for (const auto& [control, timer] : timers_)
        QObject::disconnect(timer, nullptr, this, nullptr);
}

void QtWindow::create(ui::Control& control) {
    if (widgets_.count(&control) || timers_.count(&control) || control.kind() == Kind::Window)
        return;
    if (control.kind() == Kind::Timer) {
        createTimer(static_cast<ui::Timer&>(control));
        return;
    }
    QWidget* parent = this;
    if (ui::Control* container = control.container()) {
        create(*container);
        parent = widgets_.at(container);
    }
    QWidget* widget = createWidget(control, parent);
    widget->setObjectName(text(control.name()));
    widgets_.emplace(&control, widget);
}

QWidget* QtWindow::createWidget(ui::Control& control, QWidget* parent) {
    switch (control.kind()) {
    case Kind::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setAutoFillBackground(true);
        return label;
    }
    case Kind::Frame:
        return new QGroupBox(parent);
    case Kind::TextBox: {
        auto& box = static_cast<ui::TextBox&>(control);
        auto* edit = new QLineEdit(parent);
        connect(edit, &QLineEdit::textChanged, this,
                [&box](const QString& t) { box.setText(t.toStdString()); });
        return edit;
    }
    case Kind::ComboBox: {
        auto& box = static_cast<ui::ComboBox&>(control);
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        // The list holds the model's items only, and what is typed stays as typed.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        connect(combo, &QComboBox::editTextChanged, this,
                [&box](const QString& t) { box.setText(t.toStdString()); });
        return combo;
    }
    case Kind::CommandButton: {
        auto& model = static_cast<ui::CommandButton&>(control);
        auto* button = new Button(
            [this, &model](std::int16_t code) {
                deliver([&model, code] {
                    std::int16_t keyAscii = code;
                    model.keyPress(keyAscii);
                });
            },
            parent);
        connect(button, &QPushButton::clicked, this,
                [this, &model] { deliver([&model] { model.click(); }); });
        return button;
    }
    case Kind::HScrollBar: {
        auto& model = static_cast<ui::HScrollBar&>(control);
        auto* bar = new QScrollBar(Qt::Horizontal, parent);
        // The value changes when the thumb is released, an arrow or the track is clicked or a
        // key steps it; never while the thumb is dragged.
        bar->setTracking(false);
        bar->setFocusPolicy(Qt::StrongFocus);
        // Qt's scroll bars invert the keys by default (Right would step the value down); here
        // Right and End move the thumb right, towards Max.
        bar->setInvertedControls(false);
        connect(bar, &QScrollBar::valueChanged, this,
                [this, &model](int value) { deliver([&model, value] { model.setValue(value); }); });
        return bar;
    }
    case Kind::PictureBox: {
        // The window's only picture is the logo.
        auto* picture = new QLabel(parent);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    case Kind::Window:
    case Kind::Timer:
        break;
    }
    return nullptr;
}

void QtWindow::createTimer(ui::Timer& timer) {
    auto* qtimer = new QTimer(this);
    qtimer->setObjectName(text(timer.name()));
    // A coarse timer (Qt's default) may fire up to 5% of its interval early or late, and the
    // error adds up over the ticks: measured, a 10-second reading time ended up to 240 ms early
    // or late. A precise timer keeps each tick within a millisecond or two of its time.
    qtimer->setTimerType(Qt::PreciseTimer);
    connect(qtimer, &QTimer::timeout, this, [this, &timer] { deliverTick(timer); });
    timers_.emplace(&timer, qtimer);
}

void QtWindow::changed(ui::Control& control, ui::Property property) {
    mirror(control, property);
}

void QtWindow::mirror(ui::Control& control, ui::Property property) {
    // The window's own rect is its designed client area; the window takes whatever size it
    // is given and scales the designed area into it.
    if (&control == &window_) {
        if (property == Property::Caption)
            setWindowTitle(text(window_.caption()));
        return;
    }
    if (control.kind() == Kind::Timer) {
        mirrorTimer(static_cast<const ui::Timer&>(control));
        return;
    }
    const auto found = widgets_.find(&control);
    if (found == widgets_.end())
        return;
    QWidget* widget = found->second;
    // A value set by the program reaches the model's events from the model alone.
    const QSignalBlocker blocker(widget);

    switch (property) {
    case Property::Visible:
        widget->setVisible(control.visible());
        break;
    case Property::Geometry:
        place(control, widget);
        break;
    case Property::Font:
        widget->setFont(scaledFont(control.font(), scale_));
        break;
    case Property::Caption:
        if (control.kind() == Kind::Label)
            static_cast<QLabel*>(widget)->setText(
                text(static_cast<const ui::Label&>(control).caption()));
        if (control.kind() == Kind::Frame)
            static_cast<QGroupBox*>(widget)->setTitle(
                caption(static_cast<const ui::Frame&>(control).caption()));
        if (control.kind() == Kind::CommandButton)
            static_cast<QPushButton*>(widget)->setText(
                caption(static_cast<const ui::CommandButton&>(control).caption()));
        break;
    case Property::Text:
    case Property::Items:
        if (control.kind() == Kind::TextBox) {
            auto* edit = static_cast<QLineEdit*>(widget);
            const QString t = text(static_cast<const ui::TextBox&>(control).text());
            if (edit->text() != t) // unchanged text keeps the cursor where the user typed
                edit->setText(t);
        }
        if (control.kind() == Kind::ComboBox) {
            const auto& box = static_cast<const ui::ComboBox&>(control);
            auto* combo = static_cast<QComboBox*>(widget);
            if (property == Property::Items) {
                combo->clear();
                for (const std::string& item : box.items())
                    combo->addItem(text(item));
            }
            // Filling the list selects its first item; the box shows the model's text.
            if (combo->currentText() != text(box.text()))
                combo->setEditText(text(box.text()));
        }
        break;
    case Property::Enabled:
        if (control.kind() == Kind::CommandButton) {
            const bool enabled = static_cast<const ui::CommandButton&>(control).enabled();
            widget->setEnabled(enabled);
            // Disabling the focused button left the window without focus; enabled again, the
            // button has it back, so the experimenter's key needs no click first.
            if (enabled && !focusWidget() && widget->isVisibleTo(this))
                widget->setFocus();
        }
        if (control.kind() == Kind::TextBox || control.kind() == Kind::ComboBox)
            widget->setEnabled(static_cast<const ui::TextBox&>(control).enabled());
        break;
    case Property::BackColor:
        if (control.kind() == Kind::Label) {
            const std::uint32_t back = static_cast<const ui::Label&>(control).backColor();
            QPalette palette = widget->palette();
            palette.setColor(QPalette::Window, colour(back));
            palette.setColor(QPalette::WindowText, wantsLightText(back) ? Qt::white : Qt::black);
            widget->setPalette(palette);
        }
        break;
    case Property::Value:
    case Property::Range:
        if (control.kind() == Kind::HScrollBar) {
            const auto& model = static_cast<const ui::HScrollBar&>(control);
            auto* bar = static_cast<QScrollBar*>(widget);
            bar->setRange(model.min(), model.max());
            bar->setSingleStep(model.smallChange());
            bar->setPageStep(model.largeChange());
            bar->setValue(model.value());
        }
        break;
    }
}

void QtWindow::mirrorTimer(const ui::Timer& timer) {
    QTimer* qtimer = timers_.at(&timer);
    qtimer->setInterval(timer.interval());
    if (timer.enabled() && !qtimer->isActive())
        qtimer->start();
    if (!timer.enabled())
        qtimer->stop();
}

void QtWindow::place(const ui::Control& control, QWidget* widget) {
    PixelRect r = toPixels(control.rect(), scale_);
    if (control.kind() == Kind::Label)
        r = visiblePart(r, width(), height());
    widget->setGeometry(r.x, r.y, r.width, r.height);
    if (control.kind() == Kind::PictureBox)
        static_cast<QLabel*>(widget)->setPixmap(
            logo_.scaled(widget->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void QtWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scale_ = fitScale(designWidth_, designHeight_, width(), height());
    setFont(scaledFont({}, scale_));
    for (const auto& [control, widget] : widgets_) {
        place(*control, widget);
        widget->setFont(scaledFont(control->font(), scale_));
    }
}

void QtWindow::endRun(const std::string& what) {
    for (const auto& [control, timer] : timers_)
        timer->stop();
    QMessageBox box(QMessageBox::Critical, ui::kProgramTitle, text("The run has ended: " + what),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    QCoreApplication::exit(1);
}

} // namespace tovask::qt
