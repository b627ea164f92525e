// Code-page conversions without the Windows functions, with the results they give.
#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "web/code_pages.h"
#include "web/posix/cp936_table.h"
#include "web/utf8_codec.h"

namespace lq {
namespace {

// The system's ANSI page (code page 0) of the program's users is 936.
bool IsGbk(std::uint32_t code_page) { return code_page == kGbkCodePage || code_page == 0; }

std::u16string Utf16FromGbk(std::string_view gbk) {
  std::u16string out;
  out.reserve(gbk.size());
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  for (std::size_t i = 0; i < gbk.size();) {
    if (!cp936::IsLeadByte(s[i])) {
      out.push_back(cp936::DecodeSingle(s[i]));
      ++i;
    } else if (i + 1 == gbk.size()) {
      out.push_back(u'?');  // a lead byte at the end of the text
      ++i;
    } else {
      const char16_t unit = cp936::DecodePair(s[i], s[i + 1]);
      out.push_back(unit != 0 ? unit : u'?');  // a bad pair is one "?" for both bytes
      i += 2;
    }
  }
  return out;
}

std::string GbkFromUtf16(std::u16string_view units) {
  std::string out;
  out.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    const std::uint16_t code = cp936::EncodeUnit(unit);
    if (code == 0) {
      out.push_back('?');
    } else if (code < 0x100) {
      out.push_back(static_cast<char>(code));
    } else {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return out;
}

// Any other code page, by its iconv name "CP<n>"; a character that does not convert becomes "?".
// Returns false when iconv does not know the page.
bool ConvertWithIconv(std::uint32_t code_page, bool to_wide, std::string_view in,
                      std::string& out) {
  const std::string page = "CP" + std::to_string(code_page);
  const char* to = to_wide ? "UTF-16LE" : page.c_str();
  const char* from = to_wide ? page.c_str() : "UTF-16LE";
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  const std::size_t step = to_wide ? 1 : 2;
  char* in_ptr = const_cast<char*>(in.data());
  std::size_t in_left = in.size();
  std::string buffer(in.size() * 4 + 16, '\0');
  while (in_left > 0) {
    char* out_ptr = buffer.data();
    std::size_t out_left = buffer.size();
    const std::size_t r = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer.data(), buffer.size() - out_left);
    if (r == static_cast<std::size_t>(-1) && in_left > 0) {
      out.append(to_wide ? std::string_view("?\0", 2) : std::string_view("?"));
      const std::size_t skip = in_left < step ? in_left : step;
      in_ptr += skip;
      in_left -= skip;
    }
  }
  iconv_close(cd);
  return true;
}

ByteSet BytesOfUnits(std::u16string_view units) {
  ByteSet bytes;
  bytes.bytes().reserve(units.size() * 2);
  for (const char16_t unit : units) {
    bytes.bytes().push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.bytes().push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace

ByteSet CodePageToWide(const Text& text, std::uint32_t code_page) {
  std::u16string units;
  if (code_page == kUtf8CodePage) {
    units = Utf16FromUtf8(text.view());
  } else if (IsGbk(code_page)) {
    units = Utf16FromGbk(text.view());
  } else {
    std::string wide;
    if (!ConvertWithIconv(code_page, true, text.view(), wide)) return {};
    units.assign(reinterpret_cast<const char16_t*>(wide.data()), wide.size() / 2);
  }
  units.push_back(u'\0');
  return BytesOfUnits(units);
}

Text WideToCodePage(const ByteSet& wide, std::uint32_t code_page) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(wide.data()[i] | wide.data()[i + 1] << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  if (code_page == kUtf8CodePage) return Text(Utf8FromUtf16(units));
  if (IsGbk(code_page)) return Text(GbkFromUtf16(units));
  std::string bytes;
  const std::string_view in(reinterpret_cast<const char*>(units.data()), units.size() * 2);
  if (!ConvertWithIconv(code_page, false, in, bytes)) return {};
  return Text(std::move(bytes));
}

}  // namespace lq
