#pragma once
// One run at a time on the files of one results name. From the click that starts a run to its
// end, a lock file beside the results file says which run uses them: the computer, the process
// and the start. It is created exclusively, which works on a local disk and on a shared network
// folder alike, so a second run on the same files, on this computer or another, is refused.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tovask {

// The lock file of a results file: data/out01.001 -> data/lock-out01.001. It starts with
// neither "out" nor "inp", so no tool that reads data/ takes it for a results file, a run log,
// a kept earlier file, a temporary file or a problem file.
std::filesystem::path runLockPath(const std::filesystem::path& resultsFile);

// What a lock file says about the run that holds it.
struct LockHolder {
    std::string host;    // the computer's name
    std::string machine; // the id of the computer's system; empty in a lock of an older version
    std::string process; // its process number
    std::string processStart; // os::ProcessStart's mark of that process
    std::string started;      // when the run started, as the run log writes times
};
std::string lockText(const LockHolder& holder);
// Nothing when a part is missing (a lock being written, or cut by a power cut).
std::optional<LockHolder> parseLockHolder(std::string_view text);

class RunLock {
public:
    // Takes the lock of the results file's files for a run on the computer of this name that
    // started at `started` (a time as the run log writes it). Throws tovask::Failure, saying
    // which run holds them where the lock file tells, when another run that may still be going
    // holds them, or when a lock left by a run that has ended cannot be removed. A lock is
    // taken over only when its run was on this very computer (the same name and system id) and
    // its process is gone. When the lock file cannot be written (a folder without the right to
    // write, a full disk), nothing is thrown: the run goes on without the lock, and
    // notHeldBecause() says why.
    RunLock(const std::filesystem::path& resultsFile, std::string started, std::string computer);
    // Releases the lock: removes the lock file if it is still this run's. Gives the cause when
    // this run's lock file stays behind (it cannot be read or removed); the next run on this PC
    // then finds it stale, a run on another PC is refused until it is deleted. Once released,
    // the lock is not released again.
    std::optional<std::string> release();
    // Releases the lock, if release() has not.
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Empty while the lock is held; otherwise the cause.
    const std::string& notHeldBecause() const { return notHeldBecause_; }
    // When a lock left by a run that has ended was removed to take this one: what it said about
    // that run ("on this PC, started ..., process ...").
    const std::optional<std::string>& removedStale() const { return removedStale_; }
    const std::filesystem::path& path() const { return path_; }
    // What this run wrote into the lock file.
    const LockHolder& holder() const { return holder_; }

private:
    std::filesystem::path path_;
    LockHolder holder_;
    std::string content_; // the text of the lock file
    std::string notHeldBecause_;
    bool released_ = false;
    std::optional<std::string> removedStale_;
};

} // namespace tovask
