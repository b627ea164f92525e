#include "runtime/errors/win32/wide_text.h"

#include <windows.h>

#include <limits>

namespace lq {
namespace {

constexpr UINT kGbkCodePage = 936;
constexpr std::size_t kMaxLength = static_cast<std::size_t>(std::numeric_limits<int>::max());

}  // namespace

std::wstring GbkToWide(std::string_view gbk) {
  std::wstring wide;
  if (gbk.empty() || gbk.size() > kMaxLength) return wide;
  const int size = static_cast<int>(gbk.size());
  const int n = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, nullptr, 0);
  if (n <= 0) return wide;
  wide.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, wide.data(), n);
  return wide;
}

std::string WideToGbk(std::wstring_view wide) {
  std::string gbk;
  if (wide.empty() || wide.size() > kMaxLength) return gbk;
  const int size = static_cast<int>(wide.size());
  const int n =
      WideCharToMultiByte(kGbkCodePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return gbk;
  gbk.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(kGbkCodePage, 0, wide.data(), size, gbk.data(), n, nullptr, nullptr);
  return gbk;
}

}  // namespace lq
