// The two one-second timers and the experimenter key.
#include "core/Experiment.h"

#include "core/Words.h"
#include "files/RunLog.h"

namespace tovask {

// The countdown shows the seconds still to go after each tick.
void Experiment::ReadInstructionsTimer_Timer() {
    ReadTime = static_cast<std::int16_t>(ReadTime.value_or(0) - 1);
    if (*ReadTime > 1)
        form.setCaption(Words[word::kReadingTitleBeforeSeconds] + std::to_string(*ReadTime) +
                        Words[word::kAfterSeconds]);
    if (*ReadTime == 1)
        form.setCaption(Words[word::kReadingOneSecondTitle]);
    if (*ReadTime == 0) {
        form.setCaption(Words[word::kReadingOverTitle]);
        Continue.setCaption(Words[word::kWaitForExperimenter]);
        Continue.setEnabled(true);
        KeyArmed = 1;
        ReadInstructionsTimer.setEnabled(false);
    }
}

void Experiment::WaitTimer_Timer() {
    WaitLeft = static_cast<std::int16_t>(WaitLeft - 1);
    if (WaitLeft > 1)
        Continue.setCaption(Words[word::kWaitingButtonBeforeSeconds] + std::to_string(WaitLeft) +
                            Words[word::kAfterSeconds]);
    if (WaitLeft == 1)
        Continue.setCaption(Words[word::kWaitingOneSecondButton]);
    if (WaitLeft == 0) {
        Stage = 4;
        Continue.setCaption(Words[word::kWaitingOverButton]);
        Continue.setEnabled(true);
        WaitTimer.setEnabled(false);
    }
}

// Ctrl+C (code 3) on Continue releases the run at its two hold points: after the instructions
// and after the last problem. The key is never swallowed.
void Experiment::Continue_KeyPress(std::int16_t& keyAscii) {
    if (KeyArmed == 1 && keyAscii == kCtrlC)
        ReleaseHoldPoint(Releaser::Key);
}

// The hold points: stage 11 (the reading time is over) and stage 6 (the results are written).
void Experiment::ReleaseHoldPoint(Releaser releaser) {
    if (Stage == 11) {
        RecordRelease(logged::key::kReleasedInstructions, releaser);
        KeyArmed = 0;
        Continue.setCaption(Words[word::kInstructionsReleasedButton]);
        Stage = 2;
    }
    if (Stage == 6) {
        RecordRelease(logged::key::kReleasedPlayingOut, releaser);
        KeyArmed = 0;
        Continue.setCaption(Words[word::kPlayingOutReleasedButton]);
        Stage = 7;
    }
}

} // namespace tovask
