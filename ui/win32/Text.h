#pragma once
// The model's texts are UTF-8; the W functions of Windows take and give UTF-16.

#include <windows.h>

#include <string>

namespace tovask::win32 {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
// The text of a window of this program, as it holds it.
std::wstring windowText(HWND hwnd);
// What the system says of an error code of GetLastError, in the system's language.
std::string systemErrorText(DWORD code);

} // namespace tovask::win32
