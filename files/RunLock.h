#pragma once
// One run at a time on the files of one results name. From the click that starts a run to its
// end, a lock file beside the results file says which run uses them: the computer, the process
// and the start. It is created exclusively, which works on a local disk and on a shared network
// folder alike, so a second run on the same files, on this computer or another, is refused.

#include <filesystem>
#include <optional>
#include <string>

namespace tovask {

// The lock file of a results file: data/out01.001 -> data/lock-out01.001. It starts with
// neither "out" nor "inp", so no tool that reads data/ takes it for a results file, a run log,
// a kept earlier file, a temporary file or a problem file.
std::filesystem::path runLockPath(const std::filesystem::path& resultsFile);

class RunLock {
public:
    // Takes the lock of the results file's files for a run that started at `started` (a time
    // as the run log writes it). Throws tovask::Failure, saying which run holds them where the
    // lock file tells, when another run that may still be going holds them, or when a lock left
    // by a run that has ended cannot be removed. When the lock file cannot be written (a folder
    // without the right to write, a full disk), nothing is thrown: the run goes on without the
    // lock, and notHeldBecause() says why.
    RunLock(const std::filesystem::path& resultsFile, std::string started);
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

private:
    std::filesystem::path path_;
    std::string content_; // what this run wrote into the lock file
    std::string notHeldBecause_;
    bool released_ = false;
    std::optional<std::string> removedStale_;
};

} // namespace tovask
