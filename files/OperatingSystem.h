#pragma once
// The few calls that differ between operating systems, kept in one place.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace tovask::os {

// Writes the bytes to the file and makes them durable on the disk before returning.
// Throws std::system_error on failure.
void writeDurably(const std::filesystem::path& path, const char* data, std::size_t size);

// Makes a rename within the folder durable (a no-op where the system has no such call).
void syncFolder(const std::filesystem::path& folder);

// The folder that holds the running executable.
std::filesystem::path executableFolder();

// How far the local time of the computer is ahead of UTC at the given moment (daylight saving
// time included); negative west of Greenwich.
std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment);

// A new file that is only ever appended to, for the run log. Every append goes straight to the
// operating system, with no buffer in the process, so what was appended survives the end of the
// process however it ends; sync() makes it survive a power cut too.
class AppendOnlyFile {
public:
    // Creates the file; it must not exist yet. Throws std::system_error.
    explicit AppendOnlyFile(const std::filesystem::path& path);
    ~AppendOnlyFile();
    AppendOnlyFile(const AppendOnlyFile&) = delete;
    AppendOnlyFile& operator=(const AppendOnlyFile&) = delete;

    // Writes all the bytes at the end of the file. When only a part could be written (a full
    // disk, a file-size limit) the file is cut back to where it ended, so it never ends in a
    // piece of a line. Throws std::system_error.
    void append(std::string_view bytes);
    // Makes everything appended so far durable on the disk. Throws std::system_error.
    void sync();

private:
    std::intptr_t handle_;
    std::uint64_t size_ = 0; // where the last complete append ended
};

} // namespace tovask::os
