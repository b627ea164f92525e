// Code-page conversions with iconv, giving the results of Windows' conversion functions.
//
// glibc's CP936 decodes every GBK character as Windows does. Windows' code page 936 maps more:
// the byte 0xFF, the user-defined areas and the other unassigned pairs to private-use characters
// (both ways), and some 400 characters outside GBK to a best-fit character (from UTF-16 only).
// Those are the runs of cp936_best_fit.inc; conversion falls back to them where iconv fails.
#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "runtime/platform/code_pages.h"
#include "runtime/platform/gbk.h"
#include "runtime/platform/unique_handle.h"

namespace lq::platform {
namespace {

// A first UTF-16 unit, the code it becomes (below 0x100 one byte, else lead * 256 + trail) and
// how many consecutive units map to consecutive codes.
struct Cp936Run {
  std::uint16_t unit;
  std::uint16_t code;
  std::uint16_t count;
};
constexpr Cp936Run kCp936Runs[] = {
#include "runtime/platform/posix/cp936_best_fit.inc"
};

bool IsPrivateUse(std::uint32_t unit) { return unit >= 0xE000 && unit <= 0xF8FF; }

// The code of a unit that iconv does not convert; 0 when Windows has none either.
std::uint32_t Cp936CodeBeyondGbk(char16_t unit) {
  for (const Cp936Run& run : kCp936Runs) {
    if (unit >= run.unit && unit < run.unit + run.count) return run.code + (unit - run.unit);
  }
  return 0;
}

// The private-use unit of a code that GBK leaves unassigned; 0 when there is none.
char16_t Cp936UnitBeyondGbk(std::uint32_t code) {
  for (const Cp936Run& run : kCp936Runs) {
    if (IsPrivateUse(run.unit) && code >= run.code && code < run.code + run.count) {
      return static_cast<char16_t>(run.unit + (code - run.code));
    }
  }
  return 0;
}

// What stands for input that iconv refused at `in`: appends to `out` and returns the bytes of
// input it stands for (at least 1, at most `left`).
using Fallback = std::size_t (*)(const unsigned char* in, std::size_t left, std::string& out);

void AppendUnit(std::string& out, char16_t unit) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>(unit >> 8));
}

std::size_t DecodeGbkFallback(const unsigned char* in, std::size_t left, std::string& out) {
  if (in[0] == 0xFF) {
    AppendUnit(out, Cp936UnitBeyondGbk(0xFF));
    return 1;
  }
  if (!gbk::IsCodePageLeadByte(in[0]) || left == 1) {
    AppendUnit(out, u'?');  // a lead byte at the end
    return 1;
  }
  const char16_t unit = Cp936UnitBeyondGbk(static_cast<std::uint32_t>(in[0] << 8 | in[1]));
  AppendUnit(out, unit != 0 ? unit : u'?');  // a bad pair is one "?" for both bytes
  return 2;
}

std::size_t EncodeGbkFallback(const unsigned char* in, std::size_t left, std::string& out) {
  if (left < 2) return left;
  const std::uint32_t code = Cp936CodeBeyondGbk(static_cast<char16_t>(in[0] | in[1] << 8));
  if (code == 0) {
    out.push_back('?');
  } else if (code < 0x100) {
    out.push_back(static_cast<char>(code));
  } else {
    out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  }
  return 2;  // one unit: each half of a surrogate pair stands alone
}

std::size_t DecodeOtherFallback(const unsigned char*, std::size_t, std::string& out) {
  AppendUnit(out, u'?');
  return 1;
}

std::size_t EncodeOtherFallback(const unsigned char*, std::size_t left, std::string& out) {
  out.push_back('?');
  return left < 2 ? left : 2;
}

// Opening a descriptor costs more than converting a text: each thread keeps those it opened
// (none for a pair iconv does not know), reset before every use.
iconv_t Descriptor(const std::string& to, const std::string& from) {
  thread_local std::map<std::pair<std::string, std::string>, UniqueIconv> opened;
  auto [at, added] = opened.try_emplace({to, from});
  if (added) at->second.Reset(iconv_open(to.c_str(), from.c_str()));
  if (at->second) iconv(at->second.get(), nullptr, nullptr, nullptr, nullptr);
  return at->second.get();
}

// All of `in` through iconv from `from` to `to`; nullopt when iconv does not know the pair.
std::optional<std::string> Convert(const std::string& to, const std::string& from,
                                   std::string_view in, Fallback fallback) {
  const iconv_t cd = Descriptor(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  std::string buffer(in.size() * 4 + 16, '\0');
  char* in_ptr = const_cast<char*>(in.data());
  std::size_t in_left = in.size();
  while (in_left > 0) {
    char* out_ptr = buffer.data();
    std::size_t out_left = buffer.size();
    const std::size_t r = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer.data(), buffer.size() - out_left);
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG && in_left > 0) {
      const std::size_t used =
          fallback(reinterpret_cast<const unsigned char*>(in_ptr), in_left, out);
      in_ptr += used;
      in_left -= used;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

// The page's iconv name; the system's ANSI page of the program's users is 936.
std::string IconvName(std::uint32_t code_page) {
  return "CP" + std::to_string(code_page == kAnsiCodePage ? kGbkCodePage : code_page);
}

bool IsGbk(std::uint32_t code_page) {
  return code_page == kGbkCodePage || code_page == kAnsiCodePage;
}

}  // namespace

std::optional<std::u16string> DecodeCodePage(std::string_view bytes, std::uint32_t code_page,
                                             const CodePageFunctions& /*functions*/) {
  if (code_page == kUtf8CodePage) return Utf16FromUtf8(bytes);
  const std::optional<std::string> wide =
      Convert("UTF-16LE", IconvName(code_page), bytes,
              IsGbk(code_page) ? &DecodeGbkFallback : &DecodeOtherFallback);
  if (!wide) return std::nullopt;
  std::u16string units(wide->size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>((*wide)[2 * i]) |
                                     static_cast<unsigned char>((*wide)[2 * i + 1]) << 8);
  }
  return units;
}

std::optional<std::string> EncodeCodePage(std::u16string_view units, std::uint32_t code_page,
                                          const CodePageFunctions& /*functions*/) {
  if (code_page == kUtf8CodePage) return Utf8FromUtf16(units);
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) AppendUnit(bytes, unit);
  return Convert(IconvName(code_page), "UTF-16LE", bytes,
                 IsGbk(code_page) ? &EncodeGbkFallback : &EncodeOtherFallback);
}

}  // namespace lq::platform
