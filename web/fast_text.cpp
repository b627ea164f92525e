#include "web/fast_text.h"

#include <cstddef>

#include "runtime/commands/text_commands.h"
#include "runtime/platform/gbk.h"

namespace lq {
namespace {

bool MatchesAt(const Text& text, std::size_t at, const Text& sought, bool case_insensitive) {
  const std::size_t length = sought.str().size();
  std::size_t i = 0;
  while (i < length) {
    const unsigned char t = text.at(at + i);
    const unsigned char s = sought.at(i);
    if (gbk::IsFastScanLeadByte(s) && i + 1 < length) {
      if (t != s || text.at(at + i + 1) != sought.at(i + 1)) return false;
      i += 2;
      continue;
    }
    if (case_insensitive ? gbk::AsciiLower(t) != gbk::AsciiLower(s) : t != s) return false;
    ++i;
  }
  return true;
}

}  // namespace

std::int32_t FindTextFast(const Text& text, const Text& sought, std::int32_t start,
                          bool case_insensitive) {
  const std::size_t length = text.str().size();
  const std::size_t sought_length = sought.str().size();
  if (length == 0 || sought_length == 0) return -1;
  const std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  std::size_t at = from;
  while (at < length && length - at >= sought_length) {
    if (MatchesAt(text, at, sought, case_insensitive)) return static_cast<std::int32_t>(at + 1);
    if (gbk::IsFastScanLeadByte(text.at(at))) {
      if (at + 1 >= length) break;
      at += 2;
    } else {
      ++at;
    }
  }
  return -1;
}

Text MidTextRaw(const Text& text, std::int32_t start, std::int32_t count) {
  return MidText(text, start, count);
}

}  // namespace lq
