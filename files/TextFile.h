#pragma once
// Reading a whole text file as UTF-8, and writing one so that it is never left half written.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tovask {

// A kind of file that the program reads: how messages name it, and the most bytes it takes.
// The bounds lie far above any real file, and low enough that a wrong one (a disk image, a link
// to /dev/zero) is refused at once instead of filling the memory.
struct FileToRead {
    std::string_view what;
    std::uint64_t maxBytes;
};
namespace reading {
inline constexpr std::uint64_t kMiB = 1024 * 1024;
// Real word and problem files hold a few KB.
inline constexpr FileToRead kWordFile{"word file", kMiB};
inline constexpr FileToRead kProblemFile{"problem file", kMiB};
// A word file or a problem file, as tovask-check takes them.
inline constexpr FileToRead kDataFile{"file", kMiB};
// 100 lines of some 60 bytes.
inline constexpr FileToRead kResultsFile{"results file", kMiB};
// A line of some 100 bytes for every event, a slider move included.
inline constexpr FileToRead kRunLog{"run log", 64 * kMiB};
// A few lines each: the lock of a run, its sign of life, a release request of the session console.
inline constexpr FileToRead kLockFile{"lock file", 64 * 1024};
inline constexpr FileToRead kSignOfLife{"sign of life", 64 * 1024};
inline constexpr FileToRead kReleaseRequest{"release request", 64 * 1024};
// A line for each PC of a lab.
inline constexpr FileToRead kSessionPlan{"session plan", kMiB};
} // namespace reading

// The bytes of a regular file of at most kind.maxBytes bytes; never waits on a FIFO or a
// device. Throws tovask::Failure naming the file and the cause: it cannot be opened, it is a
// folder or no regular file, it is larger than the bound (its size is said).
std::string readFileBytes(const std::filesystem::path& path, const FileToRead& kind);

// Why a reader would not take the path, for a message that names it: "it is a folder", "it is a
// link that leads to no file (...)", "it is not a regular file but a FIFO (a named pipe)"...;
// empty for a regular file (or a link to one).
std::optional<std::string> whyNotARegularFile(const std::filesystem::path& path);

// How a text file from a lab PC is stored: UTF-16 (Windows Notepad's "Unicode") when it begins
// with a UTF-16 byte-order mark; else UTF-8 when it is valid UTF-8 (a byte-order mark allowed);
// else the Windows Western code page.
enum class Encoding { utf16LittleEndian, utf16BigEndian, utf8, windows1252 };
Encoding encodingOf(std::string_view bytes);

// A part of a file that another program may be appending to: its size when read, its first
// headBytes bytes, and up to count bytes from offset, read like readFileBytes (a regular file
// only, never waited on). Throws tovask::Failure naming the file.
struct FilePart {
    std::uint64_t size = 0;
    std::string head;
    std::string bytes;
};
FilePart readFilePart(const std::filesystem::path& path, std::string_view what,
                      std::uint64_t offset, std::size_t count, std::size_t headBytes);

// The text as UTF-8, decoded by its encoding, without a byte-order mark. A Windows-1252 byte
// that is no character, and a UTF-16 unit that is none (half a surrogate pair, the odd last
// byte), become U+FFFD, so that nothing is dropped silently.
std::string decodeText(std::string_view bytes);
// The same for bytes whose encoding is known (encodingOf(bytes)).
std::string decodeAs(std::string_view bytes, Encoding encoding);
// Bytes decoded as Windows-1252, whatever they are.
std::string fromWindows1252(std::string_view bytes);

// Writes the content to a new temporary file "<path>.tmp" in the same folder, flushes it to the
// disk and renames it over the target, so a crash or power cut leaves either the old or the new
// file, never a truncated one. Whatever has the temporary name already (a file left by a crash,
// a planted link) is removed first, never written through. Throws tovask::Failure naming the
// file, and the temporary file where that is the one that failed, with the cause.
void writeFileAtomically(const std::filesystem::path& path, std::string_view content);

// The first of "<base>", "<base>-2", "<base>-3" ... that names nothing yet: no file, no
// folder, no link (not even one that leads nowhere).
std::filesystem::path firstFreeName(const std::filesystem::path& base);
// Whether anything has the name: a file, a folder, or a link, one that leads nowhere too.
bool namesAnything(const std::filesystem::path& path);

// Before a run first writes a file of this name, an earlier run's file of that name is kept
// beside it: renamed to "<name>.earlier-<its last-modified time>" (with "-2", "-3" ... when
// that name is taken too); a link of that name is renamed likewise, never followed. Returns
// the new name, or an empty path when there was no file (or a folder has the name).
std::filesystem::path keepEarlierFile(const std::filesystem::path& path);

} // namespace tovask
