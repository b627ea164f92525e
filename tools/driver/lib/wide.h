// Texts of the driver: scenarios are UTF-8, windows speak UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace lq::driver {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
// A u8"..." literal (char8_t since C++20) as the UTF-8 string a scenario holds.
inline std::string U8(const char8_t* utf8) { return reinterpret_cast<const char*>(utf8); }

// A Linux absolute path ("/work/x") as Wine names it ("Z:\work\x"); anything else unchanged.
std::wstring WindowsPath(std::wstring_view path);

}  // namespace lq::driver
