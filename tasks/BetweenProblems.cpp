// The clicks that close a problem and lead to the next one or to the end of the list.
#include "core/Experiment.h"

#include "core/Words.h"

namespace tovask {

void Experiment::StageFour() {
    RecordProblemAnswered();
    Continue.setCaption(Words[word::kAnsweredButton]);
    Instructions.setVisible(false);
    if (pn < *ProblemCount)
        form.setCaption(Words[word::kAnsweredTitle]);
    if (pn == *ProblemCount)
        form.setCaption(Words[word::kLastAnsweredTitle]);
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
    form.setCaption(Words[word::kResultsWrittenTitle]);
    Continue.setCaption(Words[word::kWaitForExperimenter]);
    Continue.setEnabled(true);
}

} // namespace tovask
