#pragma once
// Header-only helpers that drive a whole run through the window's public handlers: a fresh
// program folder with the numbered word file and a problem file, and one call per step a
// subject or an experimenter takes.

#include "core/Experiment.h"
#include "tests/support/TestServices.h"
#include "tools/script/Dump.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tovask::test {

inline constexpr std::int16_t kCtrlC = 3;
inline constexpr double kCentre = 9750; // the centre line of the bars

// Width w, and Left such that the label ends on the centre line (placed left) or starts on
// it (placed right).
inline void ExpectBar(const ui::Label& label, double width, bool placedLeft) {
    SCOPED_TRACE(label.name());
    EXPECT_TRUE(label.visible());
    EXPECT_FLOAT_EQ(label.width(), static_cast<float>(width));
    if (placedLeft) {
        EXPECT_FLOAT_EQ(label.left(), static_cast<float>(kCentre - label.width()));
        EXPECT_NEAR(label.left() + label.width(), kCentre, 1e-3);
    } else {
        EXPECT_FLOAT_EQ(label.left(), static_cast<float>(kCentre));
    }
}
// The six bars of a problem: units and money of side one on one side of the centre line, the two
// bars of side two, each as wide as its side's units or money, on the other.
inline void ExpectBars(const Experiment& x, double unitsOne, double unitsTwo, double moneyOne,
                       double moneyTwo, bool oneLeft) {
    ExpectBar(x.AllocationOne, unitsOne, oneLeft);
    ExpectBar(x.AllocationTwoOne, unitsTwo, !oneLeft);
    ExpectBar(x.AllocationTwoTwo, unitsTwo, !oneLeft);
    ExpectBar(x.MoneyOne, moneyOne, oneLeft);
    ExpectBar(x.MoneyTwoOne, moneyTwo, !oneLeft);
    ExpectBar(x.MoneyTwoTwo, moneyTwo, !oneLeft);
}
// The font sizes of the six bars' texts: side one's units and money, side two's two bars each.
inline void ExpectFontSizes(const Experiment& x, float unitsOne, float unitsTwo, float moneyOne,
                            float moneyTwo) {
    EXPECT_FLOAT_EQ(x.AllocationOne.fontSize(), unitsOne);
    EXPECT_FLOAT_EQ(x.AllocationTwoOne.fontSize(), unitsTwo);
    EXPECT_FLOAT_EQ(x.AllocationTwoTwo.fontSize(), unitsTwo);
    EXPECT_FLOAT_EQ(x.MoneyOne.fontSize(), moneyOne);
    EXPECT_FLOAT_EQ(x.MoneyTwoOne.fontSize(), moneyTwo);
    EXPECT_FLOAT_EQ(x.MoneyTwoTwo.fontSize(), moneyTwo);
}
inline constexpr double kBarLength = 8750;
// The three group colours (0x00BBGGRR), index = group.
inline constexpr std::uint32_t kColour[4] = {0, 0x7100FB, 0x25FEF9, 0xE80000};

// The name of group k in the numbered word file (words 37 to 39).
inline std::string Name(int k) {
    return W(36 + k);
}

// A problem file: the count, then one problem per line, lines ending in CR LF.
inline std::string problemFile(const std::vector<std::string>& problems) {
    std::string text = std::to_string(problems.size()) + "\r\n";
    for (const std::string& line : problems)
        text += line + "\r\n";
    return text;
}

class Session {
public:
    // Reading time and time to wait are 1 second unless a test says otherwise.
    explicit Session(const std::vector<std::string>& problems) {
        services.writeNumberedWords();
        services.writeData("inp01.001", problemFile(problems));
        x.Experiment_Load();
        x.ReadTimeInput.setText("1");
        x.TimeToWait.setText("1");
    }

    void click() { x.Continue.click(); }
    void key(std::int16_t code) { x.Continue.keyPress(code); }

    // Stage 0 -> 1 -> 11, then the reading time runs out.
    void readInstructions() {
        click();
        click();
        for (int guard = 0; x.ReadInstructionsTimer.enabled() && guard < 40000; ++guard)
            x.ReadInstructionsTimer.tick();
    }
    // The experimenter releases the instructions and the stage-2 click follows: stage 3, pn 0.
    void release() {
        readInstructions();
        key(kCtrlC);
        click();
    }
    // The click in stage 3 or 5 that shows the next problem.
    void present() { click(); }
    void waitOut() {
        for (int guard = 0; x.WaitTimer.enabled() && guard < 40000; ++guard)
            x.WaitTimer.tick();
    }
    // The waiting time runs out and the subject confirms (the stage-4 click).
    void confirm() {
        waitOut();
        click();
    }
    // Puts the slider where side one of the problem on the screen gets `thousandths` of 1000.
    void giveSideOne(int thousandths) {
        x.AllocationSlider.setValue(sideOneLeft() ? 1000 - thousandths : thousandths);
    }
    bool sideOneLeft() const { return x.rev[x.pn].value_or(0) == 0; }

    // Every problem shown and confirmed; a value >= 0 in `sideOne` moves the slider first.
    void answerAll(const std::vector<int>& sideOne = {}) {
        release();
        for (int p = 1; p <= *x.ProblemCount; ++p) {
            present();
            const auto i = static_cast<std::size_t>(p - 1);
            if (i < sideOne.size() && sideOne[i] >= 0)
                giveSideOne(sideOne[i]);
            confirm();
        }
    }
    // After the last problem: the results are written (stage 6, key armed).
    void writeResults(const std::vector<int>& sideOne = {}) {
        answerAll(sideOne);
        click();
    }
    // The experimenter releases the playing out and the frame shows: stage 8.
    void toTaskNumber(const std::vector<int>& sideOne = {}) {
        writeResults(sideOne);
        key(kCtrlC);
        click();
    }
    void playOut(const std::string& task, const std::vector<int>& sideOne = {}) {
        toTaskNumber(sideOne);
        x.TaskNumber.setText(task);
        click();
    }

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& [title, text] : services.messages)
            texts.push_back(text);
        return texts;
    }

    TestServices services;
    Experiment x{services};
};

// Every property of every control, the window caption and the run's variables, as the scenario
// runner dumps them: whatever a handler might change, so that "changes nothing" is one
// comparison.
inline std::string snapshot(const Experiment& x) {
    return script::dumpState(x, {}, std::nullopt);
}

} // namespace tovask::test
