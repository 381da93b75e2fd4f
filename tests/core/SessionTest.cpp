// A run in a lab session: the parameter screen filled in from the plan, the sign of life in the
// shared folder, and the console's release requests acting as the experimenter's key does.
#include "files/RunLog.h"
#include "files/SessionPlan.h"
#include "files/SessionSignals.h"
#include "tests/support/Run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

const std::string kPlan =
    std::string(SessionPlan::kHeader) + "\r\nLAB01,02,Italian,2,5,12\r\nLAB02,01,English,1,1,1\r\n";

// A run of the PC `pc` in a folder with the numbered word files, the problem files 01 and 02
// and, when given, a session plan; loaded.
class LabRun {
public:
    explicit LabRun(const std::optional<std::string>& plan, const std::string& pc = "LAB02") {
        services.writeNumberedWords();
        services.writeNumberedWords("italian.wds");
        for (const char* file : {"inp01.001", "inp02.001"})
            services.writeData(file, problemFile({"1,14,11,10,1,1.5,2", "2,15,21,8,2,1,1"}));
        if (plan)
            services.writeData("session.csv", *plan);
        x.SetComputerName(pc);
        x.Experiment_Load();
    }
    void click() { x.Continue.click(); }
    // Started, and the reading time over: waiting at hold point 1.
    void toFirstHoldPoint() {
        click();
        click();
        x.ReadInstructionsTimer.tick();
    }
    std::string started() const {
        return parseSignOfLife(services.readData("alive-out01.001"))->started;
    }
    void request(const std::string& started, int hold) const {
        services.writeData("release-out01.001", releaseRequestText({started, hold}));
    }
    std::string fields() const {
        return x.InputDataFile.text() + " " + x.Language.text() + " " + x.TreatmentVal.text() +
               " " + x.TimeToWait.text() + " " + x.ReadTimeInput.text();
    }

    TestServices services;
    Experiment x{services};
};

TEST(LabSession, ThePlanFillsInTheParameterScreenOfItsPcsOnly) {
    const struct {
        const char* name;
        std::optional<std::string> plan;
        std::string pc;
        std::string fields;
        std::string message; // the start of the one message, or empty for none
    } cases[] = {
        {"no plan", std::nullopt, "LAB01", "01 English 3 3 10", ""},
        {"a PC of the plan, named in another case", kPlan, "lab01", "02 Italian 2 5 12", ""},
        {"a PC not in the plan", kPlan, "LAB07", "01 English 3 3 10", ""},
        {"a plan with a fault in another PC's row", kPlan + "LAB03,03,English,1,0,1\r\n", "LAB01",
         "02 Italian 2 5 12", "The session plan has a fault: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LabRun run(c.plan, c.pc);
        EXPECT_EQ(run.fields(), c.fields);
        ASSERT_EQ(run.services.messages.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            const std::string& text = run.services.messages[0].second;
            EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
            EXPECT_NE(text.find("session.csv:4:5: "), std::string::npos) << text;
        }
        EXPECT_EQ(run.x.Stage, 0);
    }
}

// The log without the columns and the decision times that hold times (a busy machine may take a
// millisecond more in one run), and without the folder of the run.
std::string withoutTimes(std::string log, const fs::path& folder) {
    for (std::size_t at; (at = log.find(folder.string())) != std::string::npos;)
        log.erase(at, folder.string().size());
    const std::string decision = std::string(logged::key::kDecisionMs) + "=";
    for (std::size_t at = 0; (at = log.find(decision, at)) != std::string::npos;) {
        at += decision.size();
        log.erase(at, log.find_first_not_of("0123456789", at) - at);
    }
    std::string out;
    for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = log.substr(start, end - start);
        out += line.substr(line.find(',', line.find(',') + 1)) + "\n";
    }
    return out;
}

