#pragma once
// What passes between a run and the session console, besides the run log and the lock: files
// beside the results file in the shared data folder, each replaced atomically (written under a
// fresh name, then renamed), so a reader on another PC sees the old text or the new, never a
// part.
//   alive-out01.001    the run's sign of life: rewritten every few seconds while it holds its
//                      lock, with where it stands; removed at its end
//   release-out01.001  the console's request to release the run at a hold point; the run acts
//                      on it and removes it
// Both names start with neither "out" nor "inp", so no tool that reads data/ takes them for a
// results file, a run log or a problem file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tovask {

// data/out01.001 -> data/alive-out01.001
std::filesystem::path signOfLifePath(const std::filesystem::path& resultsFile);
// data/out01.001 -> data/release-out01.001
std::filesystem::path releaseRequestPath(const std::filesystem::path& resultsFile);

// Where a run stands, as its sign of life says. The console notices each new beat on its own
// clock, so the clocks of the PCs need not agree.
struct SignOfLife {
    std::string started;      // the run's start, as its lock holds it
    std::string pc;           // the computer's name, as its lock holds it
    std::uint64_t beat = 0;   // counts up with every rewrite
    int stage = 0;            // the run's Stage
    int problem = 0;          // the problem on the screen or just answered; 0 before the first
    int problems = 0;         // ProblemCount
    int readingLeft = 0;      // seconds of reading time left (stage 11)
    int waitingAt = 0;        // the hold point the run waits at for release: 1, 2, or 0 for none
    bool messageOpen = false; // a message box waits for OK on the PC (the beats pause meanwhile)
};
std::string signOfLifeText(const SignOfLife& life);
// Nothing when the text is not a whole sign of life.
std::optional<SignOfLife> parseSignOfLife(std::string_view text);

// A request of the console: release the run that started at `started` at hold point `hold`
// (1: after the instructions, 2: before the playing out).
struct ReleaseRequest {
    std::string started;
    int hold = 0;
};
std::string releaseRequestText(const ReleaseRequest& request);
// Nothing when the text is not a whole request.
std::optional<ReleaseRequest> parseReleaseRequest(std::string_view text);

// The sign of life of a run while it holds its lock: written at once when where the run stands
// changes, and at least every kBeatSeconds meanwhile; removed when the run ends. A write that
// fails (a share that is gone) is tried again at the next second: the run goes on regardless.
class SignOfLifeFile {
public:
    static constexpr int kBeatSeconds = 5;

    explicit SignOfLifeFile(const std::filesystem::path& resultsFile);
    ~SignOfLifeFile();
    SignOfLifeFile(const SignOfLifeFile&) = delete;
    SignOfLifeFile& operator=(const SignOfLifeFile&) = delete;

    // Called once a second, and whenever the state changes between seconds.
    void show(SignOfLife life);

private:
    std::filesystem::path path_;
    std::optional<SignOfLife> written_;
    int secondsSinceWritten_ = 0;
    std::uint64_t beat_ = 0;
};

// Replaces the file's content atomically: the text goes to a fresh file in the same folder,
// created exclusively, which is then renamed over the file. Not forced onto the disk: these
// files matter only while the session runs. Throws tovask::Failure naming the file.
void replaceFile(const std::filesystem::path& path, std::string_view text);

} // namespace tovask
