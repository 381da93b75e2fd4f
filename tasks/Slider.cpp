// The slider's change handling: the bars, their texts and the answer follow the slider.
#include "core/Experiment.h"

#include "base/Numbers.h"

namespace tovask {

void Experiment::ApplyFontRule(ui::Label& label, double width) {
    label.setFontSize(width * 0.004);
    if (label.fontSize() > MaxFontSize)
        label.setFontSize(MaxFontSize);
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

    const double W1 = q1 * BarLength * k / MaxAmount;
    AllocationOne.setLeft(leftOf(oneLeft, W1));
    AllocationOne.setWidth(W1);
    ApplyFontRule(AllocationOne, AllocationOne.width());
    AllocationOne.setCaption(FormatAmountRounded(q1 * k) + Words[5] + NameOne);

    const double W2 = q2 * BarLength * k / MaxAmount;
    AllocationTwoOne.setWidth(W2);
    AllocationTwoTwo.setWidth(W2);
    ApplyFontRule(AllocationTwoTwo, AllocationTwoTwo.width());
    ApplyFontRule(AllocationTwoOne, AllocationTwoTwo.width());
    AllocationTwoOne.setLeft(leftOf(!oneLeft, AllocationTwoOne.width()));
    AllocationTwoTwo.setLeft(leftOf(!oneLeft, AllocationTwoOne.width()));
    AllocationTwoTwo.setCaption(FormatAmountRounded(q2 * k) + Words[5] + NameTwoTwo);

    const double WM1 = q1 * rateOne * BarLength * k / MaxAmount;
    MoneyOne.setLeft(leftOf(oneLeft, WM1));
    MoneyOne.setWidth(WM1);
    ApplyFontRule(MoneyOne, MoneyOne.width());
    MoneyOne.setCaption(Words[6] + FormatAmountRounded(q1 * k * rateOne) + Words[27] + NameOne);
    SummaryOne.setCaption(MoneyOne.caption());

    const double WM2 = q2 * rateTwo * BarLength * k / MaxAmount;
    MoneyTwoOne.setWidth(WM2);
    ApplyFontRule(MoneyTwoOne, MoneyTwoOne.width());
    MoneyTwoTwo.setWidth(WM2);
    ApplyFontRule(MoneyTwoTwo, MoneyTwoTwo.width());
    MoneyTwoOne.setLeft(leftOf(!oneLeft, MoneyTwoOne.width()));
    MoneyTwoTwo.setLeft(leftOf(!oneLeft, MoneyTwoTwo.width()));
    MoneyTwoTwo.setCaption(Words[6] + FormatAmountRounded(q2 * k * rateTwo) + Words[27] +
                           NameTwoTwo);
    SummaryTwo.setCaption(MoneyTwoTwo.caption() + MoneyTwoOne.caption());

    all[pn] = q1 * k;
    RecordSliderChange();
}

} // namespace tovask
