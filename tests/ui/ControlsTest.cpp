// The control model's semantics that the experiment logic relies on, without any widget: the
// slider's change handling, a button that takes no input, a font size read back as the layer
// reports it, and a slider change that tells a binding of each change once.
#include "ui/Controls.h"
#include "tests/support/Run.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace tovask::ui {
namespace {

// Counts what a binding is told, per control and property.
struct Notifications : ControlObserver {
    void changed(Control& control, Property property) override {
        ++count[{control.name(), property}];
    }
    std::map<std::pair<std::string, Property>, int> count;
};

TEST(ScrollBar, ADifferentValueRaisesTheChangeOnceNestedAndTheSameValueNothing) {
    HScrollBar bar("AllocationSlider", 0, {});
    bar.setMax(1000);
    Notifications told;
    bar.setObserver(&told);
    std::vector<int> seen;
    bar.onChange = [&] { seen.push_back(bar.value()); };

    bar.setValue(500);
    EXPECT_EQ(seen, std::vector<int>{500}); // raised inside setValue, with the new value
    bar.setValue(500);
    EXPECT_EQ(seen, std::vector<int>{500});
    EXPECT_EQ((told.count[{"AllocationSlider", Property::Value}]), 1);

    // A handler that sets the value again nests one level deeper, once.
    bar.onChange = [&] {
        seen.push_back(bar.value());
        if (bar.value() == 700)
            bar.setValue(300);
    };
    bar.setValue(700);
    EXPECT_EQ(seen, (std::vector<int>{500, 700, 300}));
    EXPECT_THROW(bar.setValue(1001), std::out_of_range);
    EXPECT_EQ(bar.value(), 300);
}

TEST(Button, TakesClicksAndKeysOnlyWhileEnabledAndVisible) {
    CommandButton button("Continue", 0, {}, "Continue");
    int clicks = 0;
    std::vector<std::int16_t> keys;
    button.onClick = [&] { ++clicks; };
    button.onKeyPress = [&](std::int16_t& code) { keys.push_back(code); };
    const auto press = [&] {
        button.click();
        std::int16_t code = 3;
        button.keyPress(code);
    };

    button.setEnabled(false);
    press();
    button.setEnabled(true);
    button.setVisible(false);
    press();
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(keys.empty());

    button.setVisible(true);
    press();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(keys, std::vector<std::int16_t>{3});
}

TEST(LabelFont, ASizeReadsBackAsTheLabelReportsIt) {
    Label label("MoneyOne", 0, {});
    Notifications told;
    label.setObserver(&told);
    const struct {
        double set;
        float reported;
    } cases[] = {{8.75, 8.75f},
                 {24, 24},
                 {0.5, Label::kMinFontSize},
                 {0, Label::kMinFontSize},
                 {-3, Label::kMinFontSize}};
    for (const auto& c : cases) {
        label.setFontSize(c.set);
        EXPECT_EQ(label.fontSize(), c.reported) << c.set;
        EXPECT_EQ(Label::reportedFontSize(c.set), c.reported) << c.set;
    }
    // 8.75, 24, then 1 once: asking for another size below the smallest changes nothing.
    EXPECT_EQ((told.count[{"MoneyOne", Property::Font}]), 3);
}

// A binding rebuilds a widget's geometry or font for every notification: one slider change
// tells it each change of each bar once, also for a bar so wide that its font is capped.
TEST(SliderChange, TellsEachChangeOfEachControlOnce) {
    bool capped = false;
    for (const int value : {900, 100, 0}) {
        test::Session run({"1,1,21,10,1,4,4"});
        run.release();
        run.present();
        Notifications told;
        for (Control* control : run.x.form.controls())
            control->setObserver(&told);
        run.x.AllocationSlider.setValue(value);
        capped = capped || run.x.MoneyOne.fontSize() == run.x.MaxFontSize ||
                 run.x.MoneyTwoTwo.fontSize() == run.x.MaxFontSize;
        for (const auto& [what, times] : told.count)
            EXPECT_EQ(times, 1) << what.first << " property " << static_cast<int>(what.second)
                                << " at value " << value;
    }
    EXPECT_TRUE(capped); // a money bar at a rate of 4 is wide enough to cap its font
}

} // namespace
} // namespace tovask::ui
