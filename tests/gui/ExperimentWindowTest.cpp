// The experiment in its Qt window: the subject's clicks, keys and slider reach the handlers,
// and the window shows what the model holds, scaled to its size.
#include "tests/gui/ExperimentFixture.h"
#include "tests/gui/ScrollBarThumb.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace tovask {
namespace {

using test::W;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

class ExperimentWindow : public test::ExperimentFixture {
protected:
    ExperimentWindow() {
        services.writeNumberedWords();
        services.writeData("inp01.001", "2\r\n1,1,11,10,1,1.5,2\r\n2,2,21,8,1,2,2\r\n");
        show();
    }
    void clickContinue() { QTest::mouseClick(button(), Qt::LeftButton); }

    // Stage 11 with the reading time run out, ticked by the model.
    void readInstructions() {
        clickContinue();
        clickContinue();
        for (int second = 0; second < 10; ++second)
            experiment.ReadInstructionsTimer.tick();
    }
    // Problem 1 on the screen; every run of the slider's change handling is counted.
    void showFirstProblem() {
        const auto handling = experiment.AllocationSlider.onChange;
        experiment.AllocationSlider.onChange = [this, handling] {
            ++changes;
            handling();
        };
        readInstructions();
        QTest::keyClick(button(), Qt::Key_C, Qt::ControlModifier);
        clickContinue();
        clickContinue();
        ASSERT_EQ(experiment.pn, 1);
    }

