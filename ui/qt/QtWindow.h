#pragma once
// The Qt window of a control model: one widget per control, named after it, that mirrors the
// control's properties and turns the subject's input into the control's events. The model is
// the truth; the widgets only show it.

#include "ui/Controls.h"
#include "ui/Delivery.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

class QTimer;

namespace tovask::qt {

// Events reach the model through deliver(); an exception that escapes one ends the run with a
// critical message box and exit code 1.
class QtWindow : public QWidget, public ui::Delivery, private ui::ControlObserver {
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

private:
    void changed(ui::Control& control, ui::Property property) override;

    void create(ui::Control& control);
    QWidget* createWidget(ui::Control& control, QWidget* parent);
    void createTimer(ui::Timer& timer);
    void mirror(ui::Control& control, ui::Property property);
    void mirrorTimer(const ui::Timer& timer);
    void place(const ui::Control& control, QWidget* widget);
    void endRun(const std::string& what);

    ui::Window& window_;
    double designWidth_, designHeight_;
    double scale_;
    QPixmap logo_;
    std::map<const ui::Control*, QWidget*> widgets_;
    std::map<const ui::Control*, QTimer*> timers_;
};

} // namespace tovask::qt
