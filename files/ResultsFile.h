#pragma once
// The results file: a header line, then one line of ten blank-separated fields per problem,
// every line ending in CR LF.

#include "files/ProblemFile.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// One problem line of a results file as read back: the values its texts stand for (a rate
// "0.1" is 0.1, not the single-precision value the run computed with).
struct ResultsRecord {
    int line = 0; // 1-based line number in the file
    int pn = 0;
    double orig = 0;
    double pt = 0;
    double a = 0;
    std::array<double, 4> e{}; // e[1..3]; e[0] unused
    Outcome outcome;           // inv is always there
};

// An answer the slider can give for an amount a: a finite number from 0 to a (from a to 0 for a
// negative amount, which the program runs with).
bool isPossibleAnswer(double all, double a);

// Reads exactly what resultsLine writes: the header line, then one line per problem with ten
// fields, each the text the program writes for its value, CR LF after every line, the problem
// numbers rising (a recovered file may leave some out), every answer a possible one. Throws
// tovask::Failure at the first fault, naming the file, the line, the field and its text.
std::vector<ResultsRecord> parseResultsFile(std::string_view bytes, const std::string& file);

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
