// Windows implementation of the platform calls. Built only on Windows; the Linux build and its
// tests use OperatingSystemPosix.cpp.
#include "files/OperatingSystem.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <ctime>
#include <string>
#include <system_error>

namespace tovask::os {

namespace {

[[noreturn]] void fail(DWORD code) {
    throw std::system_error(static_cast<int>(code), std::system_category());
}

HANDLE handleOf(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

// Writes all the bytes; returns the error code, or 0.
DWORD writeAll(HANDLE file, const char* data, std::size_t size, std::size_t& written) {
    written = 0;
    while (written < size) {
        const std::size_t rest = size - written;
        const DWORD chunk = rest > 0x40000000 ? 0x40000000 : static_cast<DWORD>(rest);
        DWORD n = 0;
        if (!WriteFile(file, data + written, chunk, &n, nullptr))
            return GetLastError();
        if (n == 0)
            return ERROR_DISK_FULL;
        written += n;
    }
    return 0;
}

} // namespace

void writeDurably(const std::filesystem::path& path, const char* data, std::size_t size) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail(GetLastError());
    std::size_t written = 0;
    DWORD error = writeAll(file, data, size, written);
    if (error == 0 && !FlushFileBuffers(file))
        error = GetLastError();
    CloseHandle(file);
    if (error != 0)
        fail(error);
}

// NTFS journals the rename itself; Windows offers no way to flush a folder.
void syncFolder(const std::filesystem::path&) {}

std::filesystem::path executableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::filesystem::current_path();
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
    std::tm utc{};
    if (localtime_s(&local, &seconds) != 0 || gmtime_s(&utc, &seconds) != 0)
        return std::chrono::seconds(0);
    utc.tm_isdst = local.tm_isdst;
    return std::chrono::seconds(static_cast<long long>(std::mktime(&local) - std::mktime(&utc)));
}

AppendOnlyFile::AppendOnlyFile(const std::filesystem::path& path)
    : handle_(reinterpret_cast<std::intptr_t>(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                                          FILE_SHARE_READ, nullptr, CREATE_NEW,
                                                          FILE_ATTRIBUTE_NORMAL, nullptr))) {
    if (handleOf(handle_) == INVALID_HANDLE_VALUE)
        fail(GetLastError());
}

AppendOnlyFile::~AppendOnlyFile() {
    CloseHandle(handleOf(handle_));
}

void AppendOnlyFile::append(std::string_view bytes) {
    const HANDLE file = handleOf(handle_);
    std::size_t written = 0;
    DWORD error = writeAll(file, bytes.data(), bytes.size(), written);
    if (error != 0) {
        // The piece already written is cut off again, so the file never ends in part of a line.
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size_);
        if (written > 0 &&
            (!SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !SetEndOfFile(file)))
            error = GetLastError();
        fail(error);
    }
    size_ += written;
}

void AppendOnlyFile::sync() {
    if (!FlushFileBuffers(handleOf(handle_)))
        fail(GetLastError());
}

} // namespace tovask::os
