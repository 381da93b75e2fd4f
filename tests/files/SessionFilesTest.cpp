// The files of a lab session: the plan, the sign of life and the release request, as the runs
// and the session console write and read them in the shared data folder.
#include "files/SessionPlan.h"
#include "files/SessionSignals.h"
#include "tests/files/FileTestSupport.h"
#include "tests/support/TestServices.h"

#include <filesystem>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = std::string(SessionPlan::kHeader) + "\r\n";

TEST(SessionPlan, EachFaultIsNamedWithItsLineAndItemAndItsRowLeftOut) {
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> errors; // besides the rows kept
        std::vector<std::string> pcs;    // the rows kept
    } cases[] = {
        {"a good plan, with blanks, LF line ends and a byte-order mark",
         "\xEF\xBB\xBF" + std::string(SessionPlan::kHeader) +
             "\nLAB01 , 01,English,1,3,10\nlab02,02,Italian,2,1.4,600\n\n",
         {},
         {"LAB01", "lab02"}},
        {"no header", "LAB01,01,English,1,3,10\r\n", {"s.csv:1: the first line must be"}, {}},
        {"an empty file", "", {"s.csv:1: the plan is empty"}, {}},
        {"a field missing", kHeader + "LAB01,01,English,1,3\r\n", {"s.csv:2: a row has six"}, {}},
        {"the faults of a row",
         kHeader + ",../x,French,1,0,abc\r\nLAB02,02,English,1,3,10\r\n",
         {"s.csv:2:1: the PC's name is empty", "s.csv:2:2: ", "s.csv:2:3: the language \"French\"",
          "s.csv:2:5: \"0\" is not a whole number", "s.csv:2:6: \"abc\" is not a whole number"},
         {"LAB02"}},
        {"a PC named twice, in another case",
         kHeader + "LAB01,01,English,1,3,10\r\nlab01,02,English,1,3,10\r\n",
         {"s.csv:3:1: the PC \"lab01\" is named on line 2 too"},
         {"LAB01"}},
        {"an input data file given to two PCs",
         kHeader + "LAB01,01,English,1,3,10\r\nLAB02,01,English,1,3,10\r\n",
         {"s.csv:3:2: the input data file \"01\" is given to the PC on line 2 too"},
         {"LAB01"}},
        {"control characters in a field, echoed escaped",
         kHeader + "LAB01,01,Eng\x01lish,1,3\x02,10\r\n",
         {"s.csv:2:3: the language \"Eng\\x01lish\"", "s.csv:2:5: \"3\\x02\" is not"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CollectDiagnostics diagnostics;
        const SessionPlan plan = parseSessionPlan(c.text, "s.csv", diagnostics);
        ASSERT_EQ(diagnostics.errors.size(), c.errors.size());
        for (std::size_t i = 0; i < c.errors.size(); ++i)
            EXPECT_EQ(diagnostics.errors[i].rfind(c.errors[i], 0), 0u) << diagnostics.errors[i];
        std::vector<std::string> pcs;
        for (const PlanRow& row : plan.rows)
            pcs.push_back(row.pc);
        EXPECT_EQ(pcs, c.pcs);
    }
}

TEST(SessionPlan, ReadsBackAsWrittenAndFindsAPcInAnyCase) {
    const std::vector<PlanRow> rows = {{2, "LAB 01", "01", "English", "3", "3", "10"},
                                       {3, "lab,02", "02", "Italian", "1", "5", "600"}};
    CollectDiagnostics diagnostics;
    const SessionPlan plan = parseSessionPlan(sessionPlanText(rows), "s.csv", diagnostics);
    EXPECT_TRUE(diagnostics.errors.empty());
    // A treatment other than 1 or 2 runs, and sets none: said, not refused.
    ASSERT_EQ(diagnostics.warnings.size(), 1u);
    EXPECT_EQ(diagnostics.warnings[0].rfind("s.csv:2:4: ", 0), 0u);
    ASSERT_EQ(plan.rows.size(), 2u);
    EXPECT_EQ(plan.rows[1].pc, "lab,02");
    EXPECT_EQ(plan.rows[1].readingTime, "600");
    EXPECT_EQ(plan.rowOf("Lab 01"), &plan.rows[0]);
    EXPECT_EQ(plan.rowOf("LAB03"), nullptr);
}

TEST(SessionSignals, ReadBackWholeAndOnlyWhole) {
    const SignOfLife life{"2024-03-05T14:07:09.042+01:00", "LAB01", 7, 3, 12, 100, 0, 0, true};
    const std::string lifeText = signOfLifeText(life);
    const auto back = parseSignOfLife(lifeText);
    ASSERT_TRUE(back);
    EXPECT_EQ(signOfLifeText(*back), lifeText);
    const std::string requestText = releaseRequestText({"2024-03-05T14:07:09.042+01:00", 2});
    ASSERT_TRUE(parseReleaseRequest(requestText));
    EXPECT_EQ(parseReleaseRequest(requestText)->hold, 2);
    // Cut anywhere, or with a hold point that is none, a text is not taken.
    for (std::size_t cut = 0; cut + 1 < lifeText.size(); cut += 9)
        EXPECT_FALSE(parseSignOfLife(lifeText.substr(0, cut))) << cut;
    EXPECT_FALSE(parseReleaseRequest(requestText.substr(0, requestText.size() - 3)));
    EXPECT_FALSE(parseReleaseRequest(releaseRequestText({"x", 3})));
    EXPECT_FALSE(parseSignOfLife(requestText));
}

TEST(SessionSignals, TheSignOfLifeBeatsOnChangeAndEveryFewSecondsAndGoesAtTheEnd) {
    TestServices services;
    const fs::path results = services.programFolder() / "data" / "out01.001";
    const auto beat = [&] { return parseSignOfLife(services.readData("alive-out01.001"))->beat; };
    SignOfLife life{"2024-03-05T14:07:09.042+01:00", "LAB01", 0, 11, 0, 3, 9, 0, false};
    {
        SignOfLifeFile alive(results);
        alive.show(life);
        EXPECT_EQ(beat(), 1u);
        // The reading time counts down on the console's clock: no new beat for it.
        for (int second = 1; second < SignOfLifeFile::kBeatSeconds; ++second) {
            --life.readingLeft;
            alive.show(life);
        }
        EXPECT_EQ(beat(), 1u);
        alive.show(life);
        EXPECT_EQ(beat(), 2u);
        life.waitingAt = 1; // shown at once
        alive.show(life);
        EXPECT_EQ(beat(), 3u);
        EXPECT_EQ(parseSignOfLife(services.readData("alive-out01.001"))->waitingAt, 1);
        // Only the sign of life is left: no temporary file.
        int files = 0;
        for ([[maybe_unused]] const auto& entry :
             fs::directory_iterator(services.programFolder() / "data"))
            ++files;
        EXPECT_EQ(files, 1);
    }
    EXPECT_FALSE(fs::exists(signOfLifePath(results)));
}

} // namespace
} // namespace tovask::test
