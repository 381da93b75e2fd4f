// What every system shares: the file system in use, and the durable writes built on it.
#include "files/OperatingSystem.h"

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
    const FileSystem::Handle file = files.create(path, FileSystem::Creation::Replace);
    try {
        files.write(file, bytes);
        files.sync(file);
    } catch (const std::system_error&) {
        files.close(file);
        throw;
    }
    files.close(file);
}

std::optional<std::string> cannotCreateFilesIn(const std::filesystem::path& folder) {
    FileSystem& files = fileSystem();
    const std::filesystem::path probe =
        folder / ("tovask-write-test-" + std::to_string(processId()));
    try {
        files.close(files.create(probe, FileSystem::Creation::New));
        files.remove(probe);
    } catch (const std::system_error& e) {
        return e.code().message();
    }
    return std::nullopt;
}

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

AppendOnlyFile::AppendOnlyFile(const std::filesystem::path& path)
    : fileSystem_(fileSystem()), handle_(fileSystem_.create(path, FileSystem::Creation::New)) {}

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
