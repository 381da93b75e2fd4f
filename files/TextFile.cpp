#include "files/TextFile.h"

#include "base/Failure.h"
#include "base/Text.h"
#include "files/OperatingSystem.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <memory>
#include <system_error>
#include <utility>

namespace tovask {

namespace fs = std::filesystem;

namespace {

std::string kindText(os::EntryKind kind) {
    switch (kind) {
    case os::EntryKind::folder:
        return "it is a folder";
    case os::EntryKind::fifo:
        return "it is not a regular file but a FIFO (a named pipe)";
    case os::EntryKind::device:
        return "it is not a regular file but a device";
    case os::EntryKind::socket:
        return "it is not a regular file but a socket";
    case os::EntryKind::regularFile:
    case os::EntryKind::other:
        break;
    }
    return "it is not a regular file";
}

os::EntryKind kindOf(fs::file_type type) {
    switch (type) {
    case fs::file_type::regular:
        return os::EntryKind::regularFile;
    case fs::file_type::directory:
        return os::EntryKind::folder;
    case fs::file_type::fifo:
        return os::EntryKind::fifo;
    case fs::file_type::block:
    case fs::file_type::character:
        return os::EntryKind::device;
    case fs::file_type::socket:
        return os::EntryKind::socket;
    default:
        return os::EntryKind::other;
    }
}

} // namespace

std::optional<std::string> whyNotARegularFile(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_regular_file(status))
        return std::nullopt;
    if (error) {
        std::error_code ignored;
        return (fs::is_symlink(fs::symlink_status(path, ignored))
                    ? "it is a link that leads to no file ("
                    : "it cannot be looked at (") +
               error.message() + ")";
    }
    return kindText(kindOf(status.type()));
}

namespace {

// Opens the file for one of the readers below: a regular file only.
std::unique_ptr<os::ReadOnlyFile> openToRead(const fs::path& path, std::string_view what) {
    std::unique_ptr<os::ReadOnlyFile> file;
    try {
        file = std::make_unique<os::ReadOnlyFile>(path);
    } catch (const std::system_error& e) {
        throw Failure("cannot open the " + std::string(what) + " " + path.string() + ": " +
                      e.code().message());
    }
    if (file->kind() != os::EntryKind::regularFile)
        throw Failure("cannot read the " + std::string(what) + " " + path.string() + ": " +
                      kindText(file->kind()));
    return file;
}

// Up to count bytes of the file from offset.
std::string readPart(os::ReadOnlyFile& file, const fs::path& path, std::string_view what,
                     std::uint64_t offset, std::size_t count) {
    try {
        return file.read(offset, count);
    } catch (const std::system_error& e) {
        throw Failure("cannot read the " + std::string(what) + " " + path.string() + ": " +
                      e.code().message());
    }
}

} // namespace

std::string readFileBytes(const fs::path& path, const FileToRead& kind) {
    const auto file = openToRead(path, kind.what);
    // One byte beyond the bound tells a file that has grown past it while it was read.
    std::string bytes;
    if (file->size() <= kind.maxBytes)
        bytes = readPart(*file, path, kind.what, 0, static_cast<std::size_t>(kind.maxBytes) + 1);
    const std::uint64_t size = std::max<std::uint64_t>(file->size(), bytes.size());
    if (size > kind.maxBytes)
        throw Failure("cannot read the " + std::string(kind.what) + " " + path.string() +
                      ": it holds " + std::to_string(size) + " bytes, more than a " +
                      std::string(kind.what) + " can (" + std::to_string(kind.maxBytes) +
                      " bytes); is it the right file?");
    return bytes;
}

