// POSIX implementation of the platform calls (Linux; elsewhere the program folder falls back
// to the current folder, since it is read from /proc).
#include "files/OperatingSystem.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace tovask::os {

namespace {

[[noreturn]] void fail(int code) {
    throw std::system_error(code, std::generic_category());
}

} // namespace

void writeDurably(const std::filesystem::path& path, const char* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail(errno);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            ::close(fd);
            fail(code);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        fail(code);
    }
    if (::close(fd) != 0)
        fail(errno);
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // the rename itself has happened; durability of the folder is best effort
    ::fsync(fd);
    ::close(fd);
}

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

AppendOnlyFile::AppendOnlyFile(const std::filesystem::path& path)
    : handle_(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644)) {
    if (handle_ < 0)
        fail(errno);
}

AppendOnlyFile::~AppendOnlyFile() {
    ::close(static_cast<int>(handle_));
}

void AppendOnlyFile::append(std::string_view bytes) {
    const int fd = static_cast<int>(handle_);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int code = n < 0 ? errno : ENOSPC;
            // The piece already written is cut off again; a cut that fails is the worse news.
            if (written > 0 && ::ftruncate(fd, static_cast<off_t>(size_)) != 0)
                code = errno;
            fail(code);
        }
        written += static_cast<std::size_t>(n);
    }
    size_ += written;
}

void AppendOnlyFile::sync() {
    if (::fsync(static_cast<int>(handle_)) != 0)
        fail(errno);
}

} // namespace tovask::os
