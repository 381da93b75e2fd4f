// A click in stage 3 puts the next problem on the screen.
#include "core/Experiment.h"

#include "tasks/Numbers.h"

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

    // A label placed left ends on the centre line, one placed right starts on it. Side one is
    // placed left when rev is 0; side two always takes the other side.
    const double u = BarCentre;
    const double s = 0.5 * BarLength * a[pn] / MaxAmount;
    const bool oneLeft = rev[pn] == 0;
    const auto place = [u](ui::Label& label, bool left) {
        label.setLeft(left ? u - label.width() : u);
    };
    const auto bar = [&](ui::Label& label, std::uint32_t colour, double width, bool left) {
        label.setBackColor(colour);
        label.setVisible(true);
        label.setWidth(width);
        place(label, left);
    };
    const std::uint32_t colourTwoTwo = static_cast<std::uint32_t>(std::stoul(ColourTwoTwo));
    const bool pair = isPairType(pt[pn]);
    const double half = 0.5 * a[pn];

    bar(AllocationOne, ColourOne, s, oneLeft);
    AllocationOne.setCaption(FormatAmountFixed(half) + Words[5] + NameOne);
    bar(AllocationTwoOne, ColourTwoOne, s, !oneLeft);
    AllocationTwoOne.setCaption(pair ? Words[19] + NameTwoOne : " ");
    bar(AllocationTwoTwo, colourTwoTwo, s, !oneLeft);
    AllocationTwoTwo.setCaption(FormatAmountFixed(half) + Words[5] + NameTwoTwo);

    bar(MoneyOne, ColourOne, s * RateOne, oneLeft);
    bar(MoneyTwoOne, ColourTwoOne, s * RateTwo, !oneLeft);
    bar(MoneyTwoTwo, colourTwoTwo, s * RateTwo, !oneLeft);
    MoneyOne.setCaption(Words[6] + FormatAmountFixed(half * RateOne) + Words[27] + NameOne);
    MoneyTwoOne.setCaption(pair ? Words[19] + NameTwoOne : "");
    MoneyTwoTwo.setCaption(Words[6] + FormatAmountFixed(half * RateTwo) + Words[27] + NameTwoTwo);

    SummaryOne.setVisible(true);
    SummaryTwo.setVisible(true);
    place(SummaryOne, oneLeft);
    place(SummaryTwo, !oneLeft);
    SummaryOne.setCaption(MoneyOne.caption());
    SummaryTwo.setCaption(MoneyTwoTwo.caption() + MoneyTwoOne.caption());

    // The bar texts take the size the slider handling gives bars of these widths. Left as the
    // nested change set them, they would follow the previous problem's rates (for the first
    // problem, rates of 0: one-point money texts nobody can read).
    for (ui::Label* label : {&AllocationOne, &AllocationTwoOne, &AllocationTwoTwo, &MoneyOne,
                             &MoneyTwoOne, &MoneyTwoTwo})
        ApplyFontRule(*label, label->width());

    all[pn] = half;
    RecordProblemShown();
}

} // namespace tovask
