#pragma once
// A simulated power cut. A file system in the program's place records every operation of a
// run; from the recording, every state of the folder that a power cut at any point could
// leave is built, on a disk that keeps only what was forced onto it: for each file, the writes
// not forced by its sync are lost, kept, kept in part, or the last of them torn; each creation,
// rename and removal not forced by a sync of the folder is undone or kept, each on its own.

#include "tests/support/ForwardingFileSystem.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tovask::test {

// Forwards every operation to the operating system's file system and records it. Every file
// lies in one folder, so names are file names.
class RecordingFileSystem : public ForwardingFileSystem {
public:
    struct Operation {
        enum class Kind { Create, Write, Truncate, Sync, Close, Rename, Remove, SyncFolder };
        Kind kind;
        Handle file = 0;
        std::string name; // the file's name; a rename's old name; the folder's
        std::string to;   // a rename's new name
        std::string bytes;
        std::uint64_t size = 0;
    };

    Handle create(const std::filesystem::path& path) override;
    void write(Handle file, std::string_view bytes) override;
    void truncate(Handle file, std::uint64_t size) override;
    void sync(Handle file) override;
    void close(Handle file) noexcept override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) override;
    void syncFolder(const std::filesystem::path& folder) override;

    std::vector<Operation> operations;
};

// The files of a folder: name and bytes.
using Folder = std::map<std::string, std::string>;

// Calls `check` once for every distinct state a power cut could leave, with the number of
// recorded operations done before the cut, from none to all, starting from the folder as it
// was before the first. Returns the number of states checked.
std::size_t
forEachPowerCut(const Folder& before, const std::vector<RecordingFileSystem::Operation>& operations,
                const std::function<void(const Folder& state, std::size_t done)>& check);

} // namespace tovask::test
