// The layout statements of the window's load: the parameter screen and the rows of the
// problem screen, scaled by ScaleFactor (doubles) and IntScaleFactor (16-bit integers).
#include "core/Experiment.h"

namespace tovask {

void Experiment::PlaceControls() {
    const double s = ScaleFactor;
    const int n = IntScaleFactor;

    Parameters.setTop(n * 1500);
    Parameters.setWidth(s * 2200);
    Parameters.setLeft(s * 6500);

    // The playing-out frame is centred over the parameter frame.
    PlayingOutFrame.setTop(Parameters.top());
    PlayingOutFrame.setWidth(Parameters.width() + s * 500);
    PlayingOutFrame.setLeft(Parameters.left() - s * 250);

    Continue.setLeft(Parameters.left());
    Continue.setTop(n * 8200);
    Continue.setWidth(Parameters.width());

    BarCentre = s * 7800;
    Colour[1] = 0x7100FB; // red 251, green 0, blue 113
    Colour[2] = 0x25FEF9; // red 249, green 254, blue 37
    Colour[3] = 0xE80000; // red 0, green 0, blue 232
    AllocationHeight = n * 2000;
    AllocationTop = n * 3000;
    BarLength = s * 7000;

    AllocationOne.setTop(AllocationTop);
    AllocationOne.setHeight(AllocationHeight);
    AllocationTwoOne.setTop(AllocationTop + AllocationHeight * 0.5);
    AllocationTwoOne.setHeight(AllocationHeight * 0.5);
    AllocationTwoTwo.setTop(AllocationTop);
    AllocationTwoTwo.setHeight(AllocationHeight * 0.5);

    MoneyTop = static_cast<std::int16_t>(n * 5500);
    MoneyHeight = n * 2000;
    MoneyOne.setTop(MoneyTop);
    MoneyOne.setHeight(MoneyHeight);
    MoneyTwoOne.setTop(MoneyTop + MoneyHeight * 0.5);
    MoneyTwoOne.setHeight(MoneyHeight * 0.5);
    // Ten twips taller than MoneyTwoOne, so the two bars of a pair side overlap and never
    // show a gap between them.
    MoneyTwoTwo.setTop(MoneyTop);
    MoneyTwoTwo.setHeight(MoneyHeight * 0.5 + n * 10);

    // The slider is centred on the centre line: its middle position lies on it.
    AllocationSlider.setTop(MoneyTop + MoneyHeight + n * 500);
    AllocationSlider.setLeft(BarCentre - BarLength * 0.5);
    AllocationSlider.setWidth(BarLength);
    AllocationSlider.setHeight(n * 400);

    Instructions.setLeft(s * 800);
    Instructions.setTop(n * 500);
    Instructions.setWidth(s * 14000);
    Instructions.setHeight(n * 6000);

    for (ui::Label* summary : {&SummaryOne, &SummaryTwo}) {
        summary->setTop((Continue.top() + AllocationSlider.top()) * 0.5 + n * 500);
        summary->setHeight(n * 500);
        summary->setWidth(s * 5000);
    }
}

// The widths the slider's change handling gives the bars with the whole amount on one side.
Experiment::BarReach Experiment::barReach(const Problem& problem, int maxAmount) {
    const auto sides = sidesOf(problem.pt);
    if (!sides)
        return {};
    const double rateOne = problem.e[static_cast<std::size_t>(sides->one)];
    const double rateTwo = problem.e[static_cast<std::size_t>(sides->two[0])];
    const double units = kBarLength * problem.a / maxAmount;
    return {units, rateOne * kBarLength * problem.a / maxAmount, units,
            rateTwo * kBarLength * problem.a / maxAmount};
}

} // namespace tovask
