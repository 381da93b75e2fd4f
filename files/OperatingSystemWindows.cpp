// Windows implementation of the platform calls. Built only on Windows; the Linux build and its
// tests use OperatingSystemPosix.cpp.
#include "files/OperatingSystem.h"

#include <windows.h>

#include <bcrypt.h>
#include <shellapi.h>

#include <ctime>
#include <iostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>

namespace tovask::os {

namespace {

// Windows' UTF-16 text as UTF-8: the standard library does the turning.
std::string utf8Of(std::wstring_view wide) {
    const std::u8string utf8 = std::filesystem::path(wide).u8string();
    return std::string(utf8.begin(), utf8.end());
}

[[noreturn]] void fail(DWORD code) {
    throw std::system_error(static_cast<int>(code), std::system_category());
}

HANDLE handleOf(FileSystem::Handle h) {
    return reinterpret_cast<HANDLE>(h);
}

class WindowsFileSystem : public FileSystem {
public:
    // CREATE_NEW fails on any name that is there, a symbolic link or another reparse point
    // included; FILE_FLAG_OPEN_REPARSE_POINT says once more that none is ever followed.
    Handle create(const std::filesystem::path& path) override {
        const HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            fail(GetLastError());
        return reinterpret_cast<Handle>(file);
    }

    // Writes go where the file pointer stands, which is the end: the file is only ever written
    // in order, and a cut leaves the pointer at the new end.
    void write(Handle file, std::string_view bytes) override {
        std::size_t written = 0;
        while (written < bytes.size()) {
            const std::size_t rest = bytes.size() - written;
            const DWORD chunk = rest > 0x40000000 ? 0x40000000 : static_cast<DWORD>(rest);
            DWORD n = 0;
            if (!WriteFile(handleOf(file), bytes.data() + written, chunk, &n, nullptr))
                fail(GetLastError());
            if (n == 0)
                fail(ERROR_DISK_FULL);
            written += n;
        }
    }

    void truncate(Handle file, std::uint64_t size) override {
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        if (!SetFilePointerEx(handleOf(file), end, nullptr, FILE_BEGIN) ||
            !SetEndOfFile(handleOf(file)))
            fail(GetLastError());
    }

    void sync(Handle file) override {
        if (!FlushFileBuffers(handleOf(file)))
            fail(GetLastError());
    }

    void close(Handle file) noexcept override { CloseHandle(handleOf(file)); }

    // Write-through: the rename is on the disk when the call returns.
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (!MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            fail(GetLastError());
    }

    void remove(const std::filesystem::path& path) override {
        if (!DeleteFileW(path.c_str()))
            fail(GetLastError());
    }

    // NTFS journals the changes of a folder itself; Windows offers no way to flush a folder.
    void syncFolder(const std::filesystem::path&) override {}
};

EntryKind kindOf(DWORD fileType) {
    switch (fileType) {
    case FILE_TYPE_DISK:
        return EntryKind::regularFile;
    case FILE_TYPE_PIPE:
        return EntryKind::fifo;
    case FILE_TYPE_CHAR:
        return EntryKind::device;
    default:
        return EntryKind::other;
    }
}
// Hands what is written to a stream to a console as UTF-16: a console shows the bytes a
// program writes in its own code page, which is not UTF-8 unless a user set it so. The text
// goes out at every line end and every flush; a character cut between two writes waits for its
// other bytes.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        pending_ += traits_type::to_char_type(c);
        if (traits_type::to_char_type(c) == '\n' && sync() != 0)
            return traits_type::eof();
        return c;
    }

    std::streamsize xsputn(const char* text, std::streamsize n) override {
        const std::string_view part(text, static_cast<std::size_t>(n));
        pending_ += part;
        if (part.find('\n') != std::string_view::npos && sync() != 0)
            return 0;
        return n;
    }

    int sync() override {
        const std::size_t whole = pending_.size() - cutCharacter();
        if (whole == 0)
            return 0;
        const int size = static_cast<int>(whole);
        const int length = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), size, nullptr, 0);
        std::wstring utf16(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, pending_.data(), size, utf16.data(), length);
        pending_.erase(0, whole);
        for (std::size_t done = 0; done < utf16.size();) {
            DWORD written = 0;
            if (!WriteConsoleW(console_, utf16.data() + done,
                               static_cast<DWORD>(utf16.size() - done), &written, nullptr) ||
                written == 0)
                return -1;
            done += written;
        }
        return 0;
    }

