// The payment list from the run logs: one row per run played out, with the colour names its
// subject saw in its language, the units and money as the log holds them, written as the
// results file writes numbers whatever the locale, and the money per colour group.
#include "tools/console/Payments.h"
#include "tests/console/LabFiles.h"
#include "tests/support/ProgramFolder.h"

#include <gtest/gtest.h>

#include <clocale>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

TEST(ConsolePayments, ARowPerRunPlayedOutWithTheColourNamesItsSubjectSaw) {
    ProgramFolder folder{"tovask-console-test"};
    for (const char* words : {"english.wds", "italian.wds"})
        fs::copy_file(fs::path(TOVASK_SOURCE_DATA) / words, folder.data() / words);
    const struct {
        std::string file, pc, language;
        int type;
        std::string playedOut; // the played_out detail; empty: not played out yet
    } runs[] = {
        {"01", "PC10", "English", 13,
         "units_one=2.4000000000000004 units_two=7.6 money_one=2.4000000000000004 money_two=3.8"},
        {"02", "PC2", "English", 22, "units_one=4 units_two=6 money_one=2 money_two=6"},
        {"03", "PC3", "Italian", 11, "units_one=10 units_two=0 money_one=5 money_two=0"},
        {"04", "PC4", "English", 11, ""},
    };
    for (const auto& r : runs) {
        LabRun run(folder.data(), r.file, r.pc);
        run.start(1, r.language);
        run.shown(r.type);
        if (!r.playedOut.empty())
            run.playedOut(1, r.playedOut);
    }
    // Under a locale with a decimal comma (where the system has one), as on many lab PCs.
    for (const char* name : {"de_DE.UTF-8", "German_Germany.1252"})
        if (std::setlocale(LC_ALL, name) != nullptr)
            break;
    const console::PaymentList list = console::collectPayments(
        {{folder.data(),
          ""}}, // The plan's PCs, numbered as a lab numbers them: PC2 comes before PC10.
        [](const console::DataFolder&, const std::string& file) {
            return file == "01" ? "PC10" : "PC" + file.substr(1);
        });
    const std::string csv = console::paymentsCsv(list);
    const std::string byGroup = console::paymentsByGroupCsv(list);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(list.problems, std::vector<std::string>{});
    EXPECT_EQ(csv, "pc,input_data_file,results_file,task,side_one_groups,units_one,money_one,"
                   "side_two_groups,units_two,money_two\r\n"
                   "PC2,02,out02.001,1,yellow,4,2,red and blue,6,6\r\n"
                   "PC3,03,out03.001,1,giallo,10,5,blu,0,0\r\n"
                   "PC10,01,out01.001,1,red,2.4,2.4,yellow,7.6,3.8\r\n");
    EXPECT_EQ(byGroup, "group,money\r\n"
                       "blu,0\r\n"
                       "giallo,5\r\n"
                       "red,2.4\r\n"
                       "red and blue,6\r\n"
                       "yellow,5.8\r\n");

    console::writePayments(list, folder.path() / "payments.csv");
    EXPECT_EQ(readFileBytes(folder.path() / "payments-by-group.csv",
                            FileToRead{"payment list", reading::kMiB}),
              byGroup);
}

} // namespace
} // namespace tovask::test
