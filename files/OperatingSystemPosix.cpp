// POSIX implementation of the platform calls (Linux; elsewhere the program folder falls back
// to the current folder, since it is read from /proc).
#include "files/OperatingSystem.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <limits.h>
#include <spawn.h>
#include <sstream>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace tovask::os {

namespace {

[[noreturn]] void fail(int code) {
    throw std::system_error(code, std::generic_category());
}

int descriptor(FileSystem::Handle file) {
    return static_cast<int>(file);
}

class PosixFileSystem : public FileSystem {
public:
    // O_EXCL fails on any name that is there, a symbolic link included (even a dangling one);
    // O_NOFOLLOW says the same once more for the last part of the path.
    Handle create(const std::filesystem::path& path) override {
        const int fd = ::open(
            path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0)
            fail(errno);
        return fd;
    }

    void write(Handle file, std::string_view bytes) override {
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t n =
                ::write(descriptor(file), bytes.data() + written, bytes.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                fail(n < 0 ? errno : ENOSPC);
            written += static_cast<std::size_t>(n);
        }
    }

    void truncate(Handle file, std::uint64_t size) override {
        if (::ftruncate(descriptor(file), static_cast<off_t>(size)) != 0)
            fail(errno);
    }

    void sync(Handle file) override {
        if (::fsync(descriptor(file)) != 0)
            fail(errno);
    }

    void close(Handle file) noexcept override { ::close(descriptor(file)); }

    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0)
            fail(errno);
    }

    void remove(const std::filesystem::path& path) override {
        if (::unlink(path.c_str()) != 0)
            fail(errno);
    }

    void syncFolder(const std::filesystem::path& folder) override {
        const SystemHandle open(
            ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (open.get() < 0)
            fail(errno);
        if (::fsync(descriptor(open.get())) != 0)
            fail(errno);
    }
};

EntryKind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return EntryKind::regularFile;
    if (S_ISDIR(mode))
        return EntryKind::folder;
    if (S_ISFIFO(mode))
        return EntryKind::fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return EntryKind::device;
    if (S_ISSOCK(mode))
        return EntryKind::socket;
    return EntryKind::other;
}

} // namespace

FileSystem& systemFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        fail(errno);
    kind_ = kindOf(status.st_mode);
    if (kind_ != EntryKind::regularFile)
        return;
    // Something else may have taken the name since: opened without waiting (a FIFO would wait
    // for a writer), and looked at again.
    SystemHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        fail(errno);
    if (::fstat(descriptor(file.get()), &status) != 0)
        fail(errno);
    handle_ = std::move(file);
    kind_ = kindOf(status.st_mode);
    size_ = static_cast<std::uint64_t>(status.st_size);
}

SystemHandle::~SystemHandle() {
    if (handle_ >= 0)
        ::close(descriptor(handle_));
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, char* into, std::size_t count) {
    for (;;) {
        const ssize_t n =
            ::pread(descriptor(handle_.get()), into, count, static_cast<off_t>(offset));
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            fail(errno);
    }
}

void treatFileSizeLimitAsWriteFailure() {
    std::signal(SIGXFSZ, SIG_IGN);
}
std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// Linux terminals take UTF-8 as it is.
void showUtf8InConsole() {}

std::filesystem::path executableFolder() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
}

std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr)
        return std::chrono::seconds(0);
    return std::chrono::seconds(local.tm_gmtoff);
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "unknown";
    return name;
}

std::uint64_t processId() {
    return static_cast<std::uint64_t>(::getpid());
}

namespace {

// The first line of a small file of /proc, or nothing.
std::optional<std::string> firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line))
        return std::nullopt;
    return line;
}

} // namespace

std::string machineId() {
    for (const char* file : {"/etc/machine-id", "/var/lib/dbus/machine-id"})
        if (const auto id = firstLine(file); id && !id->empty())
            return *id;
    return {};
}

ProcessStart processStart(std::uint64_t id) {
    using State = ProcessStart::State;
    const std::string folder = "/proc/" + std::to_string(id);
    const auto stat = firstLine(folder + "/stat");
    if (!stat)
        return {::access(folder.c_str(), F_OK) == 0 ? State::Unknowable : State::Gone, {}};
    // After the name (which may hold blanks and parentheses) come field 3, the state, and
    // field 22, the start in clock ticks since the boot. A zombie has ended already.
    const std::size_t nameEnd = stat->rfind(')');
    std::istringstream fields(stat->substr(nameEnd == std::string::npos ? 0 : nameEnd + 1));
    std::string state, field;
    fields >> state;
    for (int n = 4; n <= 22 && fields >> field; ++n) {
    }
    if (state == "Z" || state == "X")
        return {State::Gone, {}};
    const auto boot = firstLine("/proc/sys/kernel/random/boot_id");
    if (nameEnd == std::string::npos || !fields || !boot)
        return {State::Unknowable, {}};
    return {State::Running, *boot + "/" + field};
}

std::string secureRandomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::getrandom(bytes.data() + done, count - done, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(errno);
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

bool openInBrowser(const std::string& address) {
    // xdg-open may stay until the browser ends, and a browser writes to its output: it gets
    // none of ours, and a thread of its own waits for it so that it leaves no zombie.
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = "xdg-open";
    std::string argument = address;
    char* arguments[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    const int error =
        ::posix_spawnp(&child, program.c_str(), &actions, nullptr, arguments, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace tovask::os
