#pragma once
// The readers of hostile input, each as one function that takes any bytes at all: the
// libFuzzer targets (fuzz/Main.cpp) call them, and so do the regression tests on every input
// that once broke one. A function returns normally for every input; a broken rule of the reader
// it drives aborts.

#include <string_view>

namespace tovask::fuzz {

// The sequential item format: items, numbers and positions until the end of the text.
void itemReader(std::string_view bytes);
// The word file and the problem file, as the program reads them (stopping at the first
// error) and as the data checker does (going on after each).
void wordFile(std::string_view bytes);
void problemFile(std::string_view bytes);
// The script of tovask-script, line by line, each event checked against the loaded window.
void scriptReader(std::string_view bytes);
// A run log, and the rebuilding of results from it against the bundled problem file inp01.001;
// and the bytes as one CSV field written and read back.
void runLog(std::string_view bytes);
// A results file, read back to the very bytes the writer makes of what was read, and the
// report's tables of it.
void resultsFile(std::string_view bytes);

} // namespace tovask::fuzz
