// The search core of the text commands: the first occurrence of a sought text that begins on a
// character boundary of the scan.
//
// A scan starts at a byte it treats as a character boundary and steps over two-byte characters
// whole, so a match may only begin where that stepping lands. Instead of stepping byte by byte,
// the search filters candidates by two bytes of the sought text (sixteen positions at a time with
// SSE2, else with memchr), compares the whole sought text, and only for a full match decides
// whether it lies on a boundary: the position just after any byte below 0x80 is a boundary (such
// a byte is a character of its own or the second byte of a pair), and from there every byte up
// to the match is 0x80 or above, so they pair up and the match is on a boundary exactly when
// their count is even. That backward look never goes behind the last boundary already known,
// which moves up to each match, so it reads every byte of the scan at most once.
#pragma once

#include <cstddef>
#include <string_view>

namespace lq::detail {

class BoundarySearch {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  // `text` is the whole text (without its terminator); `sought` must not be empty. With
  // fold_case, ASCII letters compare regardless of case; every other byte exactly.
  BoundarySearch(std::string_view text, std::string_view sought, bool fold_case);

  // Offset of the first match m with from <= m and m + sought length <= end, where m is a
  // character boundary of a scan that starts at `from`; npos when there is none.
  std::size_t Next(std::size_t from, std::size_t end) const;

 private:
  // A byte of the sought text that candidates are filtered by: the text's byte at
  // candidate + offset, with `fold` or-ed in, must equal `value`.
  struct Anchor {
    std::size_t offset = 0;
    unsigned char value = 0;
    unsigned char fold = 0;  // 0x20 for a letter under case folding (A|0x20 == a), else 0
    bool Matches(unsigned char b) const { return (b | fold) == value; }
  };

  bool MatchesAt(std::size_t at) const;
  // Whether the full match at `at` lies on a character boundary, given the boundary `known`
  // (<= at); moves `known` up to a boundary at or just after `at`.
  bool OnBoundary(std::size_t at, std::size_t& known) const;
  std::size_t NextWithMemchr(std::size_t at, std::size_t last, std::size_t& known) const;
#if defined(__SSE2__)
  std::size_t NextWithSse2(std::size_t& at, std::size_t last, std::size_t& known) const;
#endif

  const unsigned char* text_;
  std::size_t length_;
  std::string_view sought_;
  bool fold_case_;
  Anchor rare_;    // the byte expected to be rarest in the program's texts
  Anchor second_;  // the next rarest at another offset (the same one for a one-byte text)
};

// Offset of the character boundary after the one at offset i (i < length).
std::size_t NextBoundary(std::string_view text, std::size_t i);

}  // namespace lq::detail
