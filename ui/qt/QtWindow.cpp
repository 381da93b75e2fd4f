#include "ui/qt/QtWindow.h"

#include "ui/Scaling.h"
#include "ui/qt/Keys.h"
#include "ui/qt/QtServices.h"

#include <QCloseEvent>
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

#include <utility>
#include <vector>

namespace tovask::qt {

namespace {

using ui::Kind;

QString text(const std::string& s) {
    return QString::fromStdString(s);
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
    const bool isSerif = ui::isSerif(font);
    QFont f(isSerif ? serif : sans);
    f.setStyleHint(isSerif ? QFont::Serif : QFont::SansSerif);
    f.setPixelSize(ui::fontPixels(font, scale));
    f.setBold(font.bold);
    return f;
}

QLabel* newLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    return label;
}

// The window's only picture is the logo.
QLabel* newPicture(QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
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
    : ui::Delivery([this](const std::string& message) { endRun(message); }), window_(window),
      designWidth_(designWidth), designHeight_(designHeight),
      scale_(ui::fitScale(designWidth, designHeight, width(), height())),
      logo_(QStringLiteral(":/tovask/logo.png")) {
    setObjectName(text(window.name()));
    // The surface has the system's button face, like the labels that are meant to blend into
    // it (an empty summary label shows nothing).
    QPalette surface = palette();
    surface.setColor(QPalette::Window, colour(ui::kButtonFace));
    setPalette(surface);
    for (ui::Control* control : window.boundControls())
        create(*control);

    // Labels are drawn on the surface of their container, so every other control stands above
    // them (the summary labels reach over the top of the button).
    for (ui::Control* control : window.controls())
        if (control->kind() != Kind::Label && widgets_.count(control))
            widgetOf(*control)->raise();

    const std::vector<ui::Control*> order = window.tabOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(widgetOf(*order[i - 1]), widgetOf(*order[i]));

    setFont(scaledFont({}, scale_));
    ui::observe(window, *this);
}

QtWindow::~QtWindow() {
    // Widgets die after this body; none of them may reach the model or this window any more.
    ui::stopObserving(window_);
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
    case Kind::Label:
        return newLabel(parent);
    case Kind::Frame:
        return new QGroupBox(parent);
    case Kind::TextBox:
        return createTextBox(static_cast<ui::TextBox&>(control), parent);
    case Kind::ComboBox:
        return createComboBox(static_cast<ui::ComboBox&>(control), parent);
    case Kind::CommandButton:
        return createButton(static_cast<ui::CommandButton&>(control), parent);
    case Kind::HScrollBar:
        return createScrollBar(static_cast<ui::HScrollBar&>(control), parent);
    case Kind::PictureBox:
        return newPicture(parent);
    case Kind::Window:
    case Kind::Timer:
        break;
    }
    return nullptr;
}

QWidget* QtWindow::createTextBox(ui::TextBox& box, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    connect(edit, &QLineEdit::textChanged, this,
            [&box](const QString& t) { box.setText(t.toStdString()); });
    return edit;
}

QWidget* QtWindow::createComboBox(ui::ComboBox& box, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    // The list holds the model's items only, and what is typed stays as typed.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    connect(combo, &QComboBox::editTextChanged, this,
            [&box](const QString& t) { box.setText(t.toStdString()); });
    return combo;
}

QWidget* QtWindow::createButton(ui::CommandButton& model, QWidget* parent) {
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

QWidget* QtWindow::createScrollBar(ui::HScrollBar& model, QWidget* parent) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    // The value changes when the thumb is released, an arrow or the track is clicked or a key
    // steps it; never while the thumb is dragged.
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    // Qt's scroll bars invert the keys by default (Right would step the value down); here Right
    // and End move the thumb right, towards Max.
    bar->setInvertedControls(false);
    connect(bar, &QScrollBar::valueChanged, this,
            [this, &model](int value) { deliver([&model, value] { model.setValue(value); }); });
    return bar;
}

// The one place that makes the window's platform timers.
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
    // A value set by the program reaches the model's events from the model alone.
    const auto found = widgets_.find(&control);
    const QSignalBlocker blocker(found == widgets_.end() ? nullptr : found->second);
    ui::mirror(*this, control, property);
}

