#include "web/utf8_to_gbk.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "runtime/binding/program_declarations.h"

namespace lq {
namespace {

// Through the program's declared MultiByteToWideChar and WideCharToMultiByte.
platform::CodePageFunctions DeclaredCodePageFunctions() {
  return {DeclaredLookup(DeclaredFunctionId::kMultiByteToWideChar),
          DeclaredLookup(DeclaredFunctionId::kWideCharToMultiByte)};
}

}  // namespace

ByteSet CodePageToWide(const Text& text, std::uint32_t code_page) {
  // The text with its terminator, as the system converts a zero-terminated text: a UTF-8 sequence
  // cut off by the end of the text can take the terminator with it.
  const std::string_view bytes(text.c_str(), std::strlen(text.c_str()) + 1);
  std::optional<std::u16string> units =
      platform::DecodeCodePage(bytes, code_page, DeclaredCodePageFunctions());
  if (!units) return {};
  // Always ends in a zero unit, so that it converts back without reading past its end.
  if (units->empty() || units->back() != u'\0') units->push_back(u'\0');
  std::vector<std::uint8_t> out;
  out.reserve(units->size() * 2);
  for (const char16_t unit : *units) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return ByteSet(std::move(out));
}

Text WideToCodePage(const ByteSet& wide, std::uint32_t code_page) {
  // The units up to the first zero unit, or all of them; an odd last byte is ignored.
  std::u16string units;
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    const auto unit = static_cast<char16_t>(wide.data()[i] | wide.data()[i + 1] << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  std::optional<std::string> bytes =
      platform::EncodeCodePage(units, code_page, DeclaredCodePageFunctions());
  return bytes ? Text(std::move(*bytes)) : Text();
}

Text Utf8ToGbk(const Text& utf8) {
  return WideToCodePage(CodePageToWide(utf8, platform::kUtf8CodePage), platform::kGbkCodePage);
}

}  // namespace lq
