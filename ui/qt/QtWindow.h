#pragma once
// The Qt window of a control model: one widget per control, named after it, that mirrors the
// control's properties and turns the subject's input into the control's events. The model is
// the truth; the widgets only show it.

#include "ui/Controls.h"
#include "ui/Delivery.h"
#include "ui/Mirror.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

class QTimer;

namespace tovask::qt {

// Events reach the model through deliver(); an exception that escapes one ends the run with a
// critical message box and exit code 1.
class QtWindow : public QWidget,
                 public ui::Delivery,
                 private ui::ControlObserver,
                 private ui::WidgetSink {
public:
    // designWidth × designHeight twips is the area the window shows whole at any size.
    QtWindow(ui::Window& window, double designWidth, double designHeight);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    // Pixels per twip at the window's current size.
    double scale() const { return scale_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // The close box, Alt+F4: the window closes only where the model lets it.
    void closeEvent(QCloseEvent* event) override;

private:
    void changed(ui::Control& control, ui::Property property) override;

    bool shows(const ui::Control& control) const override;
    void showTitle(const std::string& title) override;
    void showTimer(ui::Timer& timer) override;
    void showVisible(const ui::Control& control) override;
    void showGeometry(const ui::Control& control) override;
    void showFont(const ui::Control& control) override;
    void showLabelCaption(const ui::Label& label) override;
    void showFrameCaption(const ui::Frame& frame, const std::string& caption) override;
    void showButtonCaption(const ui::CommandButton& button, const std::string& caption) override;
    void showText(const ui::TextBox& box) override;
    void showItems(const ui::ComboBox& box) override;
    void showButtonEnabled(const ui::CommandButton& button) override;
    void showBoxEnabled(const ui::TextBox& box) override;
    void showBackColor(const ui::Label& label) override;
    void showSlider(const ui::HScrollBar& bar) override;

    void create(ui::Control& control);
    QWidget* createWidget(ui::Control& control, QWidget* parent);
    QWidget* createTextBox(ui::TextBox& box, QWidget* parent);
    QWidget* createComboBox(ui::ComboBox& box, QWidget* parent);
    QWidget* createButton(ui::CommandButton& model, QWidget* parent);
    QWidget* createScrollBar(ui::HScrollBar& model, QWidget* parent);
    void createTimer(ui::Timer& timer);
    template <class T = QWidget> T* widgetOf(const ui::Control& control) const {
        return static_cast<T*>(widgets_.at(&control));
    }
    void place(const ui::Control& control, QWidget* widget);
    void endRun(const std::string& message);

    ui::Window& window_;
    double designWidth_, designHeight_;
    double scale_;
    QPixmap logo_;
    std::map<const ui::Control*, QWidget*> widgets_;
    std::map<const ui::Control*, QTimer*> timers_;
};

} // namespace tovask::qt
