// The window's load and the clicks that lead from the parameter screen to the first problem.
#include "core/Experiment.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "core/Words.h"
#include "files/ResultsFile.h"

namespace tovask {

void Experiment::Experiment_Load() {
    ScaleFactor = 1.25;
    IntScaleFactor = toInteger(1.25);
    random_.reset();
    MaxFontSize = 24;
    TARVlogo.setVisible(false);
    SubjectCounter = 0;
    SubjectNumber.setText("0");
    SubjectCounter = static_cast<std::int16_t>(SubjectCounter + 1);
    SubjectNo = std::to_string(SubjectCounter);
    SubjectNumber.setText(SubjectNo);
    // Reset and seeded once per window: every run draws the same sequence.
    random_.seed(SubjectCounter);
    PlaceControls();
    Language.addItem("English");
    Language.addItem("Italian");
    TreatmentVal.addItem("1");
    TreatmentVal.addItem("2");
    Stage = 0;
    KeyArmed = 0;
    StartSession();
}

// A number of seconds typed on the parameter screen.
std::int16_t Experiment::Seconds(const ui::TextBox& box, const std::string& what) {
    const auto seconds = wholeSeconds(box.text());
    if (!seconds)
        throw Failure(what + " " + inQuotes(box.text()) +
                      " is not usable: type a whole number of seconds from 1 to 32767.");
    return *seconds;
}

// The click that starts the run. Everything is read and checked before the window changes, so
// a mistake in a parameter or a file leaves the parameter screen as it was, to be corrected.
void Experiment::StageZero() {
    const std::string subjectNo = SubjectNumber.text();
    const std::string dataFileName = InputDataFile.text();
    const std::int16_t waitTime = Seconds(TimeToWait, "The time to wait");
    const std::int16_t readTime = Seconds(ReadTimeInput, "The reading time");
    const std::filesystem::path data = services_.programFolder() / "data";
    const std::string wordFile = wordFileName(Language.text());
    if (wordFile.empty())
        throw Failure("The language " + inQuotes(Language.text()) +
                      " has no word file: choose English or Italian.");
    ThrowOnError stopAtError;
    const WordTable words = readWordFile(data / wordFile, stopAtError);
    const ProblemList problems =
        readProblemFile(dataFilePath(services_.programFolder(), "inp", dataFileName, subjectNo),
                        stopAtError, [this](int p, const Location&) {
                            Message("Mistake in data entry on problem " + std::to_string(p));
                        });
    // The run's files are its own from here to its end: a second run on them is refused here,
    // before anything has changed, and so is a run whose log cannot be created. A lock taken
    // for a run that does not start goes with it.
    const std::filesystem::path results =
        dataFilePath(services_.programFolder(), "out", dataFileName, subjectNo);
    const auto now = clock_.wallClock();
    auto lock = std::make_unique<RunLock>(results, isoTime(now, clock_.utcOffset(now)), computer_);
    log_ = CreateRunLog(results);
    lock_ = std::move(lock);
    resultsFile_ = results;

    TARVlogo.setVisible(true);
    TARVlogo.setTop(IntScaleFactor * 4000);
    TARVlogo.setLeft(ScaleFactor * 4750);
    // From here on Continue stands under the slider with the same width.
    Continue.setLeft(AllocationSlider.left());
    Continue.setWidth(AllocationSlider.width());
    Continue.setTop(IntScaleFactor * 9000);
    Parameters.setVisible(false);
    Instructions.setVisible(true);

    SubjectNo = subjectNo;
    DataFileName = dataFileName;
    WaitTime = waitTime;
    ReadTime = readTime;
    if (TreatmentVal.text() == "1")
        Treatment = 1;
    if (TreatmentVal.text() == "2")
        Treatment = 2;
    Words = words.words;
    ProblemCount = problems.count;
    for (int p = 1; p <= problems.count; ++p)
        TaskNumber.addItem(std::to_string(p));
    for (int p = 1; p <= problems.count; ++p) {
        const Problem& problem = problems.problems[p];
        orig[p] = problem.orig;
        pt[p] = problem.pt;
        a[p] = problem.a;
        for (int k = 1; k <= 3; ++k)
            e[k][p] = problem.e[k];
    }
    MaxAmount = problems.maxAmount;
    pn = static_cast<std::int16_t>(problems.count + 1);
    StartRunLog();
    Stage = 1;
    StartSignOfLife();

    Continue.setCaption(Words[word::kLoadedButton]);
    PlayingOutFrame.setCaption(Words[word::kPlayingOutFrameCaption]);
    TaskFrame.setCaption(Words[word::kTaskFrameCaption]);
    form.setCaption(Words[word::kLoadedTitle]);
    for (int k = 1; k <= 3; ++k)
        ColourName[k] = Words[word::kFirstColourName + k - 1];
}

void Experiment::StageOne() {
    TARVlogo.setVisible(false);
    Continue.setCaption(Words[word::kReadingButton]);
    ReadInstructionsTimer.setEnabled(true);
    Instructions.setCaption(Words[word::kInstructionsBeforeCount] + std::to_string(*ProblemCount) +
                            Words[word::kInstructionsAfterCount]);
    KeyArmed = 1;
    Stage = 11;
    Continue.setEnabled(false);
}

// Waiting for the experimenter: only the key on Continue moves the run on (Continue_KeyPress).
void Experiment::StageEleven() {
    Continue.setCaption(Words[word::kWaitForExperimenter]);
}

void Experiment::StageTwo() {
    Instructions.setVisible(false);
    Instructions.setHeight(IntScaleFactor * 2000);
    Continue.setCaption(Words[word::kBeforeFirstProblemButton]);
    form.setCaption(Words[word::kBeforeFirstProblemTitle]);
    Stage = 3;
    pn = 0;
}

} // namespace tovask
