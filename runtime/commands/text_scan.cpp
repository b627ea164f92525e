#include "runtime/commands/text_scan.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "runtime/platform/gbk.h"

namespace lq::detail {
namespace {

// Rough share of a byte in the program's texts (mixed Chinese and English), for picking the
// sought bytes that candidates are filtered by. Only the order matters.
int ByteCommonness(unsigned char b) {
  // English letter frequencies, a to z, per mille.
  static constexpr unsigned char kLetters[26] = {40, 8,  15, 22, 60, 11, 10, 30, 37, 1,  4, 20, 13,
                                                 36, 38, 10, 1,  30, 33, 45, 15, 5,  12, 1, 10, 1};
  if (b >= 'a' && b <= 'z') return kLetters[b - 'a'];
  if (b >= 'A' && b <= 'Z') return 3;
  if (b >= '0' && b <= '9') return 5;
  if (b == ' ') return 100;
  if (b == ',' || b == '.' || b == '\r' || b == '\n') return 10;
  if (b >= 0xA1 && b <= 0xFE) return 10;  // lead and trail bytes of common characters
  if (b >= 0x80) return 3;
  if (b < 0x20 || b == 0x7F) return 0;
  return 2;
}

// Moves q back over the bytes of 0x80 and above that directly precede it, but not behind floor.
std::size_t SkipHighBytesBack(const unsigned char* s, std::size_t floor, std::size_t q) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  while (q - floor >= 8) {
    std::uint64_t word;
    std::memcpy(&word, s + q - 8, sizeof word);
    if ((word & kHighBits) != kHighBits) break;
    q -= 8;
  }
  while (q > floor && gbk::IsLeadByte(s[q - 1])) --q;
  return q;
}

}  // namespace

BoundarySearch::BoundarySearch(std::string_view text, std::string_view sought, bool fold_case)
    : text_(reinterpret_cast<const unsigned char*>(text.data())),
      length_(text.size()),
      sought_(sought),
      fold_case_(fold_case) {
  auto anchor = [&](std::size_t offset) {
    const auto b = static_cast<unsigned char>(sought[offset]);
    Anchor a{offset, b, 0};
    if (fold_case && gbk::IsAsciiLetter(b)) a = Anchor{offset, gbk::AsciiLower(b), 0x20};
    return a;
  };
  auto rank = [&](std::size_t offset) {
    const Anchor a = anchor(offset);
    return ByteCommonness(a.value) + (a.fold ? ByteCommonness(gbk::AsciiUpper(a.value)) : 0);
  };
  // The rarest byte, the first of equals; then the rarest of the others, the last of equals,
  // since bytes far apart are less often found together by chance.
  std::size_t rare = 0;
  for (std::size_t i = 1; i < sought.size(); ++i) {
    if (rank(i) < rank(rare)) rare = i;
  }
  std::size_t second = rare == 0 ? sought.size() - 1 : 0;
  for (std::size_t i = 0; i < sought.size(); ++i) {
    if (i != rare && rank(i) <= rank(second)) second = i;
  }
  rare_ = anchor(rare);
  second_ = anchor(second);
}

bool BoundarySearch::MatchesAt(std::size_t at) const {
  const unsigned char* t = text_ + at;
  const auto* w = reinterpret_cast<const unsigned char*>(sought_.data());
  if (!fold_case_) return std::memcmp(t, w, sought_.size()) == 0;
  for (std::size_t i = 0; i < sought_.size(); ++i) {
    if (gbk::AsciiLower(t[i]) != gbk::AsciiLower(w[i])) return false;
  }
  return true;
}

bool BoundarySearch::OnBoundary(std::size_t at, std::size_t& known) const {
  const bool on = (at - SkipHighBytesBack(text_, known, at)) % 2 == 0;
  known = on ? at : at + 1;  // off a boundary, `at` is the second byte of a pair
  return on;
}

#if defined(__SSE2__)
std::size_t BoundarySearch::NextWithSse2(std::size_t& at, std::size_t last,
                                         std::size_t& known) const {
  const __m128i rare_value = _mm_set1_epi8(static_cast<char>(rare_.value));
  const __m128i rare_fold = _mm_set1_epi8(static_cast<char>(rare_.fold));
  const __m128i second_value = _mm_set1_epi8(static_cast<char>(second_.value));
  const __m128i second_fold = _mm_set1_epi8(static_cast<char>(second_.fold));
  // Sixteen candidates at a time; their filter bytes all lie before the end of the region.
  for (; at + 15 <= last; at += 16) {
    const __m128i rare_bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_ + at + rare_.offset));
    const __m128i second_bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_ + at + second_.offset));
    const __m128i hits =
        _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(rare_bytes, rare_fold), rare_value),
                      _mm_cmpeq_epi8(_mm_or_si128(second_bytes, second_fold), second_value));
    for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask != 0; mask &= mask - 1) {
      const std::size_t candidate = at + static_cast<std::size_t>(std::countr_zero(mask));
      if (MatchesAt(candidate) && OnBoundary(candidate, known)) return candidate;
    }
  }
  return npos;
}
#endif

std::size_t BoundarySearch::NextWithMemchr(std::size_t at, std::size_t last,
                                           std::size_t& known) const {
  // The rare byte in each of its cases, and the next offset of each at or after the scan
  // position (npos: none up to the region's end), kept between candidates so that each byte of
  // the region is searched once per case.
  const unsigned char cases[2] = {rare_.value,
                                  rare_.fold ? gbk::AsciiUpper(rare_.value) : rare_.value};
  const std::size_t streams = cases[0] == cases[1] ? 1 : 2;
  std::size_t next[2] = {0, 0};
  bool have[2] = {false, false};
  while (at <= last) {
    const std::size_t scan = at + rare_.offset;
    std::size_t hit = npos;
    for (std::size_t i = 0; i < streams; ++i) {
      if (!have[i] || (next[i] != npos && next[i] < scan)) {
        const void* found = std::memchr(text_ + scan, cases[i], last + rare_.offset + 1 - scan);
        next[i] = found ? static_cast<std::size_t>(static_cast<const unsigned char*>(found) - text_)
                        : npos;
        have[i] = true;
      }
      if (next[i] < hit) hit = next[i];
    }
    if (hit == npos) return npos;
    const std::size_t candidate = hit - rare_.offset;
    if (second_.Matches(text_[candidate + second_.offset]) && MatchesAt(candidate) &&
        OnBoundary(candidate, known)) {
      return candidate;
    }
    at = candidate + 1;
  }
  return npos;
}

std::size_t BoundarySearch::Next(std::size_t from, std::size_t end) const {
  if (end > length_ || from > end || end - from < sought_.size()) return npos;
  const std::size_t last = end - sought_.size();  // the last offset a match may begin at
  std::size_t known = from;  // a character boundary of the scan, never behind a candidate
  std::size_t at = from;     // candidates before this are done
#if defined(__SSE2__)
  if (const std::size_t found = NextWithSse2(at, last, known); found != npos) return found;
#endif
  return NextWithMemchr(at, last, known);
}

std::size_t NextBoundary(std::string_view text, std::size_t i) {
  return i + gbk::CharLength(reinterpret_cast<const unsigned char*>(text.data()), i, text.size());
}

}  // namespace lq::detail
