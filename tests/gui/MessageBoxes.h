#pragma once
// Modal message boxes in widget tests: the next one that opens is inspected and answered OK.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace tovask::test {

// Polls for the box because it opens inside a handler's nested event loop, after the call
// that raises it has begun.
inline void answerNextMessageBox(std::function<void(QMessageBox&)> inspect) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, inspect = std::move(inspect)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        inspect(*box);
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    });
    poll->start(5);
}

} // namespace tovask::test
