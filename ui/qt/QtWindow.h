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

class QtWindow : public QWidget, private ui::ControlObserver {
public:
    // designWidth × designHeight twips is the area the window shows whole at any size.
    QtWindow(ui::Window& window, double designWidth, double designHeight);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    // Runs one event of the model (a click, a key, a slider value, a tick, the load) at the
    // boundary of the event loop: an exception that escapes it ends the run with a critical
    // message and exit code 1, and the window delivers nothing more. An event that arrives
    // while another is still being handled (from the nested loop of a message box) waits
    // until that one has finished.
    void deliver(const std::function<void()>& event) { delivery_.deliver(event); }
    bool runEnded() const { return delivery_.ended(); }

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
    ui::Delivery delivery_;
};

} // namespace tovask::qt
