#pragma once
// The experiment window: every control, every variable of one run, and the handlers the window
// raises. All handlers run on one thread, each to its end; the only nesting is the slider's
// change handling, raised inside the stage-3 click when that click sets the slider's value.

#include "base/Random.h"
#include "files/ProblemFile.h"
#include "files/RunLock.h"
#include "files/RunLog.h"
#include "files/SessionSignals.h"
#include "files/WordFile.h"
#include "ui/Controls.h"
#include "ui/Services.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tovask {

class Experiment {
public:
    static constexpr int kLast = ProblemList::kMaxProblems;
    // A value for each problem: problem p at index p, index 0 empty.
    template <class T> using PerProblem = std::array<T, kLast + 1>;

    explicit Experiment(ui::Services& services);
    // clock: the clocks of the run log (tests set the time).
    Experiment(ui::Services& services, LogClock& clock);
    Experiment(const Experiment&) = delete;
    Experiment& operator=(const Experiment&) = delete;

    // The handlers. A tovask::Failure from a handler has changed nothing: the guard the control
    // events pass through shows its message and the run goes on. Any other exception ends the
    // run.
    void Experiment_Load();
    void Continue_Click();
    void Continue_KeyPress(std::int16_t& keyAscii);
    void AllocationSlider_Change();
    void ReadInstructionsTimer_Timer();
    void WaitTimer_Timer();
    // The subject closes the window: true when it may close. While a run is between its first
    // problem and its end, the subject is asked first, told where the answers are, and the run
    // log records what was chosen; before and after that the window closes at once.
    bool Experiment_QueryClose();
    // The window is being closed: a run that has started and not reached its end records that
    // in its run log.
    void WindowClosed();
    // Once a second while a run of a lab session holds its files (core/Session.cpp): its sign
    // of life, and the session console's release requests.
    void SessionWatch_Timer();

    // The name this computer goes by in the session plan and in the lock: its host name, unless
    // a scripted run stands for another PC. Set before the load.
    void SetComputerName(std::string name) { computer_ = std::move(name); }

    // The window and its controls, by their names.
    ui::Window form;
    ui::PictureBox TARVlogo;
    ui::Timer WaitTimer;
    ui::Timer ReadInstructionsTimer;
    ui::Frame PlayingOutFrame;
    ui::Frame TaskFrame;
    ui::ComboBox TaskNumber;
    ui::CommandButton Continue;
    ui::Frame Parameters;
    ui::Frame TimeToWaitFrame;
    ui::TextBox TimeToWait;
    ui::Frame SubjectNumberFrame;
    ui::ComboBox SubjectNumber;
    ui::Frame InputDataFileFrame;
    ui::TextBox InputDataFile;
    ui::Frame LanguageFrame;
    ui::ComboBox Language;
    ui::Frame TreatmentFrame;
    ui::ComboBox TreatmentVal;
    ui::Frame ReadTimeFrame;
    ui::TextBox ReadTimeInput;
    ui::HScrollBar AllocationSlider;
    ui::Label SummaryTwo;
    ui::Label SummaryOne;
    ui::Label MoneyTwoTwo;
    ui::Label AllocationTwoTwo;
    ui::Label Instructions;
    ui::Label MoneyTwoOne;
    ui::Label MoneyOne;
    ui::Label AllocationInstructions;
    ui::Label AllocationTwoOne;
    ui::Label AllocationOne;
    // A timer of the window, not among its controls: the session watch.
    ui::Timer SessionWatch;

