// The run log file itself: its time stamps, its CSV, the detail pairs, exact numbers, the file
// on disk and reading it back after a run that broke.
#include "files/RunLog.h"
#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/OperatingSystem.h"
#include "files/RunLogReader.h"
#include "tests/support/LogSupport.h"
#include "tests/support/TestServices.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>

namespace tovask::test {
namespace {

using namespace std::chrono;
namespace fs = std::filesystem;

sys_time<milliseconds> at(int y, unsigned mo, unsigned d, int h, int mi, int s, int ms) {
    return sys_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{s} + milliseconds{ms};
}

TEST(RunLogTime, IsLocalIso8601WithMillisecondsAndOffset) {
    EXPECT_EQ(isoTime(at(2024, 3, 5, 13, 7, 9, 42), hours{1}), "2024-03-05T14:07:09.042+01:00");
    EXPECT_EQ(isoTime(at(2024, 3, 5, 13, 7, 9, 7), seconds{0}), "2024-03-05T13:07:09.007+00:00");
    // West of Greenwich, with half an hour, across midnight into the previous day and year.
    EXPECT_EQ(isoTime(at(2024, 1, 1, 1, 0, 0, 999), -(hours{3} + minutes{30})),
              "2023-12-31T21:30:00.999-03:30");
    // East, into the next day: a leap day.
    EXPECT_EQ(isoTime(at(2024, 2, 28, 23, 30, 0, 0), hours{5} + minutes{45}),
              "2024-02-29T05:15:00.000+05:45");
}

TEST(RunLogTime, SystemClockOffsetMatchesTheLocalZone) {
    const auto now = system_clock::now();
    const seconds offset = os::utcOffset(now);
    EXPECT_EQ(offset.count() % 60, 0);
    EXPECT_LE(std::abs(offset.count()), 14 * 3600);
}

TEST(RunLogCsv, FieldsSurviveTheRoundTrip) {
    const std::vector<std::string> fields = {"plain",  "a,b", "say \"yes\"", "two\nlines",
                                             " blank", "",    "\"",          "cr\r"};
    std::string line;
    for (const std::string& f : fields)
        line += (line.empty() ? "" : ",") + csvField(f);
    // The bytes: a reader that trims blanks around unquoted fields (spreadsheets do) must get
    // a typed parameter's blanks back too.
    const std::pair<std::string, std::string> bytes[] = {{"plain", "plain"},
                                                         {"a,b", "\"a,b\""},
                                                         {"say \"yes\"", "\"say \"\"yes\"\"\""},
                                                         {" blank", "\" blank\""},
                                                         {"blank ", "\"blank \""},
                                                         {"\ttab", "\"\ttab\""},
                                                         {"in side", "in side"},
                                                         {"", ""}};
    for (const auto& [text, field] : bytes)
        EXPECT_EQ(csvField(text), field) << text;
    const auto back = splitCsvLine(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, fields);
}

TEST(RunLogCsv, RefusesBrokenQuoting) {
    EXPECT_FALSE(splitCsvLine("a,\"open"));
    EXPECT_FALSE(splitCsvLine("\"closed\"junk,b"));
    EXPECT_EQ(splitCsvLine(",,")->size(), 3u);
}

TEST(RunLogDetail, FindsEachNameWhole) {
    const std::string detail = detailText({{"all", "4.5"}, {"a", "10"}, {"by", "subject"}});
    EXPECT_EQ(detail, "all=4.5 a=10 by=subject");
    EXPECT_EQ(detailValue(detail, "a"), "10");
    EXPECT_EQ(detailValue(detail, "all"), "4.5");
    EXPECT_EQ(detailValue(detail, "by"), "subject");
    EXPECT_FALSE(detailValue(detail, "al"));
    EXPECT_FALSE(detailValue("", "a"));
    EXPECT_EQ(detailValue("all=", "all"), "");
}

template <typename T> T readBack(const std::string& text) {
    T value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

TEST(RunLogNumbers, ReadBackExactly) {
    for (const double v : {0.1, 1.0 / 3, 4.5, 1e-300, 5e-324, 123456789.123456789,
                           std::numeric_limits<double>::max()})
        EXPECT_EQ(readBack<double>(exactText(v)), v) << exactText(v);
    for (const float v : {0.1f, 1.0f / 3, 1.5f, 16777216.0f, 1e-45f})
        EXPECT_EQ(readBack<float>(exactText(v)), v) << exactText(v);
    EXPECT_EQ(exactText(4.5), "4.5");
    EXPECT_EQ(exactText(0.1f), "0.1");
}

class RunLogFile : public ::testing::Test {
protected:
    fs::path path() const { return services.programFolder() / "data" / "out01.001.log"; }
    TestServices services;
    FakeClock clock;
};

TEST_F(RunLogFile, WritesTheHeaderAndOneLinePerEvent) {
    {
        RunLog log(path(), clock);
        clock.advance(milliseconds(1500));
        log.record({3, logged::kSlider, 2, "480", "all=5.2 by=subject"});
        log.record({6, logged::kResultsFailed, std::nullopt, "C:\\data,1", "no \"room\""});
        EXPECT_EQ(log.msSinceStart(), 1500);
    }
    EXPECT_EQ(services.readData("out01.001.log"),
              "wall_clock_time,ms_since_start,stage,event,problem,value,detail\n"
              "2024-03-05T14:07:10.542+01:00,1500,3,slider,2,480,all=5.2 by=subject\n"
              "2024-03-05T14:07:10.542+01:00,1500,6,results_failed,,\"C:\\data,1\","
              "\"no \"\"room\"\"\"\n");
}

TEST_F(RunLogFile, KeepsAnEarlierLogOfTheSameName) {
    services.writeData("out01.001.log", "earlier run\n");
    RunLog log(path(), clock);
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(services.programFolder() / "data"))
        if (entry.path().filename().string().rfind("out01.001.log.earlier-", 0) == 0) {
            ++kept;
            EXPECT_EQ(services.readData(entry.path().filename().string()), "earlier run\n");
        }
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(services.readData("out01.001.log"), std::string(RunLog::kHeader) + "\n");
}

#ifndef _WIN32 // the file size limit is POSIX
TEST_F(RunLogFile, AFailedLineLeavesNoPieceAndTheNextLineFollows) {
    RunLog log(path(), clock);
    const auto before = fs::file_size(path());
    {
        // Room for a part of the line only.
        FileSizeLimit limit(before + 10);
        EXPECT_THROW(log.record({3, logged::kSlider, 1, "500", "all=5 by=subject"}), Failure);
        EXPECT_EQ(fs::file_size(path()), before);
    }
    log.record({3, logged::kSlider, 1, "510", "all=4.9 by=subject"});
    const ReadRunLog back = parseRunLog(services.readData("out01.001.log"), "log");
    ASSERT_EQ(back.events.size(), 1u);
    EXPECT_EQ(back.events[0].as<logread::SliderMoved>()->value, 510);
    EXPECT_TRUE(back.damagedLines.empty());
    EXPECT_FALSE(back.endsInPiece);
}
#endif

TEST_F(RunLogFile, CannotBeCreatedWhereNoFileCanBe) {
    EXPECT_THROW(RunLog(services.programFolder() / "missing" / "out01.001.log", clock), Failure);
}

TEST(RunLogRead, RefusesATextThatIsNoRunLog) {
    EXPECT_THROW(parseRunLog("pn orig(pn) pt(pn)\r\n1 2 3\r\n", "out01.001"), Failure);
    EXPECT_THROW(parseRunLog("", "empty"), Failure);
    EXPECT_THROW(parseRunLog(RunLog::kHeader, "header without a line end"), Failure);
}

// A log as a run that broke may leave it, and a later version's event.
const std::string kBrokenRun =
    std::string(RunLog::kHeader) +
    "\r\n"
    "t,1,3,problem_shown,1,,rev=0 inv=1 pt=11 orig=4 a=10 e1=1 e2=0.5 e3=2\r\n"
    "t,2,0,parameter,,\"multi\nline\",language\n"
    "damaged line\n"
    "t,3,4,problem_answered,x1,5,\n"
    "t,4,4,problem_answered,1,5,moves=0\n"
    "t,5,4,problem_answered,1,nan,moves=0 decision_ms=5\n"
    "t,6,3,problem_shown,2,,rev=2 inv=0 pt=11 orig=4 a=10 e1=1 e2=0.5 e3=2\n"
    "t,7,5,later_event,,v,d\n"
    "t,8,3,slid";

TEST(RunLogRead, KeepsEveryReadableLineOfABrokenRun) {
    const ReadRunLog log = parseRunLog(kBrokenRun, "log");
    ASSERT_EQ(log.events.size(), 4u);
    const auto& shown = *log.events[0].as<logread::ProblemShown>();
    EXPECT_EQ(shown.pn, 1);
    EXPECT_EQ(shown.inv, 1);
    EXPECT_EQ(shown.e[2], 0.5f);
    EXPECT_EQ(log.events[1].as<logread::Parameter>()->value, "multi\nline");
    EXPECT_EQ(log.events[2].line, 7); // the quoted line end counts as a line
    EXPECT_EQ(log.events[2].as<logread::ProblemAnswered>()->all, 5);
    EXPECT_FALSE(log.events[2].as<logread::ProblemAnswered>()->decisionMs);
    EXPECT_EQ(log.events[3].as<logread::Other>()->event, "later_event");
    // Not a line of seven fields, a problem that is no number, an answer that is no finite
    // number, a draw that cannot be.
    EXPECT_EQ(log.damagedLines, (std::vector<int>{5, 6, 8, 9}));
    EXPECT_TRUE(log.endsInPiece);
}

// What is read piece by piece, as a run writes it, is what is read whole.
TEST(RunLogRead, PieceByPieceGivesWhatTheWholeGives) {
    const ReadRunLog whole = parseRunLog(kBrokenRun, "log");
    for (std::size_t size : {1u, 2u, 7u, 64u}) {
        RunLogReader reader("log");
        std::vector<int> lines;
        for (std::size_t at = 0; at < kBrokenRun.size(); at += size)
            for (const RunLogEvent& event : reader.read(kBrokenRun.substr(at, size)))
                lines.push_back(event.line);
        EXPECT_EQ(lines, (std::vector<int>{2, 3, 7, 10})) << size;
        EXPECT_EQ(reader.damagedLines(), whole.damagedLines) << size;
        EXPECT_TRUE(reader.endsInPiece());
    }
    // A wrong first line is refused as soon as it cannot be the header any more.
    RunLogReader reader("out01.001");
    EXPECT_NO_THROW(reader.read("wall_clock"));
    EXPECT_THROW(reader.read("_time;ms"), Failure);
}

TEST_F(RunLogFile, IsFollowedAsItGrowsAndReadAgainWhenReplaced) {
    const std::string header = std::string(RunLog::kHeader) + "\n";
    const std::string answered = "t,9,4,problem_answered,1,5,moves=1 decision_ms=9\n";
    services.writeData("out01.001.log", header + "t,1,0,parameter,,01,data_file_text\nt,2");
    RunLogFollower follower(path());
    RunLogFollower::Poll poll = follower.poll();
    EXPECT_FALSE(poll.reset);
    ASSERT_EQ(poll.events.size(), 1u);
    services.writeData("out01.001.log", header + "t,1,0,parameter,,01,data_file_text\nt,2" +
                                            ",0,parameter,,1,subject_number\n" + answered);
    poll = follower.poll();
    ASSERT_EQ(poll.events.size(), 2u);
    EXPECT_EQ(poll.events[0].as<logread::Parameter>()->name, "subject_number");
    EXPECT_EQ(poll.events[1].line, 4);
    EXPECT_TRUE(follower.poll().events.empty());
    // A new run's log under the same name, longer than the one read so far.
    services.writeData("out01.001.log",
                       header + "u,1,0,parameter,,02,data_file_text\n" + answered + answered);
    poll = follower.poll();
    EXPECT_TRUE(poll.reset);
    ASSERT_EQ(poll.events.size(), 3u);
    EXPECT_EQ(poll.events[0].as<logread::Parameter>()->value, "02");
}

} // namespace
} // namespace tovask::test
