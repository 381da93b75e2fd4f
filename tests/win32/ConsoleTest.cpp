// What the tools print reaches a Windows console as the text it is, whatever the console's code
// page. Under Wine, a console of the test's own: the test writes to it through std::cout and
// reads back the characters it shows.
#include "files/OperatingSystem.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>
#include <string>

namespace tovask {
namespace {

TEST(Console, ShowsUtf8TextWhateverItsCodePage) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    std::streambuf* const cout = std::cout.rdbuf();
    std::streambuf* const cerr = std::cerr.rdbuf();
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    const HANDLE console = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                     CONSOLE_TEXTMODE_BUFFER, nullptr);
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    SetConsoleOutputCP(1252);
    SetStdHandle(STD_OUTPUT_HANDLE, console);
    SetStdHandle(STD_ERROR_HANDLE, errors);

    os::showUtf8InConsole();
    // "Łab è", with the Ł cut between two writes, then a line end.
    std::cout << "\xC5";
    std::cout << "\x81"
              << "ab \xC3\xA8\n";
    std::cout.flush();
    const bool written = std::cout.good();

    std::cout.rdbuf(cout);
    std::cerr.rdbuf(cerr);
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    wchar_t shown[6] = {};
    DWORD read = 0;
    ReadConsoleOutputCharacterW(console, shown, 5, COORD{0, 0}, &read);
    // The console stays: under Wine, freeing it now ends the process.
    CloseHandle(console);
    EXPECT_TRUE(written);
    EXPECT_EQ(std::wstring(shown, read), L"\x0141"
                                         L"ab \x00E8");
}

} // namespace
} // namespace tovask
