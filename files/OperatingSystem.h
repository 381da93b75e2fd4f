#pragma once
// The few calls that differ between operating systems, kept in one place.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace tovask::os {

// Every change the program makes to a file or a folder goes through one FileSystem: creating a
// file, writing to it, forcing it to the disk, renaming, removing and forcing a folder to the
// disk. The operating system's is the one in use unless a test puts another in its place (to
// record every operation of a run, for instance). Reading files needs no seam: it changes
// nothing. All calls throw std::system_error on failure.
class FileSystem {
public:
    using Handle = std::intptr_t;

    virtual ~FileSystem() = default;
    // Creates a new file for writing; every write goes to its end. It fails when anything has
    // the name already: a file, a folder, a link (symbolic or hard, even one that leads
    // nowhere; on Windows any reparse point). So nothing the program writes ever goes through
    // a link planted in the data folder into a file elsewhere.
    virtual Handle create(const std::filesystem::path& path) = 0;
    // Writes all the bytes at the end of the file, straight to the operating system. On failure
    // a part of them may have been written.
    virtual void write(Handle file, std::string_view bytes) = 0;
    // Cuts the file back to the given size.
    virtual void truncate(Handle file, std::uint64_t size) = 0;
    // Makes everything written to the file durable on the disk.
    virtual void sync(Handle file) = 0;
    virtual void close(Handle file) noexcept = 0;
    // Renames a file, replacing a file that has the new name.
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes the name (a link itself, never what it leads to).
    virtual void remove(const std::filesystem::path& path) = 0;
    // Makes the creations, renames and removals in the folder durable on the disk. Where the
    // system has no such call (Windows: NTFS journals its folders) it does nothing.
    virtual void syncFolder(const std::filesystem::path& folder) = 0;
};

// The operating system's file system.
FileSystem& systemFileSystem();
// The file system in use.
FileSystem& fileSystem();
// Puts another file system in use until the object ends; for tests.
class FileSystemReplacement {
public:
    explicit FileSystemReplacement(FileSystem& replacement);
    ~FileSystemReplacement();
    FileSystemReplacement(const FileSystemReplacement&) = delete;
    FileSystemReplacement& operator=(const FileSystemReplacement&) = delete;

private:
    FileSystem* previous_;
};

// Writes the bytes to a new file (see FileSystem::create) and makes them durable on the disk
// before returning.
void writeDurably(const std::filesystem::path& path, std::string_view bytes);

// Forces the changes of the folder onto the disk through the file system in use. Empty when
// done; the cause when the file system cannot force a folder at all (a network share or a FUSE
// file system that answers EINVAL or ENOTSUP, a folder the user may write to but not read):
// the changes are made, only not forced. Throws std::system_error for any other failure, such
// as EIO, after which the changes may be lost like a write that failed.
std::optional<std::error_code> makeFolderDurable(const std::filesystem::path& folder);

// Whether a new file can be created (and removed) in the folder, as a run creates its log and
// its lock there: tried with an empty file of a name no run uses, removed at once. Empty when
// it can; the cause when it cannot.
std::optional<std::string> cannotCreateFilesIn(const std::filesystem::path& folder);

// A new file that is only ever appended to, for the run log. Every append goes straight to the
// operating system, with no buffer in the process, so what was appended survives the end of the
// process however it ends; sync() makes it survive a power cut too.
class AppendOnlyFile {
public:
    // Creates the file; it must not exist yet.
    explicit AppendOnlyFile(const std::filesystem::path& path);
    ~AppendOnlyFile();
    AppendOnlyFile(const AppendOnlyFile&) = delete;
    AppendOnlyFile& operator=(const AppendOnlyFile&) = delete;

    // Writes all the bytes at the end of the file. When only a part could be written (a full
    // disk, a file-size limit) the file is cut back to where it ended, so it never ends in a
    // piece of a line.
    void append(std::string_view bytes);
    // Makes everything appended so far durable on the disk.
    void sync();

private:
    FileSystem& fileSystem_;
    FileSystem::Handle handle_;
    std::uint64_t size_ = 0; // where the last complete append ended
};

