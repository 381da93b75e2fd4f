#pragma once
// Plays a script against the experiment window: the window's load first, then each line as soon
// as it is read, so a pipe can drive a run live. Dumps go to the output stream (flushed after
// each), bad lines to the error stream.

#include "core/Experiment.h"
#include "tools/script/HeadlessServices.h"
#include "tools/script/ScriptReader.h"

#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace tovask::script {

// Where a run stands after a step.
enum class Status {
    Running, // the next line may come
    BadLine, // a line was refused; nothing of it was done
    Ended,   // a failure ended the run; its last dump has been written
};

// The exit status of tovask-script for each way a script stops.
constexpr int kExitDone = 0;    // played to its end
constexpr int kExitUsage = 1;   // wrong arguments, an unreadable script, an unwritable folder
constexpr int kExitBadLine = 2; // a bad line
constexpr int kExitEnded = 3;   // a failure ended the run
int exitCode(Status status);

class Runner {
public:
    // programFolder stands for the folder that holds the program; its data/ subfolder holds
    // the word files, the problem files and the results.
    Runner(std::filesystem::path programFolder, std::ostream& out, std::ostream& err);
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // Runs the window's load; call it once, before the first line.
    Status load();
    // Reads one line of the script (lineNumber counting from 1) and does what it says. Once
    // the run has ended, nothing more is done.
    Status feed(std::string_view line, int lineNumber);
    // Loads, then feeds the lines of the script one by one until its end, a bad line or the
    // end of the run; returns the exit status. In a data folder where no file can be created
    // nothing is played.
    int run(std::istream& script);

    // The window being driven, for callers that look at or seed its state.
    Experiment& experiment() { return experiment_; }

private:
    void act(const Event& event);
    void wait(std::chrono::milliseconds time);
    // Runs one step of the window; an exception that escapes it ends the run.
    template <typename Step> Status guarded(Step&& step);
    void dump(const std::optional<std::string>& ended);

    HeadlessServices services_;
    Experiment experiment_;
    std::ostream& out_;
    std::ostream& err_;
    Status status_ = Status::Running;
};

} // namespace tovask::script
