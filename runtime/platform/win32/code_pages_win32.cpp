#include "runtime/platform/win32/code_pages_win32.h"

#include <limits>

#include "runtime/platform/code_pages.h"

namespace lq::platform {
namespace {

constexpr std::size_t kMaxLength = static_cast<std::size_t>(std::numeric_limits<int>::max());

}  // namespace

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

std::optional<std::u16string> DecodeCodePage(std::string_view bytes, std::uint32_t code_page) {
  const std::optional<std::wstring> units = ToWide(bytes, code_page);
  if (!units) return std::nullopt;
  return std::u16string(units->begin(), units->end());
}

std::optional<std::string> EncodeCodePage(std::u16string_view units, std::uint32_t code_page) {
  return FromWide(std::wstring(units.begin(), units.end()), code_page);
}

}  // namespace lq::platform
