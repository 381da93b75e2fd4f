// The clicks that close a problem and lead to the next one or to the end of the list.
#include "core/Experiment.h"

namespace tovask {

void Experiment::StageFour() {
    RecordProblemAnswered();
    Continue.setCaption(Words[16]);
    Instructions.setVisible(false);
    if (pn < *ProblemCount)
        form.setCaption(Words[17]);
    if (pn == *ProblemCount)
        form.setCaption(Words[21]);
    AllocationSlider.setVisible(false);
    for (ui::Label* label : {&AllocationOne, &AllocationTwoOne, &AllocationTwoTwo, &MoneyOne,
                             &MoneyTwoOne, &MoneyTwoTwo, &SummaryOne, &SummaryTwo})
        label->setVisible(false);
    if (pn < *ProblemCount)
        Stage = 5;
    if (pn == *ProblemCount)
        Stage = 6;
}

// Stage 3 is tested after stage 5 in the same click, so this click shows the next problem.
void Experiment::StageFive() {
    Stage = 3;
}

// The results are written first: a file that cannot be written leaves the run in stage 6 with
// the experimenter key unarmed, so the next click tries again and no answer is lost.
void Experiment::StageSix() {
    WriteResults();
    KeyArmed = 1;
    form.setCaption(Words[20]);
    Continue.setCaption(Words[3]);
    Continue.setEnabled(true);
}

} // namespace tovask
