#include "files/TextFile.h"

#include "base/Failure.h"
#include "base/Text.h"
#include "files/OperatingSystem.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tovask {

namespace fs = std::filesystem;

std::string readFileBytes(const fs::path& path, const std::string& what) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Failure("cannot open the " + what + " " + path.string() + ": " +
                      std::strerror(errno));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw Failure("cannot read the " + what + " " + path.string());
    return bytes;
}

FilePart readFilePart(const fs::path& path, const std::string& what, std::uint64_t offset,
                      std::size_t count, std::size_t headBytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw Failure("cannot open the " + what + " " + path.string() + ": " +
                      std::strerror(errno));
    FilePart part;
    part.size = static_cast<std::uint64_t>(in.tellg());
    const auto readAt = [&](std::uint64_t from, std::size_t n) {
        std::string bytes(static_cast<std::size_t>(
                              std::min<std::uint64_t>(n, part.size > from ? part.size - from : 0)),
                          '\0');
        in.seekg(static_cast<std::streamoff>(from));
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!in)
            throw Failure("cannot read the " + what + " " + path.string());
        return bytes;
    };
    part.head = readAt(0, headBytes);
    part.bytes = readAt(offset, count);
    return part;
}

namespace {

// Windows-1252 bytes 0x80..0x9F; the rest of the upper half is Latin-1. Unassigned bytes map
// to U+FFFD so that nothing is dropped silently.
constexpr std::array<std::uint16_t, 32> kCp1252High{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string decodeText(std::string_view bytes) {
    if (isValidUtf8(bytes)) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
    }
    return out;
}

void writeFileAtomically(const fs::path& path, std::string_view content) {
    fs::path temporary = path;
    temporary += ".tmp";
    os::FileSystem& files = os::fileSystem();
    try {
        os::writeDurably(temporary, content);
        files.rename(temporary, path);
        files.syncFolder(path.parent_path());
    } catch (const std::system_error& e) {
        try {
            files.remove(temporary);
        } catch (const std::system_error&) {
            // There was none, or it stays behind; the failure to report is the first one.
        }
        throw Failure("cannot write " + path.string() + ": " + e.code().message());
    }
}

namespace {

std::string timeStamp(fs::file_time_type t) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(t)));
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H-%M-%S", &local);
    return text;
}

} // namespace

fs::path firstFreeName(const fs::path& base) {
    fs::path candidate = base;
    for (int n = 2; fs::exists(candidate); ++n) {
        candidate = base;
        candidate += "-" + std::to_string(n);
    }
    return candidate;
}

fs::path keepEarlierFile(const fs::path& path) {
    std::error_code error;
    // Only a file is an earlier run's results; a folder of that name stays where it is, so that
    // writing over it fails and is reported.
    if (!fs::is_regular_file(path, error))
        return {};
    const auto modified = fs::last_write_time(path, error);
    const std::string stem = path.filename().string() + ".earlier-" +
                             (error ? std::string("unknown") : timeStamp(modified));
    const fs::path kept = firstFreeName(path.parent_path() / stem);
    try {
        // The new name is forced onto the disk before anything takes the old one: else a power
        // cut could keep a new file under the old name and undo the rename, and lose the file.
        os::fileSystem().rename(path, kept);
        os::fileSystem().syncFolder(path.parent_path());
    } catch (const std::system_error& e) {
        throw Failure("cannot keep the earlier file " + path.string() + " as " + kept.string() +
                      ": " + e.code().message());
    }
    return kept;
}

} // namespace tovask
