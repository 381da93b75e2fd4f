#pragma once
// The few calls that differ between operating systems, kept in one place.

#include <filesystem>

namespace tovask::platform {

// Writes the bytes to the file and makes them durable on the disk before returning.
// Throws std::system_error on failure.
void writeDurably(const std::filesystem::path& path, const char* data, std::size_t size);

// Makes a rename within the folder durable (a no-op where the system has no such call).
void syncFolder(const std::filesystem::path& folder);

// The folder that holds the running executable.
std::filesystem::path executableFolder();

} // namespace tovask::platform
