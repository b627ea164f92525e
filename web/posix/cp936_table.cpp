#include "web/posix/cp936_table.h"

#include <iconv.h>

#include <array>
#include <cstddef>
#include <memory>

namespace lq::cp936 {
namespace {

// Runs of characters outside GBK that code page 936 still converts: a first UTF-16 unit, the
// code it becomes, and how many consecutive units map to consecutive codes. The private-use
// units are the user-defined areas and convert both ways; the others are best-fit replacements
// (an accented capital to a letter GBK has, a compatibility ideograph to its unified form) and
// convert only from UTF-16.
struct BestFitRun {
  std::uint16_t unit;
  std::uint16_t code;
  std::uint16_t count;
};
constexpr BestFitRun kBestFitRuns[] = {
#include "web/posix/cp936_best_fit.inc"
};

bool IsPrivateUse(std::uint32_t unit) { return unit >= 0xE000 && unit <= 0xF8FF; }

class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (valid()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in`; the bytes written, or 0 when any of it does not convert.
  std::size_t Convert(const char* in, std::size_t in_size, char* out, std::size_t out_size) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = const_cast<char*>(in);
    char* out_ptr = out;
    std::size_t out_left = out_size;
    if (iconv(cd_, &in_ptr, &in_size, &out_ptr, &out_left) == static_cast<std::size_t>(-1) ||
        in_size != 0) {
      return 0;
    }
    return out_size - out_left;
  }

 private:
  iconv_t cd_;
};

struct Tables {
  std::array<std::uint16_t, 0x10000> encode{};  // by UTF-16 unit
  std::array<char16_t, 0x10000> decode{};       // by lead * 256 + trail, or by byte
};

std::unique_ptr<Tables> BuildTables() {
  auto t = std::make_unique<Tables>();
  IconvHandle to_gbk("CP936", "UTF-16LE");
  IconvHandle from_gbk("UTF-16LE", "CP936");
  for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit < 0xE000) continue;
    if (unit < 0x80) {
      t->encode[unit] = static_cast<std::uint16_t>(unit);
      continue;
    }
    const char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    unsigned char out[8];
    const std::size_t n =
        to_gbk.valid() ? to_gbk.Convert(in, 2, reinterpret_cast<char*>(out), sizeof out) : 0;
    if (n == 1) t->encode[unit] = out[0];
    if (n == 2) t->encode[unit] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
  }
  for (std::uint32_t code = 0; code < 0x10000; ++code) {
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[8];
    std::size_t n = 0;
    if (lead == 0 && trail < 0x80) {
      t->decode[code] = static_cast<char16_t>(trail);
      continue;
    }
    if (lead == 0 && from_gbk.valid()) {
      n = from_gbk.Convert(in + 1, 1, reinterpret_cast<char*>(out), sizeof out);
    } else if (IsLeadByte(static_cast<unsigned char>(lead)) && from_gbk.valid()) {
      n = from_gbk.Convert(in, 2, reinterpret_cast<char*>(out), sizeof out);
    }
    if (n == 2) t->decode[code] = static_cast<char16_t>(out[0] | out[1] << 8);
  }
  for (const BestFitRun& run : kBestFitRuns) {
    for (std::uint32_t k = 0; k < run.count; ++k) {
      const std::uint32_t unit = run.unit + k;
      const std::uint32_t code = run.code + k;
      if (t->encode[unit] == 0) t->encode[unit] = static_cast<std::uint16_t>(code);
      if (IsPrivateUse(unit) && t->decode[code] == 0) t->decode[code] = static_cast<char16_t>(unit);
    }
  }
  return t;
}

const Tables& TheTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

}  // namespace

std::uint16_t EncodeUnit(char16_t unit) { return TheTables().encode[unit]; }

char16_t DecodePair(unsigned char lead, unsigned char trail) {
  if (!IsLeadByte(lead)) return 0;
  return TheTables().decode[static_cast<std::size_t>(lead) << 8 | trail];
}

char16_t DecodeSingle(unsigned char byte) {
  if (IsLeadByte(byte)) return 0;
  return TheTables().decode[byte];
}

}  // namespace lq::cp936
