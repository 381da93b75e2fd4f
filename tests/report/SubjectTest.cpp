// A results file and its run log as the tables show them: every column of both tables, a log
// of another run, and which files of a data folder are read.
#include "tools/report/Subject.h"
#include "tools/report/Sources.h"
#include "tools/report/Tables.h"

#include "files/ResultsFile.h"
#include "files/RunLog.h"
#include "tests/support/TestServices.h"

#include <gtest/gtest.h>

namespace tovask::report {
namespace {

namespace fs = std::filesystem;

// Type 11 with 4 of 10 units to side one; type 21 all to side one; an amount of 0; a problem
// without an answer (a recovered file may hold one).
const std::string kResults = resultsHeaderLine() + "1 14 11 10 1 0.5 2 0 1 4\r\n"
                                                   "2 3 21 8 1 1.5 1.5 1 0 8\r\n"
                                                   "3 7 13 0 2 1 1 0 0 0\r\n"
                                                   "4 9 12 6 2 0.5 3  1 \r\n";
const std::string kLog = std::string(RunLog::kHeader) + "\n" +
                         "t,9,4,problem_answered,1,4,moves=3 decision_ms=2500\n"
                         "t,12,4,problem_answered,2,8,moves=1 decision_ms=900\n";

Subject subject(const std::optional<std::string>& log, std::vector<std::string>& notes) {
    const Source source{"x", "lab,1/out01.001", false, fs::path("lab,1/out01.001.log")};
    return subjectOf(source, kResults, log, notes);
}

TEST(Tables, EveryColumnOfADecisionAndOfAScope) {
    std::vector<std::string> notes;
    const std::vector<Subject> subjects = {subject(kLog, notes)};
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(decisionsCsv(subjects),
              "results_file,pn,orig,pt,a,e1,e2,e3,rev,inv,all,units_one,units_two,rate_one,"
              "rate_two,money_one,money_two,share_money_one,decision_ms,moves\n"
              "\"lab,1/out01.001\",1,14,11,10,1,0.5,2,0,1,4,4,6,0.5,2,2,12,0.142857142857143,"
              "2500,3\n"
              "\"lab,1/out01.001\",2,3,21,8,1,1.5,1.5,1,0,8,8,0,1,1.5,8,0,1,900,1\n"
              "\"lab,1/out01.001\",3,7,13,0,2,1,1,0,0,0,0,0,2,1,0,0,,,\n"
              "\"lab,1/out01.001\",4,9,12,6,2,0.5,3,,1,,,,2,3,,,,,\n");
    // Problems 1 and 2 are used; neither bundle is affordable at the other's prices. Their
    // lines cross, so random choices can break GARP; a type's single line cannot.
    std::vector<Subject> withPower = subjects;
    addPower(withPower, 1000);
    EXPECT_EQ(subjectsCsv(withPower),
              "results_file,scope,problems,used,garp_violations,ccei,mean_share_money_one,"
              "corner_choices,hmi,mpi_min,mpi_max,power,ccei_percentile,note\n"
              "\"lab,1/out01.001\",all,4,2,0,1,0.571428571428571,1,1,0,0,0.139,0.139,\n"
              "\"lab,1/out01.001\",11,1,1,0,1,0.142857142857143,0,1,0,0,0,0,\n"
              "\"lab,1/out01.001\",21,1,1,0,1,1,1,1,0,0,0,0,\n");
    // Without simulated subjects (--power-draws 0), and where a search ran out of budget: the
    // figures it could not prove are left empty and the note gives their bounds.
    Scope& all = withPower[0].scopes[0];
    all = subjects[0].scopes[0];
    all.used = 3;
    all.consistentProblems = {1, 2};
    all.moneyPump.least = {0.0123455, 0.0123461};
    all.moneyPump.most = {0.25, 0.25};
    withPower[0].scopes.resize(1);
    EXPECT_EQ(subjectsCsv(withPower),
              "results_file,scope,problems,used,garp_violations,ccei,mean_share_money_one,"
              "corner_choices,hmi,mpi_min,mpi_max,power,ccei_percentile,note\n"
              "\"lab,1/out01.001\",all,4,3,0,1,0.571428571428571,1,,0.012346,0.25,,,"
              "hmi between 0.333333333333333 and 0.666666666666667: not proved within the "
              "search budget\n");
}

TEST(Tables, TheLogOfAnotherRunGivesNoTimes) {
    std::vector<std::string> notes;
    const std::string other = std::string(RunLog::kHeader) + "\n" +
                              "t,9,4,problem_answered,1,5.5,moves=3 decision_ms=2500\n";
    const Subject s = subject(other, notes);
    EXPECT_FALSE(s.timed);
    EXPECT_FALSE(s.decisions[0].decisionMs);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "lab,1/out01.001.log: left out: it is not the log of lab,1/out01.001 "
                        "(problem 1 was answered \"5.5\" in the log, \"4\" in the results file); "
                        "decision_ms and moves stay empty");

