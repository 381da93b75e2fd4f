// The readers of hostile input, driven exactly as the fuzz targets drive them: every input kept
// in fuzz/regressions/<target>/ (hostile inputs made by hand, and any input that once found a
// fault), and the seeds the fuzzing starts from.
// Under the sanitizer build of ./test a fault shows as a report; a broken rule aborts.
#include "files/TextFile.h"
#include "fuzz/Targets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tovask::test {
namespace {

namespace fs = std::filesystem;

struct Target {
    std::string name;
    std::function<void(std::string_view)> read;
    std::vector<fs::path> seeds;
};

const fs::path kData = TOVASK_SOURCE_DATA;
const fs::path kFuzz = kData.parent_path() / "fuzz";

// The files of a folder, those whose name ends in `ending` when one is given.
std::vector<fs::path> filesIn(const fs::path& folder, const std::string& ending = "") {
    std::vector<fs::path> files;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().string().ends_with(ending))
                files.push_back(entry.path());
    return files;
}

class FuzzInputs : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzInputs, AreReadSafely) {
    const Target& target = GetParam();
    std::vector<fs::path> inputs = filesIn(kFuzz / "regressions" / target.name);
    ASSERT_FALSE(inputs.empty()) << "fuzz/regressions/" << target.name << " holds no input";
    inputs.insert(inputs.end(), target.seeds.begin(), target.seeds.end());
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        target.read(readFileBytes(input, "input"));
    }
}

const std::vector<fs::path> kDataFiles = {kData / "english.wds", kData / "italian.wds",
                                          kData / "inp01.001", kData / "inp02.001"};

INSTANTIATE_TEST_SUITE_P(
    Targets, FuzzInputs,
    ::testing::Values(Target{"item_reader", fuzz::itemReader, kDataFiles},
                      Target{"word_file", fuzz::wordFile, kDataFiles},
                      Target{"problem_file", fuzz::problemFile, kDataFiles},
                      Target{"script_reader", fuzz::scriptReader,
                             filesIn(kData.parent_path() / "tests" / "scenario", ".script")},
                      Target{"run_log", fuzz::runLog, filesIn(kFuzz / "seeds" / "run_log")},
                      Target{"results_file", fuzz::resultsFile,
                             filesIn(kData.parent_path() / "tests" / "scenario", ".out02.001")}),
    [](const ::testing::TestParamInfo<Target>& param) { return param.param.name; });

} // namespace
} // namespace tovask::test
