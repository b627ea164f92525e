// The code-page conversion on Windows: MultiByteToWideChar and WideCharToMultiByte with the code
// page named.
#include <windows.h>

#include <limits>

#include "runtime/platform/code_pages.h"

namespace lq::platform {
namespace {

constexpr std::size_t kMaxLength = static_cast<std::size_t>(std::numeric_limits<int>::max());

using ToWideFunction = decltype(&::MultiByteToWideChar);
using FromWideFunction = decltype(&::WideCharToMultiByte);

// The units of exactly these bytes; nullopt when the conversion fails (an unknown code page, or
// more than fits a 32-bit length).
std::optional<std::wstring> ToWide(std::string_view bytes, UINT code_page, ToWideFunction convert) {
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > kMaxLength) return std::nullopt;
  const int size = static_cast<int>(bytes.size());
  const int n = convert(code_page, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring units(static_cast<std::size_t>(n), L'\0');
  units.resize(
      static_cast<std::size_t>(convert(code_page, 0, bytes.data(), size, units.data(), n)));
  return units;
}

std::optional<std::string> FromWide(std::wstring_view units, UINT code_page,
                                    FromWideFunction convert) {
  if (units.empty()) return std::string();
  if (units.size() > kMaxLength) return std::nullopt;
  const int size = static_cast<int>(units.size());
  const int n = convert(code_page, 0, units.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(n), '\0');
  bytes.resize(static_cast<std::size_t>(
      convert(code_page, 0, units.data(), size, bytes.data(), n, nullptr, nullptr)));
  return bytes;
}

}  // namespace

std::optional<std::u16string> DecodeCodePage(std::string_view bytes, std::uint32_t code_page,
                                             const CodePageFunctions& functions) {
  const std::optional<std::wstring> units =
      ToWide(bytes, code_page, LinkedOr(functions.multi_byte_to_wide_char, &::MultiByteToWideChar));
  if (!units) return std::nullopt;
  return std::u16string(units->begin(), units->end());
}

std::optional<std::string> EncodeCodePage(std::u16string_view units, std::uint32_t code_page,
                                          const CodePageFunctions& functions) {
  return FromWide(std::wstring(units.begin(), units.end()), code_page,
                  LinkedOr(functions.wide_char_to_multi_byte, &::WideCharToMultiByte));
}

}  // namespace lq::platform

namespace lq {

std::wstring GbkToWide(std::string_view gbk) {
  return platform::ToWide(gbk, platform::kGbkCodePage, &::MultiByteToWideChar)
      .value_or(std::wstring());
}

std::string WideToGbk(std::wstring_view wide) {
  return platform::FromWide(wide, platform::kGbkCodePage, &::WideCharToMultiByte)
      .value_or(std::string());
}

}  // namespace lq
