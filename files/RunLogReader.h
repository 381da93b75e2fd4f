#pragma once
// The one reader of run logs: recovery, the report and the session console read through it. It
// turns each line into a typed event, tolerates a damaged line and a last line still being
// written, and goes on from where it stopped when the file has grown.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tovask {

class Failure;

namespace logread {

// A parameter of the run, recorded when it starts: its name (logged::kDataFileText ...) and the
// value.
struct Parameter {
    std::string name;
    std::string value;
};

// A problem put on the screen: its draws and its values as shown.
struct ProblemShown {
    int pn = 0;
    int rev = 0;
    int inv = 0;
    double pt = 0, orig = 0, a = 0;
    std::array<float, 4> e{}; // e[1] .. e[3]
};

// The slider moved (by the program when a problem is shown, otherwise by the subject).
struct SliderMoved {
    int pn = 0;
    int value = 0;
    std::optional<double> all;
    bool bySubject = false;
};

// An answer confirmed; the moves and the decision time are missing only in a damaged line.
struct ProblemAnswered {
    int pn = 0;
    std::optional<double> all;
    std::optional<std::int64_t> moves;
    std::optional<std::int64_t> decisionMs;
};

// The run released at a hold point, by the experimenter's key or by the session console.
enum class HoldPoint { Instructions = 1, PlayingOut = 2 };
struct Released {
    HoldPoint hold = HoldPoint::Instructions;
    bool byConsole = false;
};

struct ResultsWritten {
    std::string file;
};

struct ResultsFailed {
    std::string file;
    std::string why;
};

// The task played out, with the division in units and in money.
struct PlayedOut {
    int pn = 0;
    double unitsOne = 0, unitsTwo = 0, moneyOne = 0, moneyTwo = 0;
};

// The window closed before the end of the run, with the problem that was on the screen.
struct WindowClosed {
    std::optional<int> pn;
};

// A lock left by an earlier run was removed; what it said about that run.
struct StaleLockRemoved {
    std::string holder;
};

// An event that no reader needs typed (a note such as close_asked or folder_sync_unsupported),
// or one of a later version of the program, kept as written.
struct Other {
    std::string event;
    std::optional<int> problem;
    std::string value;
    std::string detail;
};

using What =
    std::variant<Parameter, ProblemShown, SliderMoved, ProblemAnswered, Released, ResultsWritten,
                 ResultsFailed, PlayedOut, WindowClosed, StaleLockRemoved, Other>;

} // namespace logread

// One line of the log: where it is, when and in which stage it was recorded, and what.
struct RunLogEvent {
    int line = 0;     // 1-based line number in the file
    std::string time; // the wall clock time as written ("2024-03-05T14:07:09.042+01:00")
    std::int64_t msSinceStart = 0;
    int stage = 0;
    logread::What what;

    template <typename T> const T* as() const { return std::get_if<T>(&what); }
};

// Reads a log piece by piece, as it grows. Lines that cannot be read are listed, not fatal: a
// run that broke may leave a damaged end, and every line that can be read counts.
class RunLogReader {
public:
    // file names the log in messages.
    explicit RunLogReader(std::string file);

    // The events of the complete lines among the bytes that follow those read before; a piece
    // after the last line end waits for the rest. Throws tovask::Failure when the first line is
    // complete and is not the header line of a run log.
    std::vector<RunLogEvent> read(std::string_view bytes);

    // Line numbers of complete lines that could not be read.
    const std::vector<int>& damagedLines() const { return damagedLines_; }
    // Bytes after the last line end wait for theirs (a line being written, or cut by a crash).
    bool endsInPiece() const { return !piece_.empty(); }
    // The header line has been read: this is a run log.
    bool headerRead() const { return headerRead_; }
    // The failure of a text that is not a run log.
    Failure notARunLog() const;

private:
    void readLine(std::string_view line, int lineNumber, std::vector<RunLogEvent>& events);

    std::string file_;
    bool headerRead_ = false;
    std::string piece_;       // the bytes of the line not yet complete
    std::size_t scanned_ = 0; // how much of piece_ has been looked at for its line end
    bool inQuotes_ = false;   // piece_[0, scanned_) leaves a quoted field open
    int extraLineEnds_ = 0;   // line ends inside quotes in piece_[0, scanned_)
    int nextLine_ = 1;
    std::vector<int> damagedLines_;
};

// A whole log as read back.
struct ReadRunLog {
    std::vector<RunLogEvent> events;
    std::vector<int> damagedLines;
    bool endsInPiece = false; // the text after the last line end is not a whole line
};

// Throws tovask::Failure when the text does not start with the header line of a run log.
ReadRunLog parseRunLog(std::string_view text, const std::string& file);

// The value of a parameter recorded at the start of the run; nothing when it is not there.
const std::string* runParameter(const std::vector<RunLogEvent>& events, std::string_view name);

// Follows a log file that a run may still be writing, possibly on another computer: each poll
// reads what has been appended since the last one. A file that has become shorter, or was
// replaced by a new run's log of the same name, is read again from its start.
class RunLogFollower {
public:
    explicit RunLogFollower(std::filesystem::path path);

    // What is new since the last poll. reset is set when the events read before no longer
    // belong to the file (it was replaced), so the caller forgets them. Throws tovask::Failure
    // when the file cannot be read or is not a run log.
    struct Poll {
        bool reset = false;
        std::vector<RunLogEvent> events;
    };
    Poll poll();

    const RunLogReader& reader() const { return reader_; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    RunLogReader reader_;
    std::uint64_t offset_ = 0;
    std::string head_; // the first bytes read, to tell the file from a new one of the same name
};

} // namespace tovask
