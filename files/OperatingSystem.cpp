// What every system shares: the file system in use, and the durable writes built on it.
#include "files/OperatingSystem.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace tovask::os {

namespace {

FileSystem* replacement = nullptr;

} // namespace

FileSystem& fileSystem() {
    return replacement ? *replacement : systemFileSystem();
}

FileSystemReplacement::FileSystemReplacement(FileSystem& fileSystem) : previous_(replacement) {
    replacement = &fileSystem;
}

FileSystemReplacement::~FileSystemReplacement() {
    replacement = previous_;
}

void writeDurably(const std::filesystem::path& path, std::string_view bytes) {
    FileSystem& files = fileSystem();
    const FileSystem::Handle file = files.create(path);
    try {
        files.write(file, bytes);
        files.sync(file);
    } catch (const std::system_error&) {
        files.close(file);
        throw;
    }
    files.close(file);
}

std::optional<std::error_code> makeFolderDurable(const std::filesystem::path& folder) {
    try {
        fileSystem().syncFolder(folder);
    } catch (const std::system_error& e) {
        // The answers of a file system that cannot force a folder at all, or of a folder that
        // cannot be opened to force it; whatever else fails is a failure to write.
        for (const std::errc cannot :
             {std::errc::invalid_argument, std::errc::not_supported,
              std::errc::operation_not_supported, std::errc::function_not_supported,
              std::errc::read_only_file_system, std::errc::permission_denied,
              std::errc::operation_not_permitted})
            if (e.code() == cannot)
                return e.code();
        throw;
    }
    return std::nullopt;
}

std::optional<std::string> cannotCreateFilesIn(const std::filesystem::path& folder) {
    FileSystem& files = fileSystem();
    const std::filesystem::path probe =
        folder / ("tovask-write-test-" + std::to_string(processId()));
    try {
        files.close(files.create(probe));
        files.remove(probe);
    } catch (const std::system_error& e) {
        return e.code().message();
    }
    return std::nullopt;
}

std::string ReadOnlyFile::read(std::uint64_t offset, std::size_t count) {
    std::string bytes;
    if (kind_ != EntryKind::regularFile)
        return bytes;
    // Room for what the file held when it was opened, and a byte more to see it has grown.
    std::size_t room = static_cast<std::size_t>(
        std::min<std::uint64_t>(count, (size_ > offset ? size_ - offset : 0) + 1));
    std::size_t got = 0;
    while (got < count) {
        bytes.resize(room);
        const std::size_t n = readAt(offset + got, bytes.data() + got, room - got);
        if (n == 0)
            break;
        got += n;
        if (got == room)
            room = std::min(2 * room, count);
    }
    bytes.resize(got);
    return bytes;
}

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

AppendOnlyFile::AppendOnlyFile(const std::filesystem::path& path)
    : fileSystem_(fileSystem()), handle_(fileSystem_.create(path)) {}

AppendOnlyFile::~AppendOnlyFile() {
    fileSystem_.close(handle_);
}

void AppendOnlyFile::append(std::string_view bytes) {
    try {
        fileSystem_.write(handle_, bytes);
    } catch (const std::system_error&) {
        // The piece already written is cut off again; a cut that fails is the worse news.
        fileSystem_.truncate(handle_, size_);
        throw;
    }
    size_ += bytes.size();
}

void AppendOnlyFile::sync() {
    fileSystem_.sync(handle_);
}

} // namespace tovask::os
