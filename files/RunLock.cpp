#include "files/RunLock.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "files/OperatingSystem.h"
#include "files/TextFile.h"

#include <chrono>
#include <string_view>
#include <system_error>

namespace tovask {

namespace fs = std::filesystem;

namespace {

// A lock file that is empty or cut short and younger than this may be one that another run is
// writing at this moment; an older one was left by a run that broke while writing it.
constexpr auto kWritingTime = std::chrono::seconds(10);

// The process start of a lock whose process could not look at its own.
constexpr std::string_view kUnknownStart = "unknown";

enum class Created { Yes, LockThere, CannotWrite };

// Creates the lock file exclusively with the text; the cause when it cannot be written.
Created createLock(const fs::path& path, const std::string& text, std::string& cause) {
    os::FileSystem& files = os::fileSystem();
    os::FileSystem::Handle file = 0;
    try {
        file = files.create(path);
    } catch (const std::system_error& e) {
        // Anything of that name counts, a link that leads nowhere too.
        if (namesAnything(path))
            return Created::LockThere;
        cause = e.code().message();
        return Created::CannotWrite;
    }
    try {
        files.write(file, text);
    } catch (const std::system_error& e) {
        cause = e.code().message();
    }
    files.close(file);
    if (cause.empty())
        return Created::Yes;
    try {
        files.remove(path);
    } catch (const std::system_error&) {
        // An incomplete lock file is taken for a broken one by the next run.
    }
    return Created::CannotWrite;
}

} // namespace

fs::path runLockPath(const fs::path& resultsFile) {
    return resultsFile.parent_path() / ("lock-" + resultsFile.filename().string());
}

std::string lockText(const LockHolder& holder) {
    return "A run of tovask uses the files of this name; this file is removed when the run ends.\n"
           "host=" +
           holder.host + "\nmachine=" + holder.machine + "\nprocess=" + holder.process +
           "\nprocess_start=" + holder.processStart + "\nstarted=" + holder.started + "\n";
}

std::optional<LockHolder> parseLockHolder(std::string_view text) {
    LockHolder holder;
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::size_t equals = line.find('=');
        const std::string_view name = line.substr(0, equals);
        const std::string value(equals == std::string_view::npos ? "" : line.substr(equals + 1));
        if (name == "host")
            holder.host = value;
        else if (name == "machine")
            holder.machine = value;
        else if (name == "process")
            holder.process = value;
        else if (name == "process_start")
            holder.processStart = value;
        else if (name == "started")
            holder.started = value;
    }
    if (holder.host.empty() || holder.processStart.empty() || holder.started.empty() ||
        !exactValue<std::uint64_t>(holder.process))
        return std::nullopt;
    return holder;
}

RunLock::RunLock(const fs::path& resultsFile, std::string started, std::string computer)
    : path_(runLockPath(resultsFile)) {
    const std::uint64_t self = os::processId();
    holder_ = {std::move(computer), os::machineId(), std::to_string(self),
               os::processStart(self).mark, std::move(started)};
    // A process that cannot look at itself still locks; no later run takes its lock over.
    if (holder_.processStart.empty())
        holder_.processStart = kUnknownStart;
    content_ = lockText(holder_);
    const std::string inUse = "The files of this run (" + resultsFile.string() +
                              " and its run log) are in use by another run";
    const std::string finishFirst =
        ". Finish or close that run first, or type another input data file.";
    const std::string orDelete = " If that run has ended without finishing (its PC was switched "
                                 "off or crashed), delete " +
                                 path_.string() + " and click Continue again.";
    // A lock left by a run that has ended is removed and the lock taken again; a run that
    // takes it in between is found in the next round.
    for (int round = 0; round < 3; ++round) {
        switch (createLock(path_, content_, notHeldBecause_)) {
        case Created::Yes:
        case Created::CannotWrite:
            return;
        case Created::LockThere:
            break;
        }
        std::string text;
        try {
            text = readFileBytes(path_, reading::kLockFile);
        } catch (const Failure& failure) {
            if (!namesAnything(path_))
                continue; // released in the meantime
            throw Failure(inUse + " (" + failure.what() + ")" + finishFirst + orDelete);
        }
        const std::optional<LockHolder> holder = parseLockHolder(text);
        std::string stale;
        if (!holder) {
            std::error_code error;
            const auto written = fs::last_write_time(path_, error);
            if (error || fs::file_time_type::clock::now() - written < kWritingTime)
                throw Failure(inUse + " that is starting at this moment" + finishFirst +
                              " If there is none, click Continue again in a few seconds.");
            stale = "its lock file was left incomplete";
        } else if (holder->host != holder_.host) {
            throw Failure(inUse + " on the PC " + inQuotes(holder->host) + ", started " +
                          shownInMessage(holder->started) + finishFirst + orDelete);
        } else if (holder->machine.empty() || holder->machine != holder_.machine) {
            // Cloned lab PCs often share a name: a process of another PC cannot be looked at.
            throw Failure(inUse + " on a PC named " + inQuotes(holder->host) +
                          " that may not be this one (PCs copied from one another share "
                          "names), started " +
                          shownInMessage(holder->started) + finishFirst + orDelete);
        } else {
            const os::ProcessStart start =
                os::processStart(*exactValue<std::uint64_t>(holder->process));
            const std::string where = "on this PC (" + inQuotes(holder_.host) + "), started " +
                                      shownInMessage(holder->started) + ", process " +
                                      holder->process;
            if (start.state == os::ProcessStart::State::Unknowable)
                throw Failure(inUse + " " + where + finishFirst + orDelete);
            // A holder that could not mark its own start is taken to be the process running.
            if (start.state == os::ProcessStart::State::Running &&
                (start.mark == holder->processStart || holder->processStart == kUnknownStart))
                throw Failure(inUse + " " + where + finishFirst);
            stale = where;
        }
        try {
            // Only the very lock judged; one that another run has just put in its place stays.
            if (readFileBytes(path_, reading::kLockFile) != text)
                continue;
            os::fileSystem().remove(path_);
        } catch (const Failure&) {
            continue; // removed in the meantime
        } catch (const std::system_error& e) {
            throw Failure("The files of this run (" + resultsFile.string() +
                          ") are still locked by a run that has ended (" + stale + "), and " +
                          path_.string() + " cannot be removed: " + e.code().message() +
                          ". Delete it and click Continue again.");
        }
        removedStale_ = stale;
    }
    throw Failure(inUse + finishFirst);
}

std::optional<std::string> RunLock::release() {
    if (released_ || !notHeldBecause_.empty())
        return std::nullopt;
    released_ = true;
    try {
        // Someone may have removed it by hand and another run taken it since.
        if (readFileBytes(path_, reading::kLockFile) == content_)
            os::fileSystem().remove(path_);
    } catch (const Failure& failure) {
        if (namesAnything(path_))
            return failure.what();
    } catch (const std::system_error& e) {
        return e.code().message();
    }
    return std::nullopt;
}

RunLock::~RunLock() {
    release();
}

} // namespace tovask