FilePart readFilePart(const fs::path& path, std::string_view what, std::uint64_t offset,
                      std::size_t count, std::size_t headBytes) {
    const auto file = openToRead(path, what);
    FilePart part;
    part.size = file->size();
    // What the file held when it was opened; whatever follows comes with the next part.
    const auto upToSize = [&](std::uint64_t from, std::size_t n) {
        return static_cast<std::size_t>(
            std::min<std::uint64_t>(n, part.size > from ? part.size - from : 0));
    };
    part.head = readPart(*file, path, what, 0, upToSize(0, headBytes));
    part.bytes = readPart(*file, path, what, offset, upToSize(offset, count));
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
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// UTF-16 after its byte-order mark; surrogate pairs joined.
std::string fromUtf16(std::string_view bytes, bool bigEndian) {
    const auto unitAt = [&](std::size_t i) -> std::uint32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    std::string out;
    out.reserve(bytes.size() / 2 + bytes.size() / 8);
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const std::uint32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? kReplacementCharacter : unit);
    }
    if (i < bytes.size())
        appendUtf8(out, kReplacementCharacter);
    return out;
}

} // namespace

Encoding encodingOf(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE"))
        return Encoding::utf16LittleEndian;
    if (bytes.starts_with("\xFE\xFF"))
        return Encoding::utf16BigEndian;
    return isValidUtf8(bytes) ? Encoding::utf8 : Encoding::windows1252;
}

std::string fromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
    }
    return out;
}

std::string decodeText(std::string_view bytes) {
    return decodeAs(bytes, encodingOf(bytes));
}

std::string decodeAs(std::string_view bytes, Encoding encoding) {
    switch (encoding) {
    case Encoding::utf16LittleEndian:
    case Encoding::utf16BigEndian:
        return fromUtf16(bytes.substr(2), encoding == Encoding::utf16BigEndian);
    case Encoding::utf8:
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        return std::string(bytes);
    case Encoding::windows1252:
        break;
    }
    return fromWindows1252(bytes);
}

void writeFileAtomically(const fs::path& path, std::string_view content) {
    fs::path temporary = path;
    temporary += ".tmp";
    os::FileSystem& files = os::fileSystem();
    // A temporary file left by a crash, or whatever else took the name, is removed (a link
    // itself, never what it leads to), never written to; should something take the name again
    // at once, creating the new file fails.
    if (namesAnything(temporary)) {
        try {
            files.remove(temporary);
        } catch (const std::system_error& e) {
            throw Failure("cannot write " + path.string() + ": its temporary file " +
                          temporary.string() + " is in the way and cannot be removed (" +
                          e.code().message() + ")");
        }
    }
    try {
        os::writeDurably(temporary, content);
        files.rename(temporary, path);
        os::makeFolderDurable(path.parent_path());
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

bool namesAnything(const fs::path& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

fs::path firstFreeName(const fs::path& base) {
    fs::path candidate = base;
    for (int n = 2; namesAnything(candidate); ++n) {
        candidate = base;
        candidate += "-" + std::to_string(n);
    }
    return candidate;
}

fs::path keepEarlierFile(const fs::path& path) {
    std::error_code error;
    // A file is an earlier run's, and so is a link (it is moved, not followed): the name is
    // free for a new file after. A folder of that name stays where it is, so that writing over
    // it fails and is reported.
    const fs::file_status entry = fs::symlink_status(path, error);
    if (!fs::exists(entry) || fs::is_directory(entry))
        return {};
    const auto modified = fs::last_write_time(path, error);
    const std::string stem = path.filename().string() + ".earlier-" +
                             (error ? std::string("unknown") : timeStamp(modified));
    const fs::path kept = firstFreeName(path.parent_path() / stem);
    try {
        // The new name is forced onto the disk before anything takes the old one: else a power
        // cut could keep a new file under the old name and undo the rename, and lose the file.
        os::fileSystem().rename(path, kept);
        os::makeFolderDurable(path.parent_path());
    } catch (const std::system_error& e) {
        throw Failure("cannot keep the earlier file " + path.string() + " as " + kept.string() +
                      ": " + e.code().message());
    }
    return kept;
}

} // namespace tovask
