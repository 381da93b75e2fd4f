#pragma once
// The places of the texts in a word file, in the file's order: word k is the k-th text of the
// file, held in Experiment::Words[k]. A translation writes its texts in this order. "Title" is
// the window's caption, "Button" the caption of Continue. Word 2 is read but shown nowhere;
// words after 40 are not used.

namespace tovask::word {

// The instructions: word 1, the number of problems, word 40.
inline constexpr int kInstructionsBeforeCount = 1;
// The button while the run waits for the experimenter's key (after the instructions, after the
// results file) and when the reading time is over.
inline constexpr int kWaitForExperimenter = 3;
inline constexpr int kBeforeFirstProblemButton = 4;
// An allocation bar: the units, word 5, the colour name.
inline constexpr int kUnitsTo = 5;
// A money bar: word 6, the money, word 27, the colour name.
inline constexpr int kMoneyBefore = 6;
// The title while the reading time runs: word 7, the seconds left, word 8.
inline constexpr int kReadingTitleBeforeSeconds = 7;
// After the seconds left: in the title (reading time) and on the button (waiting time).
inline constexpr int kAfterSeconds = 8;
inline constexpr int kReadingOneSecondTitle = 9;
inline constexpr int kReadingOverTitle = 10;
// The title of a problem: word 11, the problem number, ".".
inline constexpr int kProblemTitleBeforeNumber = 11;
// The button while the waiting time runs: word 12, the seconds left, word 8.
inline constexpr int kWaitingButtonBeforeSeconds = 12;
inline constexpr int kWaitingOneSecondButton = 13;
inline constexpr int kWaitingOverButton = 14;
inline constexpr int kProblemShownButton = 15; // disabled while a problem is shown
inline constexpr int kAnsweredButton = 16;
inline constexpr int kAnsweredTitle = 17; // after a problem that is not the last
inline constexpr int kLoadedButton = 18;
// Joins the two colour names of a pair side: between them in a rate sentence, and before the
// second name on the pair's first bars.
inline constexpr int kPairJoin = 19;
inline constexpr int kResultsWrittenTitle = 20;
inline constexpr int kLastAnsweredTitle = 21;
// The instructions of a problem: word 22, the amount to divide, word 23, a rate sentence for
// each side, word 26. A rate sentence: word 24, the colour name or names, word 25, the rate,
// ".".
inline constexpr int kProblemBeforeAmount = 22;
inline constexpr int kProblemAfterAmount = 23;
inline constexpr int kRateSentenceStart = 24;
inline constexpr int kRateSentenceBeforeRate = 25;
inline constexpr int kProblemInstructionsEnd = 26;
inline constexpr int kMoneyFor = 27; // a money bar: between the money and the colour name
inline constexpr int kBeforeFirstProblemTitle = 28;
inline constexpr int kTaskNumberButton = 29; // while the task to play out is entered
inline constexpr int kPlayingOutReleasedButton = 30;
inline constexpr int kPlayedOutButton = 31;
inline constexpr int kReadingButton = 32; // while the instructions are read
inline constexpr int kInstructionsReleasedButton = 33;
inline constexpr int kTaskFrameCaption = 34;
inline constexpr int kPlayingOutFrameCaption = 35;
inline constexpr int kLoadedTitle = 36;
// The names of colours 1, 2 and 3 are words 37, 38 and 39.
inline constexpr int kFirstColourName = 37;
inline constexpr int kInstructionsAfterCount = 40;

} // namespace tovask::word