    // The variables of the run. Integers are 16-bit like the values they stand for; an empty
    // optional is a value not stored yet.
    std::int16_t Stage = 0;    // where the run stands: what the next Continue click does
    std::int16_t KeyArmed = 0; // 1 while the experimenter's key may move the run on
    // The texts of the chosen language: word k at index k (core/Words.h names the places).
    std::array<std::string, WordTable::kMaxWords + 1> Words;
    std::int16_t SubjectCounter = 0;      // gives the subject number 1 at load
    std::string SubjectNo;                // the subject number as text, as typed
    std::string DataFileName;             // the text of InputDataFile: inp and out file names
    std::optional<int> Treatment;         // 1 or 2, from TreatmentVal; nothing reads it
    std::int16_t WaitTime = 0;            // TimeToWait, read in stage 0; nothing reads it
    std::optional<std::int16_t> ReadTime; // seconds of reading time left
    std::int16_t WaitLeft = 0;            // seconds of the problem's waiting time left
    std::optional<int> ProblemCount;      // the number of problems in the problem file
    std::int16_t pn = 0;                  // the problem on the screen, or the task played out
    PerProblem<double> orig{}; // a value the problem file gives, carried to the results file
    PerProblem<double> pt{};   // the type: 11-13 a group against a group, 21-23 against a pair
    PerProblem<double> a{};    // the amount of units to divide
    std::array<PerProblem<float>, 4> e{};    // e[k][pn], k = 1..3: what a unit to group k is worth
    PerProblem<std::optional<double>> all{}; // the answer: the units given to side one
    PerProblem<std::optional<std::int16_t>> rev{}; // drawn: 0 puts side one left, 1 right
    PerProblem<std::optional<std::int16_t>> inv{}; // drawn: which member of a pair comes first
    std::int16_t MaxAmount = 0;            // the largest a of the problem file: the longest bar
    double ScaleFactor = 0;                // 1.25, the layout's scale
    std::int16_t IntScaleFactor = 0;       // 1, the layout's whole-number scale
    double BarCentre = 0;                  // the line the bars of the two sides meet on, in twips
    double BarLength = 0;                  // the twips of a bar of MaxAmount units
    double AllocationTop = 0;              // the row of the units bars, laid out at load
    double AllocationHeight = 0;           // their height
    double MoneyHeight = 0;                // the height of the money bars
    std::int16_t MoneyTop = 0;             // their row, laid out at load
    std::int16_t MaxFontSize = 0;          // 24, the largest font size of a bar's text
    std::array<std::uint32_t, 4> Colour{}; // the colours of groups 1..3, 0x00BBGGRR
    std::array<std::string, 4> ColourName; // the names of groups 1..3 (words 37 to 39)
    // Working values of the problem on the screen (or the task played out): side one is one
    // group; side two's first bar and second bar show its two members, or its one group twice.
    std::uint32_t ColourOne = 0;    // the colour of side one
    std::uint32_t ColourTwoOne = 0; // the colour of side two's first bar
    std::string ColourTwoTwo;       // the colour of side two's second bar, as decimal text
    std::string NameOne;            // the colour name of side one
    std::string NameTwoOne;         // the colour name of side two's first member
    std::string NameTwoTwo;         // the colour name of side two's second (or only) member
    float RateOne = 0;              // the money a unit to side one is worth
    float RateTwo = 0;              // the money a unit to side two is worth

    // The designed extent of the layout in twips, which a window scales to fit.
    static constexpr float kDesignWidth = 18500;
    static constexpr float kDesignHeight = 10845;
    // BarCentre and BarLength as the load lays them out: the centre line of the bars, and the
    // length of a bar of MaxAmount units.
    static constexpr double kBarCentre = 9750;
    static constexpr double kBarLength = 8750;

    // How far from the centre line the bars of a side reach when the subject gives that side
    // the whole amount: its units bar and its money bar (the units times the side's rate, on
    // the same scale). Nothing limits them: a side drawn right of the centre line has
    // kDesignWidth - kBarCentre twips of the designed area, one drawn left kBarCentre.
    struct BarReach {
        double unitsOne = 0, moneyOne = 0, unitsTwo = 0, moneyTwo = 0;
    };
    static BarReach barReach(const Problem& problem, int maxAmount);

private:
    // Stage blocks of the Continue click (the dispatch is in Continue_Click).
    void StageZero();
    void StageOne();
    void StageEleven();
    void StageTwo();
    void StageThree();
    void StageFour();
    void StageFive();
    void StageSix();
    void StageSeven();
    void StageEight();