// A descriptor of the operating system (a HANDLE on Windows) that is closed when its owner ends;
// -1 for none. Whatever a call opens is owned at once, so that no way out of the call, a throw
// included, leaves it open.
class SystemHandle {
public:
    SystemHandle() = default;
    explicit SystemHandle(std::intptr_t handle) : handle_(handle) {}
    SystemHandle(SystemHandle&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}
    SystemHandle& operator=(SystemHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~SystemHandle();

    std::intptr_t get() const { return handle_; }

private:
    std::intptr_t handle_ = -1;
};

// What a path names, as a reader that takes only regular files sees it.
enum class EntryKind { regularFile, folder, fifo, device, socket, other };

// A regular file open for reading, or nothing. A folder, a FIFO or a device is looked at but not
// opened for reading (and should one take the file's place in between, it is opened without
// waiting and left unread), so a reader never waits on anything but the disk. On Windows the
// file is opened sharing reading, writing and deleting, so that its owner may append to it or
// rename another file over it meanwhile. Throws std::system_error when the path cannot be
// looked at or opened (no such file, a link loop, no right to read).
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::filesystem::path& path);

    // What the path names; only a regular file is read.
    EntryKind kind() const { return kind_; }
    // The file's size in bytes when it was opened.
    std::uint64_t size() const { return size_; }
    // Up to count bytes from offset, fewer only where the file ends (it may have grown since
    // it was opened). Throws std::system_error.
    std::string read(std::uint64_t offset, std::size_t count);

private:
    // One read of at most count bytes at offset into the buffer: how many it read, 0 at the
    // end of the file. Throws std::system_error.
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t count);

    EntryKind kind_ = EntryKind::other;
    std::uint64_t size_ = 0;
    SystemHandle handle_; // none for what is not a regular file
};

// Makes a write beyond the process's file-size limit (ulimit -f) fail with "File too large",
// like any other failed write, instead of ending the process with SIGXFSZ. Every program calls
// it first thing in main. Nothing to do on Windows, which has no such limit.
void treatFileSizeLimitAsWriteFailure();
// The program's arguments after its name, as UTF-8. On Windows they are read from the command
// line as UTF-16, so that a name outside the ANSI code page arrives whole.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// A path from UTF-8 text: on Windows a path made from a narrow string would read it in the
// ANSI code page. (The narrow text of a path, path.string(), is UTF-8 with this toolchain.)
std::filesystem::path pathFromUtf8(std::string_view text);

// Makes the program's text on std::cout and std::cerr, UTF-8 like all its text, show right in a
// Windows console: a stream that goes to a console hands it its lines as UTF-16, whatever the
// console's code page. A stream that goes to a file or a pipe stays UTF-8 bytes, and elsewhere
// nothing changes. For the rest of the process.
void showUtf8InConsole();

// The folder that holds the running executable.
std::filesystem::path executableFolder();

// How far the local time of the computer is ahead of UTC at the given moment (daylight saving
// time included); negative west of Greenwich.
std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment);

// The name of this computer on the network.
std::string hostName();
// The id the system gave this installation (Linux: /etc/machine-id; Windows: the MachineGuid of
// the registry), which tells apart PCs that share a name; empty where there is none.
std::string machineId();
// The number of this process.
std::uint64_t processId();

// What this computer says about the process of a number.
struct ProcessStart {
    enum class State {
        Gone,       // no process has the number, or it has ended
        Running,    // mark tells it from any other process that had or will have the number
        Unknowable, // it runs, but cannot be looked at (another user's process)
    };
    State state = State::Gone;
    std::string mark; // its start, and on Linux the boot it started in
};
ProcessStart processStart(std::uint64_t id);

// count bytes from the operating system's cryptographically secure generator (Linux: getrandom;
// Windows: BCryptGenRandom), for secrets such as the session console's token. Throws
// std::system_error when the system cannot give them.
std::string secureRandomBytes(std::size_t count);

// Opens the address in the user's default web browser and returns at once (Linux: xdg-open,
// its output kept off ours; Windows: the shell's default for the address). False when no
// browser could be started.
bool openInBrowser(const std::string& address);

} // namespace tovask::os
