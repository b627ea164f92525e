// Code-page conversions through the program's declared MultiByteToWideChar and
// WideCharToMultiByte.
#include <windows.h>

#include <cstddef>
#include <string>

#include "runtime/errors/win32/declared_call.h"
#include "web/code_pages.h"

namespace lq {

ByteSet CodePageToWide(const Text& text, std::uint32_t code_page) {
  using Fn = decltype(&::MultiByteToWideChar);
  const int n = CallDeclared<Fn>(DeclaredFunctionId::kMultiByteToWideChar, code_page, 0,
                                 text.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::vector<std::uint8_t> units(static_cast<std::size_t>(n) * 2, 0);
  const int written =
      CallDeclared<Fn>(DeclaredFunctionId::kMultiByteToWideChar, code_page, 0, text.c_str(), -1,
                       reinterpret_cast<wchar_t*>(units.data()), n);
  // A UTF-8 sequence cut off by the end of the text can take the terminator with it; the result
  // always ends in a zero unit, so that it converts back without reading past its end.
  const std::size_t end = written > 0 ? static_cast<std::size_t>(written) * 2 : 0;
  units.resize(end);
  if (end < 2 || units[end - 2] != 0 || units[end - 1] != 0) units.insert(units.end(), {0, 0});
  return ByteSet(std::move(units));
}

Text WideToCodePage(const ByteSet& wide, std::uint32_t code_page) {
  // The units up to the first zero unit, always terminated.
  std::wstring units;
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    const wchar_t unit = static_cast<wchar_t>(wide.data()[i] | wide.data()[i + 1] << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  using Fn = decltype(&::WideCharToMultiByte);
  const int m = CallDeclared<Fn>(DeclaredFunctionId::kWideCharToMultiByte, code_page, 0,
                                 units.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return {};
  std::string bytes(static_cast<std::size_t>(m), '\0');
  CallDeclared<Fn>(DeclaredFunctionId::kWideCharToMultiByte, code_page, 0, units.c_str(), -1,
                   bytes.data(), m, nullptr, nullptr);
  return Text(std::move(bytes));
}

}  // namespace lq
