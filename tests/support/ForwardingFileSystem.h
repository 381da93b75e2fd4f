#pragma once
// A file system for tests that passes every operation on to the operating system's: a test
// overrides the operations it watches or makes fail.

#include "files/OperatingSystem.h"

#include <cerrno>
#include <system_error>

namespace tovask::test {

class ForwardingFileSystem : public os::FileSystem {
public:
    Handle create(const std::filesystem::path& path) override { return system_.create(path); }
    void write(Handle file, std::string_view bytes) override { system_.write(file, bytes); }
    void truncate(Handle file, std::uint64_t size) override { system_.truncate(file, size); }
    void sync(Handle file) override { system_.sync(file); }
    void close(Handle file) noexcept override { system_.close(file); }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        system_.rename(from, to);
    }
    void remove(const std::filesystem::path& path) override { system_.remove(path); }
    void syncFolder(const std::filesystem::path& folder) override { system_.syncFolder(folder); }

private:
    os::FileSystem& system_ = os::systemFileSystem();
};

// No file can be created, as in a folder without the right to write.
class NoNewFiles : public ForwardingFileSystem {
public:
    Handle create(const std::filesystem::path&) override {
        throw std::system_error(EACCES, std::generic_category());
    }
};

} // namespace tovask::test
