// The readers of hostile input, driven exactly as the fuzz targets drive them: every input kept
// in fuzz/regressions/<target>/ (hostile inputs made by hand, and any input that once found a
// fault), and the seeds the fuzzing starts from. Each input is read from its file as the
// program reads that kind of file, so the folders of the targets that read files also hold what
// the reader must refuse: a folder, and a stand-in for a FIFO (a file named "*.fifo", which the
// test replaces by a real FIFO, since a repository cannot hold one).
// Under the sanitizer build of ./test a fault shows as a report; a broken rule aborts.
#include "base/Failure.h"
#include "files/TextFile.h"
#include "fuzz/Targets.h"
#include "tests/support/ProgramFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

struct Target {
    std::string name;
    std::function<void(std::string_view)> read;
    std::vector<fs::path> seeds;
    FileToRead file; // the kind of file the target's input comes from
};

const fs::path kData = TOVASK_SOURCE_DATA;
const fs::path kFuzz = kData.parent_path() / "fuzz";

// The entries of a folder, those whose name ends in `ending` when one is given.
std::vector<fs::path> entriesIn(const fs::path& folder, const std::string& ending = "") {
    std::vector<fs::path> entries;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().string().ends_with(ending))
                entries.push_back(entry.path());
    return entries;
}

// The refusal of the reader; empty when it reads the file.
std::string refusal(const fs::path& input, const FileToRead& file) {
    try {
        readFileBytes(input, file);
    } catch (const Failure& failure) {
        return failure.what();
    }
    return {};
}

class FuzzInputs : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzInputs, AreReadSafely) {
    const Target& target = GetParam();
    std::vector<fs::path> inputs = entriesIn(kFuzz / "regressions" / target.name);
    ASSERT_FALSE(inputs.empty()) << "fuzz/regressions/" << target.name << " holds no input";
    inputs.insert(inputs.end(), target.seeds.begin(), target.seeds.end());
    const ProgramFolder fifos("tovask-fuzz");
    for (fs::path input : inputs) {
        SCOPED_TRACE(input.string());
        if (input.extension() == ".fifo") {
#ifdef _WIN32
            continue; // Windows has no FIFO
#else
            input = fifos.path() / input.filename();
            ASSERT_EQ(::mkfifo(input.c_str(), 0644), 0);
#endif
        }
        const std::string refused = refusal(input, target.file);
        if (fs::is_regular_file(input)) {
            ASSERT_EQ(refused, "");
            target.read(readFileBytes(input, target.file));
        } else {
            EXPECT_NE(refused.find(input.string() + ": it is "), std::string::npos) << refused;
        }
    }
}

const std::vector<fs::path> kDataFiles = {kData / "english.wds", kData / "italian.wds",
                                          kData / "inp01.001", kData / "inp02.001"};
const FileToRead kScript{"script", reading::kMiB};

INSTANTIATE_TEST_SUITE_P(
    Targets, FuzzInputs,
    ::testing::Values(
        Target{"item_reader", fuzz::itemReader, kDataFiles, reading::kDataFile},
        Target{"word_file", fuzz::wordFile, kDataFiles, reading::kWordFile},
        Target{"problem_file", fuzz::problemFile, kDataFiles, reading::kProblemFile},
        Target{"script_reader", fuzz::scriptReader,
               entriesIn(kData.parent_path() / "tests" / "scenario", ".script"), kScript},
        Target{"run_log", fuzz::runLog, entriesIn(kFuzz / "seeds" / "run_log"), reading::kRunLog},
        Target{"results_file", fuzz::resultsFile,
               entriesIn(kData.parent_path() / "tests" / "scenario", ".out02.001"),
               reading::kResultsFile}),
    [](const ::testing::TestParamInfo<Target>& param) { return param.param.name; });

} // namespace
} // namespace tovask::test