private:
    // The bytes at the end that begin a UTF-8 character whose other bytes have not come yet.
    std::size_t cutCharacter() const {
        for (std::size_t back = 1; back <= 3 && back <= pending_.size(); ++back) {
            const auto byte = static_cast<unsigned char>(pending_[pending_.size() - back]);
            if ((byte & 0xC0) == 0x80)
                continue;
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
        return 0;
    }

    HANDLE console_;
    std::string pending_;
};

} // namespace

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf8Of(wide[i]));
    LocalFree(wide);
    return arguments;
}

void showUtf8InConsole() {
    for (const auto& [stream, which] :
         {std::pair<std::ostream*, DWORD>{&std::cout, STD_OUTPUT_HANDLE},
          {&std::cerr, STD_ERROR_HANDLE}}) {
        const HANDLE handle = GetStdHandle(which);
        DWORD mode = 0;
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
            continue;
        stream->flush();
        // Never freed: the standard streams are flushed once more after every static object of
        // the program has gone.
        stream->rdbuf(new ConsoleBuffer(handle));
    }
}

FileSystem& systemFileSystem() {
    static WindowsFileSystem fileSystem;
    return fileSystem;
}

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        fail(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        kind_ = EntryKind::folder;
        return;
    }
    // Other PCs and the console read a file while its owner appends to it or renames another
    // over it: the reader shares everything, so it never stands in the owner's way.
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        fail(GetLastError());
    SystemHandle file(reinterpret_cast<std::intptr_t>(handle));
    kind_ = kindOf(GetFileType(handle));
    LARGE_INTEGER size{};
    if (kind_ == EntryKind::regularFile && !GetFileSizeEx(handle, &size))
        fail(GetLastError());
    handle_ = std::move(file);
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

SystemHandle::~SystemHandle() {
    if (handle_ != -1)
        CloseHandle(handleOf(handle_));
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, char* into, std::size_t count) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD n = 0;
    if (!ReadFile(handleOf(handle_.get()), into,
                  count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count), &n, &where) &&
        GetLastError() != ERROR_HANDLE_EOF)
        fail(GetLastError());
    return n;
}

// Windows has no limit on the size of the files a process writes.
void treatFileSizeLimitAsWriteFailure() {}

std::filesystem::path executableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::filesystem::current_path();
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
    std::tm utc{};
    if (localtime_s(&local, &seconds) != 0 || gmtime_s(&utc, &seconds) != 0)
        return std::chrono::seconds(0);
    utc.tm_isdst = local.tm_isdst;
    return std::chrono::seconds(static_cast<long long>(std::mktime(&local) - std::mktime(&utc)));
}

std::string hostName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, name, &size))
        return "unknown";
    return utf8Of(std::wstring_view(name, size));
}

std::uint64_t processId() {
    return GetCurrentProcessId();
}

std::string machineId() {
    wchar_t guid[64] = {};
    DWORD size = sizeof guid;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", L"MachineGuid",
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, guid, &size) != ERROR_SUCCESS)
        return {};
    return utf8Of(guid);
}

ProcessStart processStart(std::uint64_t id) {
    using State = ProcessStart::State;
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (process == nullptr)
        return {GetLastError() == ERROR_INVALID_PARAMETER ? State::Gone : State::Unknowable, {}};
    const SystemHandle owner(reinterpret_cast<std::intptr_t>(process));
    // The creation time tells a process from a later one that gets the same number.
    DWORD exitCode = 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    ProcessStart start{State::Unknowable, {}};
    if (GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE)
        start = {State::Gone, {}};
    else if (GetProcessTimes(process, &created, &exited, &kernel, &user))
        start = {State::Running,
                 std::to_string((static_cast<std::uint64_t>(created.dwHighDateTime) << 32) |
                                created.dwLowDateTime)};
    return start;
}

std::string secureRandomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    const NTSTATUS status =
        BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(count),
                        BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status < 0)
        throw std::system_error(static_cast<int>(status), std::system_category());
    return bytes;
}

bool openInBrowser(const std::string& address) {
    const std::wstring wide = pathFromUtf8(address).wstring();
    // ShellExecuteW gives a value above 32 when it started the program.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

} // namespace tovask::os