    int changes = 0;
};

TEST_F(ExperimentWindow, AClickOnContinueLeavesTheParameterScreen) {
    clickContinue();

    EXPECT_EQ(experiment.Stage, 1);
    EXPECT_FALSE(widget<QGroupBox>("Parameters")->isVisible());
    EXPECT_EQ(button()->text(), q(W(18)));
    EXPECT_EQ(window.windowTitle(), q(W(36)));
    auto* logo = widget<QLabel>("TARVlogo");
    EXPECT_TRUE(logo->isVisible());
    EXPECT_EQ(logo->pixmap().width(), logo->width()); // the logo, scaled to its box
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(ExperimentWindow, TheParameterScreenShowsTheModelsTextsAndTakesWhatIsTyped) {
    auto* treatment = widget<QComboBox>("TreatmentVal");
    EXPECT_EQ(treatment->currentText(), "3"); // filling the list must not select "1"
    EXPECT_EQ(treatment->count(), 2);
    auto* subject = widget<QComboBox>("SubjectNumber");
    EXPECT_FALSE(subject->isEnabled());
    EXPECT_EQ(subject->currentText(), "1");

    auto* wait = widget<QLineEdit>("TimeToWait");
    wait->setFocus();
    wait->end(false);
    QTest::keyClicks(wait, "0");
    treatment->setCurrentIndex(1);

    EXPECT_EQ(experiment.TimeToWait.text(), "30");
    EXPECT_EQ(experiment.TreatmentVal.text(), "2");
}

// The experimenter tabs through the parameter screen by tab index, past the disabled subject
// number and the hidden slider and task number.
TEST_F(ExperimentWindow, TabMovesAlongTheTabIndexThroughTheShownInputs) {
    button()->setFocus();
    std::vector<std::string> visited;
    for (int step = 0; step < 7; ++step) {
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        visited.push_back(window.focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"ReadTimeInput", "TreatmentVal", "Language",
                                                 "InputDataFile", "TimeToWait", "Continue",
                                                 "ReadTimeInput"}));
}

TEST_F(ExperimentWindow, CtrlCOnTheButtonReleasesTheRunAfterTheReadingTime) {
    readInstructions();
    ASSERT_TRUE(button()->isEnabled());
    // Enabled again, the button has the focus back: the key needs no click first.
    EXPECT_EQ(window.focusWidget(), button());

    QTest::keyClick(button(), Qt::Key_C); // code 99
    EXPECT_EQ(experiment.Stage, 11);
    QTest::keyClick(button(), Qt::Key_C, Qt::ControlModifier);

    EXPECT_EQ(experiment.Stage, 2);
    EXPECT_EQ(button()->text(), q(W(33)));
}

TEST_F(ExperimentWindow, ADisabledButtonTakesNeitherClickNorKey) {
    clickContinue();
    clickContinue(); // the reading time runs: Continue disabled, the key armed
    ASSERT_FALSE(button()->isEnabled());

    QTest::mouseClick(button(), Qt::LeftButton);
    QTest::keyClick(button(), Qt::Key_C, Qt::ControlModifier);

    EXPECT_EQ(experiment.Stage, 11);
    EXPECT_EQ(button()->text(), q(W(32))); // a click in stage 11 would show word 3
}

TEST_F(ExperimentWindow, LabelsFollowTheModelThroughTheScale) {
    auto* instructions = widget<QLabel>("Instructions");
    EXPECT_EQ(instructions->geometry(), QRect(100, 50, 1750, 600));
    EXPECT_EQ(instructions->font().pixelSize(), 29); // 14.25 pt = 285 twips

    window.resize(925, 1100); // 0.05 pixel per twip
    EXPECT_EQ(instructions->geometry(), QRect(50, 25, 875, 300));
    EXPECT_EQ(instructions->font().pixelSize(), 14);

    // Moved so that it reaches beyond the window: the label shows the part within it.
    experiment.Instructions.setLeft(2000);
    EXPECT_EQ(instructions->geometry(), QRect(100, 25, 825, 300));
}

TEST_F(ExperimentWindow, FramedInputsArePlacedInsideTheirFrames) {
    auto* input = widget<QLineEdit>("InputDataFile");
    EXPECT_EQ(input->parentWidget()->objectName(), "InputDataFileFrame");
    EXPECT_EQ(input->geometry(), QRect(12, 24, 170, 41));
}

TEST_F(ExperimentWindow, AProblemShowsItsBarsInTheRecipientsColours) {
    showFirstProblem(); // type 11: yellow (group 2) against blue (group 3)

    EXPECT_EQ(widget<QLabel>("AllocationOne")->palette().color(QPalette::Window),
              QColor(249, 254, 37));
    EXPECT_EQ(widget<QLabel>("AllocationTwoTwo")->palette().color(QPalette::Window),
              QColor(0, 0, 232));
    EXPECT_EQ(widget<QLabel>("AllocationOne")->text(), q("5.00" + W(5) + W(38)));
}

// A '&' in a word would mark a mnemonic: it would vanish from the caption and bind Alt plus the
// next letter, a key the subject could press by chance.
TEST_F(ExperimentWindow, CaptionsShowAnAmpersandAsWritten) {
    experiment.Continue.setCaption("Tom & Jerry");
    experiment.Parameters.setCaption("R&D");

    EXPECT_EQ(button()->text(), "Tom && Jerry"); // how Qt writes a plain '&'
    EXPECT_TRUE(button()->shortcut().isEmpty());
    EXPECT_EQ(widget<QGroupBox>("Parameters")->title(), "R&&D");
}

TEST_F(ExperimentWindow, AValueSetByTheProgramRaisesTheChangeHandlingOnce) {
    showFirstProblem(); // stage 3 sets the slider to 500 of 1000

    EXPECT_EQ(changes, 1);
    auto* slider = widget<QScrollBar>("AllocationSlider");
    EXPECT_TRUE(slider->isVisible());
    EXPECT_EQ(slider->maximum(), 1000);
    EXPECT_EQ(slider->value(), 500);
}

TEST_F(ExperimentWindow, ADraggedThumbChangesTheAnswerOnceWhenReleased) {
    showFirstProblem();
    auto* slider = widget<QScrollBar>("AllocationSlider");
    const QPoint thumb = qt::thumbCentre(slider);
    const std::string caption = experiment.AllocationOne.caption();
    changes = 0;

    QTest::mousePress(slider, Qt::LeftButton, {}, thumb);
    for (int dx = 20; dx <= 200; dx += 20)
        QTest::mouseMove(slider, thumb + QPoint(dx, 0));
    EXPECT_GT(slider->sliderPosition(), 500); // the thumb follows the mouse...
    EXPECT_EQ(changes, 0);                    // ...but nothing changes while it is dragged
    EXPECT_EQ(experiment.AllocationSlider.value(), 500);

    QTest::mouseRelease(slider, Qt::LeftButton, {}, thumb + QPoint(200, 0));
    EXPECT_EQ(changes, 1);
    EXPECT_GT(experiment.AllocationSlider.value(), 500);
    EXPECT_EQ(experiment.AllocationSlider.value(), slider->value());
    EXPECT_NE(widget<QLabel>("AllocationOne")->text(), q(caption));
}

TEST_F(ExperimentWindow, AnArrowKeyOnTheSliderStepsItByOne) {
    showFirstProblem();
    auto* slider = widget<QScrollBar>("AllocationSlider");
    changes = 0;

    QTest::keyClick(slider, Qt::Key_Right);

    EXPECT_EQ(changes, 1);
    EXPECT_EQ(experiment.AllocationSlider.value(), 501);
}

TEST_F(ExperimentWindow, TheReadingTimerTicksReachTheModel) {
    experiment.ReadTimeInput.setText("2");
    clickContinue();
    clickContinue();
    auto* timer = widget<QTimer>("ReadInstructionsTimer");
    ASSERT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);

    timer->setInterval(1); // two ticks without two seconds of waiting
    // The last tick disables the model's timer, and that stops the QTimer.
    EXPECT_TRUE(QTest::qWaitFor([timer] { return !timer->isActive(); }, 2000));

    EXPECT_EQ(experiment.ReadTime, 0);
    EXPECT_EQ(window.windowTitle(), q(W(10)));
    EXPECT_TRUE(button()->isEnabled());
}

} // namespace
} // namespace tovask