TEST(LabSession, ARunFilledInFromThePlanIsTheRunTypedByHand) {
    LabRun planned(kPlan, "LAB01");
    LabRun typed(std::nullopt);
    typed.x.InputDataFile.setText("02");
    typed.x.Language.setText("Italian");
    typed.x.TreatmentVal.setText("2");
    typed.x.TimeToWait.setText("5");
    typed.x.ReadTimeInput.setText("12");
    for (LabRun* run : {&planned, &typed}) {
        run->click();
        run->click();
        for (int second = 0; second < 12; ++second)
            run->x.ReadInstructionsTimer.tick();
        std::int16_t key = kCtrlC;
        run->x.Continue.keyPress(key);
        run->click();
        for (int p = 1; p <= 2; ++p) {
            run->click();
            run->x.AllocationSlider.setValue(100 * p);
            for (int second = 0; second < 5; ++second)
                run->x.WaitTimer.tick();
            run->click();
        }
        run->click();
    }
    EXPECT_EQ(planned.services.readData("out02.001"), typed.services.readData("out02.001"));
    EXPECT_EQ(
        withoutTimes(planned.services.readData("out02.001.log"), planned.services.programFolder()),
        withoutTimes(typed.services.readData("out02.001.log"), typed.services.programFolder()));
}

TEST(LabSession, AReleaseRequestActsOnlyOnTheRunAndTheHoldPointItNames) {
    const struct {
        const char* name;
        bool thisRun;
        int hold;
        bool readingOver;
        bool released;
    } cases[] = {
        {"this run, at the hold point it waits at", true, 1, true, true},
        {"an earlier run of the same files", false, 1, true, false},
        {"another hold point", true, 2, true, false},
        {"a hold point not reached yet", true, 1, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LabRun run(kPlan);
        run.click();
        run.click();
        if (c.readingOver)
            run.x.ReadInstructionsTimer.tick();
        run.request(c.thisRun ? run.started() : "2024-03-05T14:07:09.042+01:00", c.hold);
        LabRun byKey(kPlan);
        byKey.toFirstHoldPoint();
        std::int16_t key = kCtrlC;
        byKey.x.Continue.keyPress(key);

        run.x.SessionWatch.tick();
        EXPECT_EQ(run.x.Stage, c.released ? 2 : 11);
        // Removed whether it acted or not: a request never acts twice, nor on a later run.
        EXPECT_FALSE(
            fs::exists(releaseRequestPath(run.services.programFolder() / "data" / "out01.001")));
        if (!c.released)
            continue;
        // What Ctrl+C on Continue does, and the log says who released the run.
        EXPECT_EQ(snapshot(run.x), snapshot(byKey.x));
        EXPECT_NE(run.services.readData("out01.001.log")
                      .find(",11,experimenter_key,,,released=instructions by=console\n"),
                  std::string::npos);
    }
}

TEST(LabSession, TheSignOfLifeShowsWhereTheRunStandsFromItsStartToItsEnd) {
    LabRun run(kPlan);
    const auto life = [&run] { return parseSignOfLife(run.services.readData("alive-out01.001")); };
    EXPECT_FALSE(fs::exists(run.services.programFolder() / "data" / "alive-out01.001"));
    run.toFirstHoldPoint();
    run.x.SessionWatch.tick();
    ASSERT_TRUE(life());
    EXPECT_EQ(life()->pc, "LAB02");
    EXPECT_EQ(life()->stage, 11);
    EXPECT_EQ(life()->waitingAt, 1);
    EXPECT_EQ(life()->problems, 2);
    // The second hold point, released by the console, then the playing out: the run's files go.
    std::int16_t key = kCtrlC;
    run.x.Continue.keyPress(key);
    run.click();
    for (int p = 1; p <= 2; ++p) {
        run.click();
        run.x.WaitTimer.tick();
        run.click();
    }
    run.click();
    run.x.SessionWatch.tick();
    EXPECT_EQ(life()->problem, 2);
    EXPECT_EQ(life()->waitingAt, 2);
    run.request(run.started(), 2);
    run.x.SessionWatch.tick();
    EXPECT_EQ(run.x.Stage, 7);
    run.click();
    run.x.TaskNumber.setText("1");
    run.click();
    EXPECT_EQ(run.x.Stage, 9);
    EXPECT_FALSE(run.x.SessionWatch.enabled());
    for (const char* file : {"alive-out01.001", "lock-out01.001"})
        EXPECT_FALSE(fs::exists(run.services.programFolder() / "data" / file)) << file;
}

} // namespace
} // namespace tovask::test
