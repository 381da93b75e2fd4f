// A whole run of the bundled inp02.001 through the real widgets and the real one-second timers:
// what the subject and the experimenter do reaches the model only as mouse and key events on
// the widgets. The results file must be byte for byte the one that the scenario runner writes
// for the same run (tests/scenario/whole_run_inp02: the same slider values, the same draws).
#include "tests/gui/ExperimentFixture.h"
#include "tests/gui/ScrollBarThumb.h"
#include "ui/Scaling.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace tovask {
namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class WholeRun : public test::ExperimentFixture {
protected:
    WholeRun() {
        services.copyBundled("english.wds");
        services.copyBundled("inp02.001");
        show();
    }

    std::string caption(const char* label) { return widget<QLabel>(label)->text().toStdString(); }
    QScrollBar* slider() { return widget<QScrollBar>("AllocationSlider"); }

    void click() { QTest::mouseClick(button(), Qt::LeftButton); }
    void experimenterKey() { QTest::keyClick(button(), Qt::Key_C, Qt::ControlModifier); }

    // The text of an input replaced by typing: Ctrl+A selects what is there.
    static void type(QLineEdit* edit, const char* text) {
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    }

    // Continue comes back when the running timer has counted down: real seconds pass. (A slow
    // machine may have got there already while the slider was moved.)
    void waitForContinue() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return button()->isEnabled(); }, 5000));
    }

    // The click that shows problem p: in stage 3, or in stage 5 after the click that confirmed
    // the one before (stage 5 shows the next problem in the same click).
    void showProblem(int p) {
        click();
        ASSERT_EQ(experiment.pn, p);
    }
    // Once the waiting time is over the subject may still move the slider, then confirms.
    void confirm(std::optional<int> lastMove = std::nullopt) {
        waitForContinue();
        if (lastMove)
            moveSliderTo(*lastMove);
        click();
    }

    // The subject drags the thumb as near to target as a pixel allows and lets it go there,
    // then steps the rest with the arrow keys: a pixel of the track is more than one of the
    // 1000 units.
    void moveSliderTo(int target) {
        QScrollBar* bar = slider();
        const QPoint from = qt::thumbCentre(slider());
        QTest::mousePress(bar, Qt::LeftButton, {}, from);
        // The thumb's position grows with the distance dragged: the smallest distance that
        // reaches the target, by bisection while the button is held.
        int low = -bar->width();
        int high = bar->width();
        while (low < high) {
            const int mid = low + (high - low) / 2;
            QTest::mouseMove(bar, from + QPoint(mid, 0));
            if (bar->sliderPosition() < target)
                low = mid + 1;
            else
                high = mid;
        }
        QTest::mouseMove(bar, from + QPoint(low, 0));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, from + QPoint(low, 0));
        ASSERT_LE(std::abs(bar->value() - target), 10) << "the drag ended far from " << target;
        while (bar->value() < target)
            QTest::keyClick(bar, Qt::Key_Right);
        while (bar->value() > target)
            QTest::keyClick(bar, Qt::Key_Left);
        ASSERT_EQ(experiment.AllocationSlider.value(), target);
    }
};

// Waits for the real one-second timers: about four seconds.
TEST_F(WholeRun, ThroughTheWidgetsWritesTheScenarioRunnersResultsAndShowsThePlayedOutTask) {
    // The parameter screen, typed.
    type(widget<QLineEdit>("InputDataFile"), "02");
    type(widget<QLineEdit>("ReadTimeInput"), "1");
    type(widget<QLineEdit>("TimeToWait"), "1");
    click();
    click();
    ASSERT_EQ(experiment.Stage, 11);

    // The reading time, then the first hold point.
    waitForContinue();
    experimenterKey();
    ASSERT_EQ(experiment.Stage, 2);
    click();

    // Problem 1 (type 11, side one on the left): 7.5 units to side one.
    showProblem(1);
    moveSliderTo(250);
    EXPECT_EQ(caption("AllocationOne"), "7.5 units to yellow");
    confirm();

    // Problem 2 (type 21, side one on the right), moved again after its waiting time.
    showProblem(2);
    moveSliderTo(900);
    confirm(800);

    // Problem 3: the slider left in the middle.
    showProblem(3);
    confirm();
    ASSERT_EQ(experiment.Stage, 6);
    click(); // writes the results file

    const std::string expected = fileBytes(TOVASK_SCENARIO_DIR "/whole_run_inp02.out02.001");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(services.readData("out02.001"), expected);

    // The second hold point, then task 2 is played out.
    experimenterKey();
    ASSERT_EQ(experiment.Stage, 7);
    click();
    auto* task = widget<QComboBox>("TaskNumber");
    ASSERT_TRUE(task->isVisible());
    type(task->lineEdit(), "2");
    click();
    ASSERT_EQ(experiment.Stage, 9);
    ASSERT_EQ(experiment.pn, 2);
    EXPECT_TRUE(services.messages.empty());

    // The played-out screen shows the model's captions, where the model puts them.
    const std::pair<const char*, const ui::Label*> labels[] = {
        {"AllocationOne", &experiment.AllocationOne},
        {"AllocationTwoOne", &experiment.AllocationTwoOne},
        {"AllocationTwoTwo", &experiment.AllocationTwoTwo},
        {"MoneyOne", &experiment.MoneyOne},
        {"MoneyTwoOne", &experiment.MoneyTwoOne},
        {"MoneyTwoTwo", &experiment.MoneyTwoTwo},
        {"SummaryOne", &experiment.SummaryOne},
        {"SummaryTwo", &experiment.SummaryTwo},
    };
    for (const auto& [name, model] : labels) {
        auto* label = widget<QLabel>(name);
        EXPECT_EQ(caption(name), model->caption()) << name;
        EXPECT_TRUE(label->isVisible()) << name;
        const ui::PixelRect r = ui::toPixels(model->rect(), window.scale());
        EXPECT_EQ(label->geometry(), QRect(r.x, r.y, r.width, r.height)) << name;
        if (model->fontSize() > 0) { // the bars' sizes, left by the last slider handling
            EXPECT_EQ(label->font().pixelSize(), ui::fontPixels(model->fontSize(), window.scale()))
                << name;
        }
    }
    EXPECT_EQ(caption("AllocationOne"), "6.4 units to red");
    EXPECT_EQ(caption("MoneyOne"), "EUR 6.4 for red");
    EXPECT_EQ(caption("SummaryTwo"), "EUR 2.4 for yellow and blue");
    EXPECT_FALSE(slider()->isVisible());
    EXPECT_FALSE(widget<QWidget>("PlayingOutFrame")->isVisible());
    // Side one on the right of the centre line, side two on the left: they meet on it.
    EXPECT_EQ(widget<QLabel>("AllocationTwoTwo")->geometry().right() + 1,
              widget<QLabel>("AllocationOne")->x());
    EXPECT_EQ(widget<QLabel>("MoneyTwoTwo")->geometry().right() + 1,
              widget<QLabel>("MoneyOne")->x());
}

} // namespace
} // namespace tovask
