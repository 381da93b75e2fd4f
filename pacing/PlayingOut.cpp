// The playing out: the experimenter picks a task, and it is shown with the subject's division
// and the money each side gets.
#include "core/Experiment.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "core/Words.h"

#include <cmath>

namespace tovask {

void Experiment::StageSeven() {
    PlayingOutFrame.setVisible(true);
    Continue.setCaption(Words[word::kTaskNumberButton]);
    Stage = 8;
}

void Experiment::StageEight() {
    // A number that is no task of the list is refused before anything changes; the frame
    // stays for a new entry.
    const auto number = parseNumber(TaskNumber.text());
    const double task = number ? roundHalfEven(*number) : 0;
    if (!number || task < 1 || task > *ProblemCount)
        throw Failure("The task number " + inQuotes(TaskNumber.text()) +
                      " is not one of the tasks 1 to " + std::to_string(*ProblemCount) +
                      ". Enter a number from that list.");

    PlayingOutFrame.setVisible(false);
    Continue.setCaption(Words[word::kPlayedOutButton]);
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

    ShowBars(a[pn] * (BarLength * f1) / MaxAmount, a[pn] * (BarLength * f2) / MaxAmount,
             a[pn] * (BarLength * (RateOne * f1)) / MaxAmount,
             a[pn] * (BarLength * (RateTwo * f2)) / MaxAmount, rev[pn].value_or(0) == 0);
    AllocationSlider.setVisible(false);
    ShowBarTexts(FormatAmountRounded(u1), FormatAmountRounded(u2),
                 FormatAmountRounded(u1 * RateOne), FormatAmountRounded(u2 * RateTwo));

    RecordPlayedOut(u1, u2);
    Stage = 9;
    ReleaseRunFiles();
}

} // namespace tovask
