// The layout statements of the window's load: the parameter screen and the rows of the
// problem screen, scaled by ScaleFactor (doubles) and IntScaleFactor (16-bit integers).
#include "core/Experiment.h"

namespace tovask {

namespace {

// A row of bars: side one's bar has the row's full height; side two's first bar the lower half
// and its second bar the upper half, reaching overlap twips further down.
void placeRow(ui::Label& one, ui::Label& twoOne, ui::Label& twoTwo, double top, double height,
              double overlap) {
    one.setTop(top);
    one.setHeight(height);
    twoOne.setTop(top + height * 0.5);
    twoOne.setHeight(height * 0.5);
    twoTwo.setTop(top);
    twoTwo.setHeight(height * 0.5 + overlap);
}

} // namespace

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

    placeRow(AllocationOne, AllocationTwoOne, AllocationTwoTwo, AllocationTop, AllocationHeight, 0);

    MoneyTop = static_cast<std::int16_t>(n * 5500);
    MoneyHeight = n * 2000;
    // MoneyTwoTwo ten twips taller than MoneyTwoOne, so the two bars of a pair side overlap and
    // never show a gap between them.
    placeRow(MoneyOne, MoneyTwoOne, MoneyTwoTwo, MoneyTop, MoneyHeight, n * 10);

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
