#include "core/Experiment.h"

#include "base/Failure.h"
#include "files/OperatingSystem.h"

#include <utility>

namespace tovask {

namespace {

using ui::Font;
using ui::Rect;

const Font kSansSerif{"MS Sans Serif", 12, false};
const Font kSansSerifBold{"MS Sans Serif", 12, true};
const Font kSerif{"Times New Roman", 14.25f, false};

// The system colours a label starts with before the program colours it (besides the button
// face, ui::kButtonFace).
constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::uint32_t kDesktop = 0x00808000;

} // namespace

Experiment::Experiment(ui::Services& services, LogClock& clock)
    : form("Experiment", Rect{0, 0, 18135, 10845}, "Experiment"),
      TARVlogo("TARVlogo", 28, Rect{4080, 7800, 7455, 2415}),
      WaitTimer("WaitTimer", Rect{1080, 2760, 0, 0}, 1000),
      ReadInstructionsTimer("ReadInstructionsTimer", Rect{240, 2760, 0, 0}, 1000),
      PlayingOutFrame("PlayingOutFrame", nullptr, 21, Rect{1440, 3600, 2415, 1455},
                      "Playing out time"),
      TaskFrame("TaskFrame", &PlayingOutFrame, 22, Rect{120, 360, 2400, 855},
                "Enter the task number"),
      TaskNumber("TaskNumber", &TaskFrame, 23, Rect{120, 240, 2200, 420}, kSansSerif, "1"),
      Continue("Continue", 19, Rect{240, 6720, 2175, 495}, " Continue"),
      Parameters("Parameters", nullptr, 6, Rect{6240, 360, 2175, 6015}, "Parameters"),
      TimeToWaitFrame("TimeToWaitFrame", &Parameters, 17, Rect{120, 2280, 1935, 855},
                      "Time to wait (seconds)"),
      TimeToWait("TimeToWait", &TimeToWaitFrame, 18, Rect{120, 360, 1695, 495}, kSansSerif, "3"),
      SubjectNumberFrame("SubjectNumberFrame", &Parameters, 15, Rect{120, 1320, 1935, 855},
                         "Subject Number"),
      SubjectNumber("SubjectNumber", &SubjectNumberFrame, 16, Rect{120, 240, 1695, 420}, kSansSerif,
                    ""),
      InputDataFileFrame("InputDataFileFrame", &Parameters, 13, Rect{120, 240, 1935, 855},
                         "Input Data File"),
      InputDataFile("InputDataFile", &InputDataFileFrame, 14, Rect{120, 240, 1695, 405}, kSansSerif,
                    "01"),
      LanguageFrame("LanguageFrame", &Parameters, 11, Rect{120, 4080, 1935, 855}, "Language"),
      Language("Language", &LanguageFrame, 12, Rect{120, 240, 1695, 420}, kSansSerif, "English"),
      TreatmentFrame("TreatmentFrame", &Parameters, 9, Rect{120, 5040, 1935, 855}, "Treatment"),
      TreatmentVal("TreatmentVal", &TreatmentFrame, 10, Rect{120, 240, 1695, 420}, kSansSerif, "3"),
      ReadTimeFrame("ReadTimeFrame", &Parameters, 7, Rect{120, 3240, 1935, 735},
                    "Reading Time (seconds)"),
      ReadTimeInput("ReadTimeInput", &ReadTimeFrame, 8, Rect{120, 240, 1695, 405}, kSansSerif,
                    "10"),
      AllocationSlider("AllocationSlider", 2, Rect{480, 1200, 1455, 255}),
      SummaryTwo("SummaryTwo", 27, Rect{4320, 5760, 1575, 615}),
      SummaryOne("SummaryOne", 26, Rect{2880, 5760, 1095, 615}),
      MoneyTwoTwo("MoneyTwoTwo", 25, Rect{3600, 0, 735, 375}, kSansSerifBold),
      AllocationTwoTwo("AllocationTwoTwo", 24, Rect{1440, 0, 735, 375}, kSansSerifBold),
      Instructions("Instructions", 20, Rect{2760, 1680, 1575, 615}, kSerif),
      MoneyTwoOne("MoneyTwoOne", 5, Rect{3600, 480, 735, 375}, kSansSerifBold),
      MoneyOne("MoneyOne", 4, Rect{2520, 120, 735, 735}, kSansSerifBold),
      AllocationInstructions("AllocationInstructions", 3, Rect{480, 1800, 1455, 375}, kSansSerif),
      AllocationTwoOne("AllocationTwoOne", 1, Rect{1440, 480, 735, 375}, kSansSerifBold),
      AllocationOne("AllocationOne", 0, Rect{360, 120, 735, 735}, kSansSerifBold),
      SessionWatch("SessionWatch", Rect{}, 1000), services_(services), computer_(os::hostName()),
      clock_(clock) {
    // clang-format off
    const std::array<ui::Control*, 31> controls{
        &TARVlogo, &WaitTimer, &ReadInstructionsTimer, &PlayingOutFrame, &TaskFrame,
        &TaskNumber, &Continue, &Parameters, &TimeToWaitFrame, &TimeToWait,
        &SubjectNumberFrame, &SubjectNumber, &InputDataFileFrame, &InputDataFile,
        &LanguageFrame, &Language, &TreatmentFrame, &TreatmentVal, &ReadTimeFrame,
        &ReadTimeInput, &AllocationSlider, &SummaryTwo, &SummaryOne, &MoneyTwoTwo,
        &AllocationTwoTwo, &Instructions, &MoneyTwoOne, &MoneyOne, &AllocationInstructions,
        &AllocationTwoOne, &AllocationOne};
    // clang-format on
    for (ui::Control* c : controls)
        form.add(*c);
    form.addBackgroundTimer(SessionWatch);

    // The initial state of the controls, before the load handler runs.
    PlayingOutFrame.setVisible(false);
    SubjectNumber.setEnabled(false);
    WaitTimer.setVisible(false);
    ReadInstructionsTimer.setVisible(false);
    for (ui::Label* l : {&SummaryTwo, &MoneyTwoTwo, &AllocationTwoTwo, &Instructions, &MoneyTwoOne,
                         &MoneyOne, &AllocationInstructions, &AllocationTwoOne, &AllocationOne})
        l->setVisible(false);
    AllocationSlider.setVisible(false);
    for (ui::Label* l : {&SummaryTwo, &SummaryOne, &Instructions, &AllocationInstructions})
        l->setBackColor(ui::kButtonFace);
    for (ui::Label* l : {&MoneyTwoTwo, &MoneyTwoOne, &MoneyOne, &AllocationOne})
        l->setBackColor(kWhite);
    for (ui::Label* l : {&AllocationTwoTwo, &AllocationTwoOne})
        l->setBackColor(kDesktop);

    // Events of the controls reach the handlers; a failure the experimenter can mend is shown
    // in a message box and the run goes on.
    const auto guarded = [this](auto handler) {
        return [this, handler](auto&... arguments) {
            try {
                (this->*handler)(arguments...);
            } catch (const Failure& failure) {
                Message(failure.what());
            }
        };
    };
    Continue.onClick = guarded(&Experiment::Continue_Click);
    Continue.onKeyPress = guarded(&Experiment::Continue_KeyPress);
    AllocationSlider.onChange = guarded(&Experiment::AllocationSlider_Change);
    ReadInstructionsTimer.onTick = guarded(&Experiment::ReadInstructionsTimer_Timer);
    WaitTimer.onTick = guarded(&Experiment::WaitTimer_Timer);
    SessionWatch.onTick = guarded(&Experiment::SessionWatch_Timer);
    form.onQueryClose = [this] { return Experiment_QueryClose(); };
}

void Experiment::Message(const std::string& text) {
    ShowingMessage([this, &text] { services_.showMessage(ui::kProgramTitle, text); });
}

bool Experiment::Ask(const std::string& text) {
    bool yes = false;
    ShowingMessage([this, &text, &yes] { yes = services_.ask(ui::kProgramTitle, text); });
    return yes;
}

void Experiment::ShowingMessage(const std::function<void()>& show) {
    messageOpen_ = true;
    if (signOfLife_)
        signOfLife_->show(Standing());
    show();
    messageOpen_ = false;
}

// The stage tests are independent and made in this fixed order: a block that changes Stage lets
// a later test hold in the same click. Only stage 5 uses that, handing over to stage 3.
void Experiment::Continue_Click() {
    static constexpr std::pair<std::int16_t, void (Experiment::*)()> kBlocks[] = {
        {8, &Experiment::StageEight}, {7, &Experiment::StageSeven},   {6, &Experiment::StageSix},
        {5, &Experiment::StageFive},  {4, &Experiment::StageFour},    {3, &Experiment::StageThree},
        {2, &Experiment::StageTwo},   {11, &Experiment::StageEleven}, {1, &Experiment::StageOne},
        {0, &Experiment::StageZero}};
    for (const auto& [stage, block] : kBlocks)
        if (Stage == stage)
            (this->*block)();
}

} // namespace tovask
