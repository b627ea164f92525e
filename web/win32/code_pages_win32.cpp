// The web routines convert through the program's declared MultiByteToWideChar and
// WideCharToMultiByte, each bound at its first use.
#include "runtime/platform/win32/code_pages_win32.h"

#include <windows.h>

#include "runtime/binding/win32/declared_call.h"
#include "web/declared_code_pages.h"

namespace lq {

std::optional<std::u16string> DecodeThroughDeclared(std::string_view bytes,
                                                    std::uint32_t code_page) {
  const auto convert = reinterpret_cast<platform::ToWideFunction>(
      BindDeclaredFunction(DeclaredFunctionId::kMultiByteToWideChar));
  const std::optional<std::wstring> units = platform::ToWide(bytes, code_page, convert);
  if (!units) return std::nullopt;
  return std::u16string(units->begin(), units->end());
}

std::optional<std::string> EncodeThroughDeclared(std::u16string_view units,
                                                 std::uint32_t code_page) {
  const auto convert = reinterpret_cast<platform::FromWideFunction>(
      BindDeclaredFunction(DeclaredFunctionId::kWideCharToMultiByte));
  return platform::FromWide(std::wstring(units.begin(), units.end()), code_page, convert);
}

}  // namespace lq
