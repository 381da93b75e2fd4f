#pragma once
// The results file: a header line, then one line of ten blank-separated fields per problem,
// every line ending in CR LF.

#include "files/ProblemFile.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tovask {

// What happened in one problem: the two random draws and the subject's allocation to side one.
// Empty where nothing has been stored yet.
struct Outcome {
    std::optional<int> rev;
    std::optional<int> inv;
    std::optional<double> all;
};

std::string resultsHeaderLine();
std::string resultsLine(int pn, const Problem& problem, const Outcome& outcome);

// The input data file text becomes part of two file names: it may not leave data/ nor hold a
// character that a file name cannot hold on Windows or Linux. Throws tovask::Failure saying why.
constexpr std::size_t kMaxDataFileName = 64;
void checkDataFileName(const std::string& text);

// data/<prefix><data file text><suffix of the subject number> below the program folder:
// dataFilePath(dir, "inp", "01", "1") is dir/data/inp01.001.
std::filesystem::path dataFilePath(const std::filesystem::path& programFolder,
                                   const std::string& prefix, const std::string& dataFileName,
                                   const std::string& subjectNo);

} // namespace tovask
