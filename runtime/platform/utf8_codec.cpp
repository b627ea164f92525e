// The portable UTF-8 codec of the code-page conversion (code_pages.h).
#include <cstddef>
#include <cstdint>

#include "runtime/platform/code_pages.h"

namespace lq::platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Continuation bytes that follow a lead byte: 1 for C2..DF, 2 for E0..EF, 3 for F0..F4; 0 for a
// byte that cannot lead.
int ContinuationCount(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return 0;
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// After the first continuation byte, the leading bits rule out overlong forms, surrogates and
// code points beyond U+10FFFF.
bool FirstStepValid(int count, std::uint32_t bits) {
  if (count == 2) return bits >= 0x20 && !(bits >= 0x360 && bits < 0x380);
  if (count == 3) return bits >= 0x10 && bits < 0x110;
  return true;
}

void AppendCodePoint(std::u16string& out, std::uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
}

}  // namespace

std::u16string Utf16FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t length = utf8.size();
  std::size_t i = 0;
  while (i < length) {
    const unsigned char lead = s[i];
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    const int count = ContinuationCount(lead);
    ++i;
    if (count == 0) {
      out.push_back(kReplacement);
      continue;
    }
    // A sequence that would reach past the end is cut off and ends the bytes.
    if (i + static_cast<std::size_t>(count) > length) {
      out.push_back(kReplacement);
      break;
    }
    std::uint32_t cp = lead & (count == 1 ? 0x1F : count == 2 ? 0x0F : 0x07);
    bool valid = true;
    for (int k = 0; k < count; ++k) {
      if (i >= length || !IsContinuation(s[i])) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (s[i] & 0x3F);
      ++i;
      if (k == 0 && !FirstStepValid(count, cp)) {
        valid = false;
        break;
      }
    }
    if (valid) {
      AppendCodePoint(out, cp);
    } else {
      out.push_back(kReplacement);
    }
  }
  return out;
}

std::string Utf8FromUtf16(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    std::uint32_t cp = utf16[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace lq::platform