    notes.clear();
    EXPECT_FALSE(subject("not a log\n", notes).timed);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_TRUE(notes[0].starts_with("lab,1/out01.001.log: left out: ")) << notes[0];
}

TEST(Sources, TheResultsFilesOfAFolderAndTheirLogs) {
    test::TestServices services;
    for (const char* name :
         {"out01.001", "out01.001.log", "out01.001.earlier-20240305T140709", "out01.001.tmp",
          "out02.001.recovered", "out02.001.recovered-2", "out02.001.log", "out03.001",
          "out03.001.recovered", "out04.001.log", "inp01.001", "english.wds", "notes.txt"})
        services.writeData(name, "x");
    const fs::path data = services.programFolder() / "data";
    const Found found = findResultsFiles({data, data / "out01.001", data / "missing"});

    std::vector<std::string> read;
    for (const Source& source : found.sources)
        read.push_back(source.file.filename().string() + (source.recovered ? " recovered" : "") +
                       (source.log ? " " + source.log->filename().string() : ""));
    EXPECT_EQ(read, (std::vector<std::string>{"out01.001 out01.001.log",
                                              "out02.001.recovered-2 recovered out02.001.log",
                                              "out03.001"}));
    ASSERT_EQ(found.notes.size(), 3u);
    EXPECT_NE(found.notes[0].find("out03.001.recovered: left out: the run's results file "
                                  "out03.001 is there"),
              std::string::npos);
    EXPECT_NE(found.notes[1].find("out02.001.recovered: left out: a later recovered file"),
              std::string::npos);
    EXPECT_NE(found.notes[2].find("out02.001.recovered-2: read in place of out02.001"),
              std::string::npos);
    ASSERT_EQ(found.errors.size(), 1u);
    EXPECT_NE(found.errors[0].find("missing: there is no such file or folder"), std::string::npos);
}

// What cannot be read is named and left out; it hides nothing else of its folder.
TEST(Sources, AnEntryThatIsNoFileIsNamedAndTheRestAreRead) {
    test::TestServices services;
    const fs::path data = services.programFolder() / "data";
    services.writeData("out01.001", "x");
    fs::create_directory(data / "out02.001");
    std::vector<std::string> expected{"out02.001: left out: it is a folder"};
    std::error_code error;
    fs::create_symlink("out03.001", data / "out03.001", error); // a loop
    if (!error) {                                               // Wine may have no links
        fs::create_symlink("missing", data / "out04.001.recovered");
        fs::create_symlink("loop", data / "loop");
        expected.push_back("out03.001: left out: it is a link that leads to no file (");
        expected.push_back("out04.001.recovered: left out: it is a link that leads to no file (");
    }
    const Found found = findResultsFiles({data});
    ASSERT_EQ(found.sources.size(), 1u);
    EXPECT_EQ(found.sources[0].file, data / "out01.001");
    ASSERT_EQ(found.errors.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NE(found.errors[i].find(expected[i]), std::string::npos) << found.errors[i];
}

} // namespace
} // namespace tovask::report
