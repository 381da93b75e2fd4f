// The slider's change handling: the bars, their texts and the answer follow the slider.
#include "core/Experiment.h"

#include "base/Numbers.h"
#include "core/Words.h"

namespace tovask {

// The size the label would report for width * 0.004, capped at MaxFontSize, set once: the
// label's font is built once per change, not once for the size and again for the cap.
void Experiment::ApplyFontRule(ui::Label& label, double width) {
    const float reported = ui::Label::reportedFontSize(width * 0.004);
    label.setFontSize(reported > MaxFontSize ? MaxFontSize : reported);
}

void Experiment::AllocationSlider_Change() {
    const int V = AllocationSlider.value();
    const int M = AllocationSlider.max();
    const bool oneLeft = rev[pn].value_or(0) == 0;
    // Moving the slider to the right always grows the side drawn right of the centre line.
    const int ShareOne = oneLeft ? M - V : V;
    const int ShareTwo = oneLeft ? V : M - V;
    const double q1 = static_cast<double>(ShareOne) / M;
    const double q2 = static_cast<double>(ShareTwo) / M;
    const double k = a[pn];
    const double rateOne = RateOne;
    const double rateTwo = RateTwo;
    const auto leftOf = [this](bool left, double width) {
        return left ? BarCentre - width : BarCentre;
    };

    // Side two's bars are placed by their width as stored, in single precision.
    const auto stored = [](double width) { return static_cast<float>(width); };

    const double W1 = q1 * BarLength * k / MaxAmount;
    AllocationOne.setLeftAndWidth(leftOf(oneLeft, W1), W1);
    ApplyFontRule(AllocationOne, AllocationOne.width());
    AllocationOne.setCaption(FormatAmountRounded(q1 * k) + Words[word::kUnitsTo] + NameOne);

    const double W2 = q2 * BarLength * k / MaxAmount;
    AllocationTwoOne.setLeftAndWidth(leftOf(!oneLeft, stored(W2)), W2);
    AllocationTwoTwo.setLeftAndWidth(leftOf(!oneLeft, stored(W2)), W2);
    ApplyFontRule(AllocationTwoTwo, AllocationTwoTwo.width());
    ApplyFontRule(AllocationTwoOne, AllocationTwoTwo.width());
    AllocationTwoTwo.setCaption(FormatAmountRounded(q2 * k) + Words[word::kUnitsTo] + NameTwoTwo);

    const double WM1 = q1 * rateOne * BarLength * k / MaxAmount;
    MoneyOne.setLeftAndWidth(leftOf(oneLeft, WM1), WM1);
    ApplyFontRule(MoneyOne, MoneyOne.width());
    MoneyOne.setCaption(Words[word::kMoneyBefore] + FormatAmountRounded(q1 * k * rateOne) +
                        Words[word::kMoneyFor] + NameOne);
    SummaryOne.setCaption(MoneyOne.caption());

    const double WM2 = q2 * rateTwo * BarLength * k / MaxAmount;
    MoneyTwoOne.setLeftAndWidth(leftOf(!oneLeft, stored(WM2)), WM2);
    ApplyFontRule(MoneyTwoOne, MoneyTwoOne.width());
    MoneyTwoTwo.setLeftAndWidth(leftOf(!oneLeft, stored(WM2)), WM2);
    ApplyFontRule(MoneyTwoTwo, MoneyTwoTwo.width());
    MoneyTwoTwo.setCaption(Words[word::kMoneyBefore] + FormatAmountRounded(q2 * k * rateTwo) +
                           Words[word::kMoneyFor] + NameTwoTwo);
    SummaryTwo.setCaption(MoneyTwoTwo.caption() + MoneyTwoOne.caption());

    all[pn] = q1 * k;
    RecordSliderChange();
}

} // namespace tovask
