// The boundary between Qt's event loop and the model, on a small window of its own: what
// happens when a handler fails, when a tick falls inside a handler, and the platform's boxes.
#include "tests/gui/MessageBoxes.h"
#include "tests/support/CloseQuestion.h"
#include "ui/qt/QtServices.h"
#include "ui/qt/QtWindow.h"

#include <QPushButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tovask::qt {
namespace {

// A window with one button and one timer that ticks every millisecond while enabled.
struct Model {
    ui::Window window{"Form", {0, 0, 1000, 1000}, "Form"};
    ui::CommandButton button{"Button", 0, {100, 100, 500, 300}, "Go"};
    ui::Timer timer{"Ticker", {}, 1};
    Model() {
        window.add(button);
        window.add(timer);
    }
};

QPushButton* buttonOf(const QtWindow& window) {
    return window.findChild<QPushButton*>("Button");
}

TEST(Binding, AnExceptionFromAHandlerEndsTheRunWithACriticalMessageAndExitCode1) {
    Model model;
    int clicks = 0;
    model.button.onClick = [&clicks] {
        ++clicks;
        throw std::runtime_error("the disk is full");
    };
    QtWindow window(model.window, 1000, 1000);
    window.resize(200, 200);
    window.show();

    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    test::answerNextMessageBox([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        icon = box.icon();
    });
    QTimer::singleShot(0, &window,
                       [&window] { QTest::mouseClick(buttonOf(window), Qt::LeftButton); });
    // A safety net: a run that failed to end would otherwise hang the test.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QApplication::exec(), 1);

    EXPECT_EQ(title, "tovask");
    EXPECT_EQ(text, "The run has ended: the disk is full");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_TRUE(window.runEnded());
    // Nothing reaches the model any more.
    QTest::mouseClick(buttonOf(window), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

// A handler that waits in a nested event loop (a message box does) holds every tick until it
// has finished; the ticks that fell meanwhile count as one, as a timer's ticks do.
TEST(Binding, ATickThatFallsInsideAHandlerWaitsForItToFinish) {
    Model model;
    std::vector<std::string> events;
    model.button.onClick = [&] {
        events.push_back("click");
        model.timer.setEnabled(true);
        QTest::qWait(50);
        events.push_back("click done");
    };
    model.timer.onTick = [&] {
        events.push_back("tick");
        model.timer.setEnabled(false);
    };
    QtWindow window(model.window, 1000, 1000);
    window.resize(200, 200);
    window.show();

    QTest::mouseClick(buttonOf(window), Qt::LeftButton);
    QTest::qWait(20);

    EXPECT_EQ(events, (std::vector<std::string>{"click", "click done", "tick"}));
}

// A timer of the window that is none of its controls (the session watch) ticks like the others.
TEST(Binding, ABackgroundTimerTicksLikeTheOthers) {
    Model model;
    ui::Timer watch{"Watch", {}, 1};
    model.window.addBackgroundTimer(watch);
    int ticks = 0;
    watch.onTick = [&] {
        if (++ticks == 3)
            watch.setEnabled(false);
    };
    QtWindow window(model.window, 1000, 1000);
    watch.setEnabled(true);
    QTest::qWait(50);
    EXPECT_EQ(ticks, 3);
}

TEST(Binding, ThePlatformsBoxesAreModalWithTheTitleAndOneOkButtonOrYesAndNo) {
    QtServices services;
    QString title, text;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    test::answerNextMessageBox([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        buttons = box.standardButtons();
        modal = box.isModal();
    });

    services.showMessage("tovask", "Mistake in data entry on problem 7");

    EXPECT_EQ(title, "tovask");
    EXPECT_EQ(text, "Mistake in data entry on problem 7");
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_TRUE(modal);

    // A question: Yes and No, No the default; the answer is the button chosen.
    for (const QMessageBox::StandardButton answer : {QMessageBox::Yes, QMessageBox::No}) {
        QMessageBox::StandardButton preset = QMessageBox::NoButton;
        test::answerNextMessageBox(
            [&](QMessageBox& box) {
                buttons = box.standardButtons();
                preset = box.standardButton(box.defaultButton());
            },
            answer);
        EXPECT_EQ(services.ask("tovask", "Close the window?"), answer == QMessageBox::Yes);
        EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(preset, QMessageBox::No);
    }
}

// The close box and Alt+F4 close the window only where the model lets them.
TEST(Binding, ClosingTheWindowAsksTheModel) {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    for (const bool may : {false, true}) {
        Model model;
        const test::CloseQuestion question(model.window, may);
        QtWindow window(model.window, 1000, 1000);
        window.show();
        EXPECT_EQ(window.close(), may);
        EXPECT_EQ(question.asked(), 1);
        EXPECT_EQ(window.isVisible(), !may);
    }
    QGuiApplication::setQuitOnLastWindowClosed(true);
}

} // namespace
} // namespace tovask::qt
