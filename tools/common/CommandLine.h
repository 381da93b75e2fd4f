#pragma once
// The command line of the experimenter's tools: `--help`, one option that names a folder
// (`--program-dir DIR`, `--out DIR`), and the names of files or folders to work on; and the
// start and the end every tool shares.

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovask::tools {

// The exit statuses of tovask-check and tovask-report: done, done with findings (errors in the
// files, or files that could not be read), and could not run at all.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFindings = 1;
inline constexpr int kExitCannotRun = 2;

struct CommandLine {
    bool help = false;
    std::optional<std::filesystem::path> folder; // given with the folder option
    std::vector<std::filesystem::path> names;    // "-" is a name (standard input, say)
    // The value given with each of the tool's other options that take one.
    std::map<std::string, std::string, std::less<>> values;
    // The tool's switches given (options that take no value, "--no-browser").
    std::set<std::string, std::less<>> switches;
    std::string error; // what is wrong with the line; empty if nothing
};

// arguments: those after the program's name, UTF-8. folderOption: "--program-dir", "--out"; empty
// for a tool that has none. valueOptions: the options besides the folder option that take a value
// ("--pc NAME"); switchOptions: those that take none ("--no-browser").
CommandLine readCommandLine(const std::vector<std::string>& arguments,
                            std::string_view folderOption,
                            std::span<const std::string_view> valueOptions = {},
                            std::span<const std::string_view> switchOptions = {});

// A tool as its user meets it: its name, its usage text, and its exit status when it cannot run.
struct Tool {
    std::string_view name;
    std::string_view folderOption = {}; // "--program-dir", "--out"; empty for none
    std::string_view usage;
    int done = kExitDone;
    int cannotRun = kExitCannotRun;
    std::span<const std::string_view> valueOptions = {};
    std::span<const std::string_view> switchOptions = {};

    // Reads the command line into `line` (on Windows as UTF-16, whatever the code page), after
    // making a file-size limit an ordinary write failure (os::treatFileSizeLimitAsWriteFailure),
    // and makes what the tool prints show right in a Windows console. For --help the usage on
    // the output, giving `done`; for a wrong line what is wrong and the usage on the error
    // stream, giving cannotRun. Empty when the tool goes on with its work.
    std::optional<int> start(int argc, char** argv, CommandLine& line) const;
    // The tool's end: flushes what it printed. When the output or the error stream could not
    // be written whole (a full disk, > /dev/full), says so where it still can and gives
    // cannotRun, since whoever reads the output would take a part for the whole; else status.
    int finish(int status) const;
    // The tool's main: start(), the work on the command line, finish() with the work's status.
    int run(int argc, char** argv, int (*work)(const Tool& tool, const CommandLine& line)) const;

    // Writes "name: message" on the error stream and gives the cannotRun status.
    int fail(const std::string& message) const;
    // fail() for a command line the tool cannot work with: the message, then the usage.
    int misused(const std::string& message) const;
};

} // namespace tovask::tools