    void PlaceControls();
    // The whole number of seconds typed into a box (1 to 32767), or a tovask::Failure naming it.
    static std::int16_t Seconds(const ui::TextBox& box, const std::string& what);
    void WriteResults();
    // Sets the working values (colours, names, rates) of problem p by its type, with the data
    // check of the pair types.
    void SetWorkingValues(int p);
    // The six bars and the two summary lines of a problem or of the played-out task.
    void ShowBars(double unitsOne, double unitsTwo, double moneyOne, double moneyTwo, bool oneLeft);
    void ShowBarTexts(const std::string& unitsOne, const std::string& unitsTwo,
                      const std::string& moneyOne, const std::string& moneyTwo);
    // The font of a bar label follows its width, capped at MaxFontSize as the label reports it.
    void ApplyFontRule(ui::Label& label, double width);

    // Reports and continues, like every data check the subject may meet.
    void Message(const std::string& text);
    // Asks with Yes and No; true for Yes.
    bool Ask(const std::string& text);
    // Shows a message or a question: the console sees at once that the PC waits for someone to
    // read it.
    void ShowingMessage(const std::function<void()>& show);
    // The run has ended or its window closes: its files are free for another run. A lock file
    // that stays behind is reported.
    void ReleaseLock();

    // The lab session (core/Session.cpp). Where data/session.csv exists, the load fills the
    // parameter screen in from this PC's row; from the start of the run to its end, the run
    // shows its sign of life and acts on the console's release requests.
    void StartSession();
    void StartSignOfLife();
    // Where the run stands, as its sign of life tells the console.
    SignOfLife Standing() const;
    // The hold point the run waits at, released by the key now: 1, 2, or 0.
    int HoldPointWaitedAt() const;
    void ActOnReleaseRequest();
    // The run has ended, or its window is closing: its files are free for another run.
    void ReleaseRunFiles();

    // The run log (core/RecordEvents.cpp), from the click that starts the run on. A run whose
    // log cannot be created does not start: CreateRunLog throws a tovask::Failure that says
    // what to do. Once it exists, recording never stops the run: a log that cannot be written
    // is reported once, and the run goes on. Starting it records the parameters and reports what
    // the experimenter must know about the run's lock.
    std::unique_ptr<RunLog> CreateRunLog(const std::filesystem::path& results);
    void StartRunLog();
    void Record(std::string_view event, std::optional<int> problem, std::string value,
                std::string detail = {}, bool durable = false);
    void RecordProblemShown();
    void RecordSliderChange();
    void RecordProblemAnswered();
    void RecordPlayedOut(double unitsOne, double unitsTwo);
    // The problem on the screen, where one is.
    std::optional<int> ProblemOnScreen() const;
    // Who released the run at a hold point: the experimenter's key on this PC, or the session
    // console through a release request.
    enum class Releaser { Key, Console };
    // The experimenter's key: Ctrl+C, character code 3.
    static constexpr std::int16_t kCtrlC = 3;
    void ReleaseHoldPoint(Releaser releaser);
    void RecordRelease(std::string_view holdPoint, Releaser releaser);

    ui::Services& services_;
    Random random_;
    // The run's hold on its files, from the click that starts it to its end.
    std::unique_ptr<RunLock> lock_;
    // The run's results file, fixed by the click that starts the run; its log, lock, sign of
    // life and release requests are named after it.
    std::filesystem::path resultsFile_;
    std::string computer_;
    bool sessionMode_ = false; // data/session.csv exists
    std::unique_ptr<SignOfLifeFile> signOfLife_;
    bool messageOpen_ = false;
    bool resultsWritten_ = false; // this run has written its results file at least once
    LogClock& clock_;
    std::unique_ptr<RunLog> log_;
    bool logFailureReported_ = false;
    // The problem whose presentation is complete: a slider change before that is the program's
    // own (stage 3 sets the slider to its middle), every later one the subject's.
    std::int16_t problemOnScreen_ = 0;
    int subjectMoves_ = 0;
    std::chrono::milliseconds shownAt_{};
};

} // namespace tovask
