#pragma once
// Reading a whole text file as UTF-8, and writing one so that it is never left half written.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tovask {

// The bytes of a file; throws tovask::Failure naming the file and the cause.
std::string readFileBytes(const std::filesystem::path& path, const std::string& what);

// A part of a file that another program may be appending to: its size when read, its first
// headBytes bytes, and up to count bytes from offset. Throws tovask::Failure naming the file.
struct FilePart {
    std::uint64_t size = 0;
    std::string head;
    std::string bytes;
};
FilePart readFilePart(const std::filesystem::path& path, const std::string& what,
                      std::uint64_t offset, std::size_t count, std::size_t headBytes);

// Text files from lab PCs come as UTF-8 or in the Windows Western code page. A text that is
// valid UTF-8 is taken as it is (a leading byte-order mark dropped); any other is decoded as
// Windows-1252. The result is always UTF-8.
std::string decodeText(std::string_view bytes);

// Writes the content to a temporary file in the same folder, flushes it to the disk and renames
// it over the target, so a crash or power cut leaves either the old or the new file, never a
// truncated one. Throws tovask::Failure naming the file and the cause.
void writeFileAtomically(const std::filesystem::path& path, std::string_view content);

// The first of "<base>", "<base>-2", "<base>-3" ... that names no file or folder yet.
std::filesystem::path firstFreeName(const std::filesystem::path& base);

// Before a run first writes a file of this name, an earlier run's file of that name is kept
// beside it: renamed to "<name>.earlier-<its last-modified time>" (with "-2", "-3" ... when
// that name is taken too). Returns the new name, or an empty path when there was no file.
std::filesystem::path keepEarlierFile(const std::filesystem::path& path);

} // namespace tovask
