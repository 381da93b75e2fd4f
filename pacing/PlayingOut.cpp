// The playing out: the experimenter picks a task, and it is shown with the subject's division
// and the money each side gets.
#include "core/Experiment.h"

#include "core/Failure.h"
#include "tasks/Numbers.h"

#include <cmath>

namespace tovask {

void Experiment::StageSeven() {
    PlayingOutFrame.setVisible(true);
    Continue.setCaption(Words[29]);
    Stage = 8;
}

void Experiment::StageEight() {
    // A number that is no task of the list is refused before anything changes; the frame
    // stays for a new entry.
    const auto number = parseNumber(TaskNumber.text());
    const double task = number ? roundHalfEven(*number) : 0;
    if (!number || task < 1 || task > *ProblemCount)
        throw Failure("The task number \"" + TaskNumber.text() +
                      "\" is not one of the tasks 1 to " + std::to_string(*ProblemCount) +
                      ". Enter a number from that list.");

    PlayingOutFrame.setVisible(false);
    Continue.setCaption(Words[31]);
    pn = static_cast<std::int16_t>(task);

    // The units shown are the subject's own division: all(pn) to side one, the rest to side
    // two. The shares are taken of the amount itself (not of the amount rounded to a whole
    // number), so a fractional amount is shown and paid as divided.
    const double A = all[pn].value_or(0);
    const double R = a[pn] - A;
    const double f1 = a[pn] != 0 ? A / a[pn] : 0;
    const double f2 = a[pn] != 0 ? R / a[pn] : 0;
    const double u1 = f1 * a[pn];
    const double u2 = f2 * a[pn];

    SetWorkingValues(pn);

    const bool oneLeft = rev[pn].value_or(0) == 0;
    const bool pair = isPairType(pt[pn]);
    const std::uint32_t colourTwoTwo = static_cast<std::uint32_t>(std::stoul(ColourTwoTwo));
    // A label placed left ends on the centre line (the two bars of side two are equally wide).
    const auto bar = [this](ui::Label& label, std::uint32_t colour, double width, bool left) {
        label.setBackColor(colour);
        label.setVisible(true);
        label.setWidth(width);
        label.setLeft(left ? BarCentre - label.width() : BarCentre);
    };
    const double W1 = a[pn] * (BarLength * f1) / MaxAmount;
    const double W2 = a[pn] * (BarLength * f2) / MaxAmount;
    const double WM1 = a[pn] * (BarLength * (RateOne * f1)) / MaxAmount;
    const double WM2 = a[pn] * (BarLength * (RateTwo * f2)) / MaxAmount;

    bar(AllocationOne, ColourOne, W1, oneLeft);
    bar(AllocationTwoOne, ColourTwoOne, W2, !oneLeft);
    bar(AllocationTwoTwo, colourTwoTwo, W2, !oneLeft);
    bar(MoneyOne, ColourOne, WM1, oneLeft);
    bar(MoneyTwoOne, ColourTwoOne, WM2, !oneLeft);
    bar(MoneyTwoTwo, colourTwoTwo, WM2, !oneLeft);
    AllocationSlider.setVisible(false);
    // The texts take the size of their own bars, as on a problem screen, not the sizes the last
    // slider move of another problem left behind.
    for (ui::Label* label : {&AllocationOne, &AllocationTwoOne, &AllocationTwoTwo, &MoneyOne,
                             &MoneyTwoOne, &MoneyTwoTwo})
        ApplyFontRule(*label, label->width());

    AllocationOne.setCaption(FormatAmountRounded(u1) + Words[5] + NameOne);
    AllocationTwoOne.setCaption(pair ? Words[19] + NameTwoOne : " ");
    AllocationTwoTwo.setCaption(FormatAmountRounded(u2) + Words[5] + NameTwoTwo);
    MoneyOne.setCaption(Words[6] + FormatAmountRounded(u1 * RateOne) + Words[27] + NameOne);
    MoneyTwoOne.setCaption(pair ? Words[19] + NameTwoOne : "");
    MoneyTwoTwo.setCaption(Words[6] + FormatAmountRounded(u2 * RateTwo) + Words[27] + NameTwoTwo);

    SummaryOne.setVisible(true);
    SummaryTwo.setVisible(true);
    SummaryOne.setLeft(oneLeft ? BarCentre - SummaryOne.width() : BarCentre);
    SummaryTwo.setLeft(!oneLeft ? BarCentre - SummaryTwo.width() : BarCentre);
    SummaryOne.setCaption(MoneyOne.caption());
    SummaryTwo.setCaption(MoneyTwoTwo.caption() + MoneyTwoOne.caption());

    RecordPlayedOut(u1, u2);
    Stage = 9;
}

} // namespace tovask
