// A click in stage 3 puts the next problem on the screen.
#include "core/Experiment.h"

#include "base/Numbers.h"
#include "core/Words.h"

namespace tovask {

void Experiment::SetWorkingValues(int p) {
    const auto one = [this](int k, float rate) {
        ColourOne = Colour[k];
        NameOne = ColourName[k];
        RateOne = rate;
    };
    const auto two = [this](int first, int second, float rate) {
        ColourTwoOne = Colour[first];
        NameTwoOne = ColourName[first];
        ColourTwoTwo = std::to_string(Colour[second]);
        NameTwoTwo = ColourName[second];
        RateTwo = rate;
    };
    const int type = static_cast<int>(pt[p]);
    if (isPairType(type) && e[pairGroups(type)[0]][p] != e[pairGroups(type)[1]][p])
        Message("Error in data in problem " + std::to_string(p));
    const auto sides = sidesOf(type);
    if (!sides)
        return; // the problem file reader admits only the six types
    one(sides->one, e[sides->one][p]);
    // The inverted order draws the pair's second member first; a single side is its group twice.
    const auto [first, second] = sides->two;
    const float rateTwo = e[first][p];
    inv[p].value_or(0) == 1 ? two(second, first, rateTwo) : two(first, second, rateTwo);
}

// The six bars of a problem in the working values' colours, with the widths given (the two
// bars of side two equally wide), and the two summary lines. A label placed left ends on the
// centre line, one placed right starts on it; side one is placed left when oneLeft, side two
// always takes the other side. The bar texts take the size the slider handling gives bars of
// these widths, whatever an earlier problem or slider move left.
void Experiment::ShowBars(double unitsOne, double unitsTwo, double moneyOne, double moneyTwo,
                          bool oneLeft) {
    const auto leftEdge = [this](bool left, float width) {
        return left ? BarCentre - width : BarCentre;
    };
    const auto place = [&](ui::Label& label, bool left) {
        label.setLeft(leftEdge(left, label.width()));
    };
    const auto bar = [&](ui::Label& label, std::uint32_t colour, double width, bool left) {
        label.setBackColor(colour);
        label.setVisible(true);
        label.setLeftAndWidth(leftEdge(left, static_cast<float>(width)), width);
        ApplyFontRule(label, label.width());
    };
    const auto colourTwoTwo = static_cast<std::uint32_t>(std::stoul(ColourTwoTwo));
    bar(AllocationOne, ColourOne, unitsOne, oneLeft);
    bar(AllocationTwoOne, ColourTwoOne, unitsTwo, !oneLeft);
    bar(AllocationTwoTwo, colourTwoTwo, unitsTwo, !oneLeft);
    bar(MoneyOne, ColourOne, moneyOne, oneLeft);
    bar(MoneyTwoOne, ColourTwoOne, moneyTwo, !oneLeft);
    bar(MoneyTwoTwo, colourTwoTwo, moneyTwo, !oneLeft);
    SummaryOne.setVisible(true);
    SummaryTwo.setVisible(true);
    place(SummaryOne, oneLeft);
    place(SummaryTwo, !oneLeft);
}

// The texts of the bars and the summary lines, with the amounts as the caller writes them. The
// first bar of a pair side names the pair's first member; the summary of side two reads the
// money of the second member followed by the first member's name.
void Experiment::ShowBarTexts(const std::string& unitsOne, const std::string& unitsTwo,
                              const std::string& moneyOne, const std::string& moneyTwo) {
    const bool pair = isPairType(pt[pn]);
    AllocationOne.setCaption(unitsOne + Words[word::kUnitsTo] + NameOne);
    AllocationTwoOne.setCaption(pair ? Words[word::kPairJoin] + NameTwoOne : " ");
    AllocationTwoTwo.setCaption(unitsTwo + Words[word::kUnitsTo] + NameTwoTwo);
    MoneyOne.setCaption(Words[word::kMoneyBefore] + moneyOne + Words[word::kMoneyFor] + NameOne);
    MoneyTwoOne.setCaption(pair ? Words[word::kPairJoin] + NameTwoOne : "");
    MoneyTwoTwo.setCaption(Words[word::kMoneyBefore] + moneyTwo + Words[word::kMoneyFor] +
                           NameTwoTwo);
    SummaryOne.setCaption(MoneyOne.caption());
    SummaryTwo.setCaption(MoneyTwoTwo.caption() + MoneyTwoOne.caption());
}

void Experiment::StageThree() {
    // Checked before anything changes, so a failed click can be repeated.
    const std::int16_t waitLeft = Seconds(TimeToWait, "The time to wait");

    pn = static_cast<std::int16_t>(pn + 1);
    rev[pn] = random_.next() <= 0.5f ? 0 : 1;
    inv[pn] = random_.next() <= 0.5f ? 0 : 1;

    Instructions.setVisible(true);
    std::string text =
        Words[word::kProblemBeforeAmount] + doubleText(a[pn]) + Words[word::kProblemAfterAmount];
    // One sentence per side: its group, or the two groups of its pair, and the side's rate.
    if (const auto sides = sidesOf(static_cast<int>(pt[pn]))) {
        const auto sentence = [&](int group, int pairGroup) {
            std::string subject = ColourName[group];
            if (pairGroup != group)
                subject += Words[word::kPairJoin] + ColourName[pairGroup];
            text += Words[word::kRateSentenceStart] + subject +
                    Words[word::kRateSentenceBeforeRate] + singleText(e[group][pn]) + ".";
        };
        sentence(sides->one, sides->one);
        sentence(sides->two[0], sides->two[1]);
    }
    Instructions.setCaption(text + Words[word::kProblemInstructionsEnd]);
    form.setCaption(Words[word::kProblemTitleBeforeNumber] + std::to_string(pn) + ".");

    WaitTimer.setEnabled(true);
    WaitLeft = waitLeft;
    Continue.setCaption(Words[word::kProblemShownButton]);
    Continue.setEnabled(false);

    // Setting the value raises the change handling at once when the slider was elsewhere; it
    // runs with the previous problem's working values, so everything it sets is set again
    // below, the font sizes included.
    AllocationSlider.setVisible(true);
    AllocationSlider.setMax(1000);
    AllocationSlider.setValue(500);

    SetWorkingValues(pn);

    const double s = 0.5 * BarLength * a[pn] / MaxAmount;
    const double half = 0.5 * a[pn];
    ShowBars(s, s, s * RateOne, s * RateTwo, rev[pn] == 0);
    ShowBarTexts(FormatAmountFixed(half), FormatAmountFixed(half),
                 FormatAmountFixed(half * RateOne), FormatAmountFixed(half * RateTwo));

    all[pn] = half;
    RecordProblemShown();
}

} // namespace tovask
