#include "runtime/forms/win32/wide.h"

#include <climits>

#include "runtime/forms/win32/windows_ui.h"

namespace lq {

inline constexpr UINT kGbkCodePage = 936;

std::wstring GbkToWide(std::string_view gbk) {
  if (gbk.empty() || gbk.size() > INT_MAX) return {};
  const int size = static_cast<int>(gbk.size());
  const int wide = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring out(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, out.data(), wide);
  return out;
}

std::string WideToGbk(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(kGbkCodePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(kGbkCodePage, 0, wide.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace lq
