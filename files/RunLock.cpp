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

// What a lock file says about the run that holds it.
struct Holder {
    std::string host;
    std::string process;
    std::string processStart;
    std::string started;
};

std::string lockText(const Holder& holder) {
    return "A run of tovask uses the files of this name; this file is removed when the run ends.\n"
           "host=" +
           holder.host + "\nprocess=" + holder.process + "\nprocess_start=" + holder.processStart +
           "\nstarted=" + holder.started + "\n";
}

// The holder of a lock file; nothing when a part is missing.
std::optional<Holder> parseLock(std::string_view text) {
    Holder holder;
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::size_t equals = line.find('=');
        const std::string_view name = line.substr(0, equals);
        const std::string value(equals == std::string_view::npos ? "" : line.substr(equals + 1));
        if (name == "host")
            holder.host = value;
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

enum class Created { Yes, LockThere, CannotWrite };

// Creates the lock file exclusively with the text; the cause when it cannot be written.
Created createLock(const fs::path& path, const std::string& text, std::string& cause) {
    os::FileSystem& files = os::fileSystem();
    os::FileSystem::Handle file = 0;
    try {
        file = files.create(path);
    } catch (const std::system_error& e) {
        // Anything of that name counts, a link that leads nowhere too.
        std::error_code ignored;
        if (fs::exists(fs::symlink_status(path, ignored)))
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

RunLock::RunLock(const fs::path& resultsFile, std::string started)
    : path_(runLockPath(resultsFile)) {
    const std::string host = os::hostName();
    const std::uint64_t self = os::processId();
    content_ = lockText({host, std::to_string(self), os::processStart(self).value_or("unknown"),
                         std::move(started)});
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
            std::error_code ignored;
            if (!fs::exists(fs::symlink_status(path_, ignored)))
                continue; // released in the meantime
            throw Failure(inUse + " (" + failure.what() + ")" + finishFirst + orDelete);
        }
        const std::optional<Holder> holder = parseLock(text);
        std::string stale;
        if (!holder) {
            std::error_code error;
            const auto written = fs::last_write_time(path_, error);
            if (error || fs::file_time_type::clock::now() - written < kWritingTime)
                throw Failure(inUse + " that is starting at this moment" + finishFirst +
                              " If there is none, click Continue again in a few seconds.");
            stale = "its lock file was left incomplete";
        } else if (holder->host != host) {
            throw Failure(inUse + " on the PC " + inQuotes(holder->host) + ", started " +
                          shownInMessage(holder->started) + finishFirst + orDelete);
        } else {
            const std::optional<std::string> start =
                os::processStart(*exactValue<std::uint64_t>(holder->process));
            const std::string where = "on this PC (" + inQuotes(host) + "), started " +
                                      shownInMessage(holder->started) + ", process " +
                                      holder->process;
            if (start == "unknown")
                throw Failure(inUse + " " + where + finishFirst + orDelete);
            if (start == holder->processStart)
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
        std::error_code ignored;
        if (fs::exists(fs::symlink_status(path_, ignored)))
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
