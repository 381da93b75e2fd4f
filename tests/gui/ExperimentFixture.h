#pragma once
// The experiment in its Qt window at 0.1 pixel per twip, loaded and shown, for the widget tests
// that drive a run: a test writes its data files, then calls show().

#include "core/Experiment.h"
#include "tests/support/TestServices.h"
#include "ui/qt/QtWindow.h"

#include <QPushButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace tovask::test {

class ExperimentFixture : public ::testing::Test {
protected:
    // Loads the experiment, then shows the window 1850 pixels wide: the width decides the scale.
    void show() {
        window.deliver([this] { experiment.Experiment_Load(); });
        window.resize(1850, 1100);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    template <class T> T* widget(const char* name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QPushButton* button() { return widget<QPushButton>("Continue"); }

    TestServices services;
    Experiment experiment{services};
    qt::QtWindow window{experiment.form, Experiment::kDesignWidth, Experiment::kDesignHeight};
};

} // namespace tovask::test
