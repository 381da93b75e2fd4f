#pragma once
// Modal message boxes in widget tests: the next one that opens is inspected and answered (OK
// unless another button is named).

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace tovask::test {

// Polls for the box because it opens inside a handler's nested event loop, after the call
// that raises it has begun.
inline void answerNextMessageBox(std::function<void(QMessageBox&)> inspect,
                                 QMessageBox::StandardButton answer = QMessageBox::Ok) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, inspect = std::move(inspect)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        inspect(*box);
        if (QAbstractButton* button = box->button(answer))
            button->click();
        else
            box->reject();
    });
    poll->start(5);
}

} // namespace tovask::test
