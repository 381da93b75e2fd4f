// The tovask program: the experiment's window on Qt.
#include "app/RunInWindow.h"
#include "files/OperatingSystem.h"
#include "ui/qt/QtServices.h"
#include "ui/qt/QtWindow.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char* argv[]) {
    tovask::os::treatFileSizeLimitAsWriteFailure();
    QApplication app(argc, argv);
    tovask::qt::QtServices services;
    tovask::Experiment experiment(services);
    tovask::qt::QtWindow window(experiment.form, tovask::Experiment::kDesignWidth,
                                tovask::Experiment::kDesignHeight);
    return tovask::app::runInWindow(
        experiment, window,
        [&window] {
            // Without a window manager the request to maximize goes unanswered; the window
            // then covers the screen's available area by itself.
            window.setGeometry(window.screen()->availableGeometry());
            window.showMaximized();
        },
        [] { return QApplication::exec(); });
}
