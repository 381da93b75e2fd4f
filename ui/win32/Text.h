#pragma once
// The model's texts are UTF-8; the W functions of Windows take and give UTF-16.

#include <string>

namespace tovask::win32 {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

} // namespace tovask::win32
