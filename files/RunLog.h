#pragma once
// The run log: from the click that starts a run on, one line per event is appended to a CSV file
// beside the results file, so that no answer lives only in memory. Every line goes to the
// operating system as soon as it is recorded; the lines that matter most are also made durable
// on the disk. tovask-recover rebuilds the results of a broken run from it.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace tovask {

namespace os {
class AppendOnlyFile;
}

// The two clocks of the log, behind an interface so that tests can set the time.
class LogClock {
public:
    virtual ~LogClock() = default;
    virtual std::chrono::system_clock::time_point wallClock() = 0;
    // How far local time is ahead of UTC at that moment.
    virtual std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) = 0;
    // A clock that never jumps (any origin), for durations.
    virtual std::chrono::milliseconds monotonic() = 0;
};

// The computer's clocks.
LogClock& systemLogClock();

// ISO 8601 local time with milliseconds and the UTC offset: "2024-03-05T14:07:09.042+01:00".
std::string isoTime(std::chrono::system_clock::time_point moment, std::chrono::seconds utcOffset);

// The detail column holds "name=value" pairs separated by one blank; values hold no blank.
using DetailPairs = std::vector<std::pair<std::string_view, std::string>>;
std::string detailText(const DetailPairs& pairs);
// The value of one name in a detail text; empty when the name is not there.
std::optional<std::string> detailValue(std::string_view detail, std::string_view name);

// One CSV field: in double quotes, with inner quotes doubled, when it holds a comma, a quote,
// a line end or a blank at either end; as it is otherwise.
std::string csvField(std::string_view text);
// The fields of one CSV line (without its line end); empty when a quote is not closed.
std::optional<std::vector<std::string>> splitCsvLine(std::string_view line);

// The event names of the log, and the names of the parameters recorded at the start.
namespace logged {
inline constexpr std::string_view kParameter = "parameter";
inline constexpr std::string_view kProblemShown = "problem_shown";
inline constexpr std::string_view kSlider = "slider";
inline constexpr std::string_view kProblemAnswered = "problem_answered";
inline constexpr std::string_view kExperimenterKey = "experimenter_key";
inline constexpr std::string_view kResultsWritten = "results_written";
inline constexpr std::string_view kResultsFailed = "results_failed";
inline constexpr std::string_view kPlayedOut = "played_out";
inline constexpr std::string_view kWindowClosed = "window_closed";
// The subject closed the window during the run and was asked whether to end it; the value is
// what was chosen.
inline constexpr std::string_view kCloseAsked = "close_asked";
inline constexpr std::string_view kChoseClose = "close";
inline constexpr std::string_view kChoseGoOn = "go_on";
inline constexpr std::string_view kStaleLockRemoved = "stale_lock_removed";
inline constexpr std::string_view kFolderSyncUnsupported = "folder_sync_unsupported";

inline constexpr std::string_view kProgramVersion = "program_version";
inline constexpr std::string_view kDataFileText = "data_file_text";
inline constexpr std::string_view kSubjectNumber = "subject_number";
inline constexpr std::string_view kLanguage = "language";
inline constexpr std::string_view kTreatment = "treatment";
inline constexpr std::string_view kReadingTime = "reading_time";
inline constexpr std::string_view kWaitingTime = "waiting_time";
inline constexpr std::string_view kProblemFile = "problem_file";
inline constexpr std::string_view kProblemCount = "problem_count";

// The names of the detail column's pairs, by the event that writes them.
namespace key {
// problem_shown: the draws and the values of the problem as shown.
inline constexpr std::string_view kRev = "rev";
inline constexpr std::string_view kInv = "inv";
inline constexpr std::string_view kPt = "pt";
inline constexpr std::string_view kOrig = "orig";
inline constexpr std::string_view kAmount = "a";
inline constexpr std::string_view kRate[4] = {"", "e1", "e2", "e3"};
// slider: the answer the position gives, and who moved it ("subject" or "program").
inline constexpr std::string_view kAll = "all";
inline constexpr std::string_view kBy = "by";
inline constexpr std::string_view kBySubject = "subject";
inline constexpr std::string_view kByProgram = "program";
// problem_answered: the slider moves of the subject, and the time from shown to answered.
inline constexpr std::string_view kMoves = "moves";
inline constexpr std::string_view kDecisionMs = "decision_ms";
// experimenter_key: the hold point released.
inline constexpr std::string_view kReleased = "released";
inline constexpr std::string_view kReleasedInstructions = "instructions";
inline constexpr std::string_view kReleasedPlayingOut = "playing_out";
// ... and, where the session console released it rather than the key, by=console.
inline constexpr std::string_view kByConsole = "console";
// played_out: the division of the task played out, in units and in money.
inline constexpr std::string_view kUnitsOne = "units_one";
inline constexpr std::string_view kUnitsTwo = "units_two";
inline constexpr std::string_view kMoneyOne = "money_one";
inline constexpr std::string_view kMoneyTwo = "money_two";
} // namespace key
} // namespace logged

// The version of the program that writes the log.
std::string_view programVersion();

struct LogEvent {
    int stage = 0;
    std::string_view event;
    std::optional<int> problem;
    std::string value;
    std::string detail;
};

class RunLog {
public:
    // The first line of every run log: what each column holds.
    static constexpr std::string_view kHeader =
        "wall_clock_time,ms_since_start,stage,event,problem,value,detail";

    // Creates the log and writes its header line; an earlier file of that name is first kept
    // under a new name. The run's time starts now. Throws tovask::Failure naming the file.
    RunLog(std::filesystem::path path, LogClock& clock);
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Appends one line. Throws tovask::Failure naming the file and the cause; the log stays
    // whole (no piece of a line) and takes the next line as usual.
    void record(const LogEvent& event);
    // Makes every line recorded so far durable on the disk. Throws tovask::Failure.
    void sync();

    const std::filesystem::path& path() const { return path_; }
    // Why the file system cannot force the log's folder onto the disk, where it cannot (see
    // os::makeFolderDurable): the run then relies on the file system keeping its folder changes.
    const std::optional<std::error_code>& folderNotForced() const { return folderNotForced_; }
    // Milliseconds since the log was created, on the monotonic clock.
    std::int64_t msSinceStart() const;

private:
    std::filesystem::path path_;
    LogClock& clock_;
    std::chrono::milliseconds start_;
    std::unique_ptr<os::AppendOnlyFile> file_;
    std::optional<std::error_code> folderNotForced_;
};

// The log of a results file: its name with ".log" appended (out01.001 -> out01.001.log).
std::filesystem::path runLogPath(const std::filesystem::path& resultsFile);

} // namespace tovask