bool QtWindow::shows(const ui::Control& control) const {
    return &control == &window_ || widgets_.count(&control) || timers_.count(&control);
}

void QtWindow::showTitle(const std::string& title) {
    setWindowTitle(text(title));
}

void QtWindow::showTimer(ui::Timer& timer) {
    QTimer* qtimer = timers_.at(&timer);
    qtimer->setInterval(timer.interval());
    if (timer.enabled() && !qtimer->isActive())
        qtimer->start();
    if (!timer.enabled())
        qtimer->stop();
}

void QtWindow::showVisible(const ui::Control& control) {
    widgetOf(control)->setVisible(control.visible());
}

void QtWindow::showGeometry(const ui::Control& control) {
    place(control, widgetOf(control));
}

void QtWindow::showFont(const ui::Control& control) {
    widgetOf(control)->setFont(scaledFont(control.font(), scale_));
}

void QtWindow::showLabelCaption(const ui::Label& label) {
    widgetOf<QLabel>(label)->setText(text(label.caption()));
}

void QtWindow::showFrameCaption(const ui::Frame& frame, const std::string& caption) {
    widgetOf<QGroupBox>(frame)->setTitle(text(caption));
}

void QtWindow::showButtonCaption(const ui::CommandButton& button, const std::string& caption) {
    widgetOf<QPushButton>(button)->setText(text(caption));
}

void QtWindow::showText(const ui::TextBox& box) {
    const QString t = text(box.text());
    if (box.kind() == Kind::ComboBox) {
        // Filling the list selects its first item; the box shows the model's text.
        auto* combo = widgetOf<QComboBox>(box);
        if (combo->currentText() != t)
            combo->setEditText(t);
        return;
    }
    auto* edit = widgetOf<QLineEdit>(box);
    if (edit->text() != t)
        edit->setText(t);
}

void QtWindow::showItems(const ui::ComboBox& box) {
    auto* combo = widgetOf<QComboBox>(box);
    combo->clear();
    for (const std::string& item : box.items())
        combo->addItem(text(item));
}

void QtWindow::showButtonEnabled(const ui::CommandButton& button) {
    QWidget* w = widgetOf(button);
    w->setEnabled(button.enabled());
    // Disabling the focused button left the window without focus; enabled again, the button
    // has it back, so the experimenter's key needs no click first.
    if (button.enabled() && !focusWidget() && w->isVisibleTo(this))
        w->setFocus();
}

void QtWindow::showBoxEnabled(const ui::TextBox& box) {
    widgetOf(box)->setEnabled(box.enabled());
}

void QtWindow::showBackColor(const ui::Label& label) {
    QWidget* w = widgetOf(label);
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, colour(label.backColor()));
    palette.setColor(QPalette::WindowText,
                     ui::wantsLightText(label.backColor()) ? Qt::white : Qt::black);
    w->setPalette(palette);
}

void QtWindow::showSlider(const ui::HScrollBar& model) {
    auto* bar = widgetOf<QScrollBar>(model);
    bar->setRange(model.min(), model.max());
    bar->setSingleStep(model.smallChange());
    bar->setPageStep(model.largeChange());
    bar->setValue(model.value());
}

void QtWindow::place(const ui::Control& control, QWidget* widget) {
    const ui::PixelRect r = ui::placeOf(control, scale_, width(), height());
    widget->setGeometry(r.x, r.y, r.width, r.height);
    if (control.kind() == Kind::PictureBox)
        static_cast<QLabel*>(widget)->setPixmap(
            logo_.scaled(widget->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void QtWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scale_ = ui::fitScale(designWidth_, designHeight_, width(), height());
    setFont(scaledFont({}, scale_));
    for (const auto& [control, widget] : widgets_) {
        place(*control, widget);
        widget->setFont(scaledFont(control->font(), scale_));
    }
}

void QtWindow::closeEvent(QCloseEvent* event) {
    if (mayClose(window_))
        event->accept();
    else
        event->ignore();
}

void QtWindow::endRun(const std::string& message) {
    for (const auto& [control, timer] : timers_)
        timer->stop();
    QMessageBox box(QMessageBox::Critical, ui::kProgramTitle, text(message), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    QCoreApplication::exit(1);
}

} // namespace tovask::qt
