// A click in stage 3 puts the next problem on the screen.
#include "core/Experiment.h"

#include "base/Numbers.h"

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
    const bool inverted = inv[p].value_or(0) == 1;
    switch (type) {
    case 11:
        one(2, e[2][p]);
        two(3, 3, e[3][p]);
        break;
    case 12:
        one(1, e[1][p]);
        two(3, 3, e[3][p]);
        break;
    case 13:
        one(1, e[1][p]);
        two(2, 2, e[2][p]);
        break;
    case 21:
        one(1, e[1][p]);
        inverted ? two(3, 2, e[2][p]) : two(2, 3, e[2][p]);
        break;
    case 22:
        one(2, e[2][p]);
        inverted ? two(3, 1, e[1][p]) : two(1, 3, e[1][p]);
        break;
    case 23:
        one(3, e[3][p]);
        inverted ? two(2, 1, e[1][p]) : two(1, 2, e[1][p]);
        break;
    default:
        break; // the problem file reader admits only the six types
    }
}

namespace {

// Rate sentences by type: the subject of each and the group whose rate it states.
struct RateSentence {
    int group;     // the single group, or the first member of the pair
    int pairGroup; // the second member of a pair, 0 for a single group
    int rateOf;
};

bool RateSentences(int type, RateSentence& first, RateSentence& second) {
    switch (type) {
    case 11:
        first = {2, 0, 2}, second = {3, 0, 3};
        return true;
    case 12:
        first = {1, 0, 1}, second = {3, 0, 3};
        return true;
    case 13:
        first = {1, 0, 1}, second = {2, 0, 2};
        return true;
    case 21:
        first = {1, 0, 1}, second = {2, 3, 2};
        return true;
    case 22:
        first = {2, 0, 2}, second = {1, 3, 1};
        return true;
    case 23:
        first = {3, 0, 3}, second = {1, 2, 1};
        return true;
    default:
        return false;
    }
}

} // namespace

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
    AllocationOne.setCaption(unitsOne + Words[5] + NameOne);
    AllocationTwoOne.setCaption(pair ? Words[19] + NameTwoOne : " ");
    AllocationTwoTwo.setCaption(unitsTwo + Words[5] + NameTwoTwo);
    MoneyOne.setCaption(Words[6] + moneyOne + Words[27] + NameOne);
    MoneyTwoOne.setCaption(pair ? Words[19] + NameTwoOne : "");
    MoneyTwoTwo.setCaption(Words[6] + moneyTwo + Words[27] + NameTwoTwo);
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
    std::string text = Words[22] + doubleText(a[pn]) + Words[23];
    RateSentence first, second;
    if (RateSentences(static_cast<int>(pt[pn]), first, second)) {
        for (const RateSentence& sentence : {first, second}) {
            std::string subject = ColourName[sentence.group];
            if (sentence.pairGroup != 0)
                subject += Words[19] + ColourName[sentence.pairGroup];
            text += Words[24] + subject + Words[25] + singleText(e[sentence.rateOf][pn]) + ".";
        }
    }
    Instructions.setCaption(text + Words[26]);
    form.setCaption(Words[11] + std::to_string(pn) + ".");

    WaitTimer.setEnabled(true);
    WaitLeft = waitLeft;
    Continue.setCaption(Words[15]);
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
