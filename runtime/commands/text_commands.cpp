#include "runtime/commands/text_commands.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "runtime/commands/text_scan.h"
#include "runtime/platform/gbk.h"

namespace lq {
namespace {

const unsigned char* Bytes(const Text& t) {
  return reinterpret_cast<const unsigned char*>(t.c_str());
}

// Clamps a 32-bit count to 0..limit.
std::size_t Clamp(std::int64_t n, std::size_t limit) {
  if (n <= 0) return 0;
  return std::min(static_cast<std::size_t>(n), limit);
}

}  // namespace

std::int32_t TextLength(const Text& text) { return text.Length(); }

Text LeftText(const Text& text, std::int32_t n) {
  return Text(text.view().substr(0, Clamp(n, text.view().size())));
}

Text RightText(const Text& text, std::int32_t n) {
  const std::string_view v = text.view();
  return Text(v.substr(v.size() - Clamp(n, v.size())));
}

Text MidText(const Text& text, std::int32_t start, std::int32_t n) {
  const std::string_view v = text.view();
  if (start < 1 || static_cast<std::size_t>(start) > v.size() || n <= 0) return {};
  return Text(v.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

Text CharText(std::uint8_t code) {
  return Text(std::string(code == 0 ? 0 : 1, static_cast<char>(code)));
}

Text SpaceText(std::int32_t n) { return Text(std::string(Clamp(n, SIZE_MAX), ' ')); }

Text ToLowerCase(const Text& text) {
  std::string out = text.str();
  auto* s = reinterpret_cast<unsigned char*>(out.data());
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t n = gbk::CharLength(s, i, out.size());
    if (n == 1) s[i] = gbk::AsciiLower(s[i]);
    i += n;
  }
  return Text(std::move(out));
}

Text TrimSpaces(const Text& text) {
  const unsigned char* s = Bytes(text);
  const std::size_t length = text.view().size();
  std::size_t first = 0;
  while (first < length) {
    const std::size_t n = gbk::SpaceLength(s, first, length);
    if (n == 0) break;
    first += n;
  }
  // The end of the last character that is not a space, walking on character boundaries.
  std::size_t end = first;
  for (std::size_t i = first; i < length;) {
    const std::size_t space = gbk::SpaceLength(s, i, length);
    if (space != 0) {
      i += space;
    } else {
      i += gbk::CharLength(s, i, length);
      end = i;
    }
  }
  return Text(text.view().substr(first, end - first));
}

Text RemoveAllSpaces(const Text& text) {
  const unsigned char* s = Bytes(text);
  const std::size_t length = text.view().size();
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length;) {
    const std::size_t space = gbk::SpaceLength(s, i, length);
    if (space != 0) {
      i += space;
      continue;
    }
    const std::size_t n = gbk::CharLength(s, i, length);
    out.append(text.c_str() + i, n);
    i += n;
  }
  return Text(std::move(out));
}

Text ReplaceRange(const Text& text, std::int32_t start, std::int32_t length,
                  const Text& replacement) {
  const std::string_view v = text.view();
  const std::size_t b = Clamp(std::int64_t{start} - 1, v.size());
  const std::size_t removed = Clamp(length, v.size() - b);
  std::string out;
  out.reserve(v.size() - removed + replacement.view().size());
  out.append(v.substr(0, b)).append(replacement.view()).append(v.substr(b + removed));
  return Text(std::move(out));
}

Text SubstituteText(const Text& text, const Text& sought, const Text& replacement,
                    std::optional<std::int32_t> start, std::optional<std::int32_t> count,
                    bool exact) {
  const std::string_view v = text.view();
  const std::size_t b = Clamp(std::int64_t{start.value_or(1)} - 1, SIZE_MAX);
  std::int64_t left = count.value_or(-1);  // wide: a negative count only moves away from 0
  if (v.empty() || sought.empty() || b >= v.size() || left == 0) return text;

  const detail::BoundarySearch search(v, sought.view(), !exact);
  std::string out;
  out.reserve(v.size());
  out.append(v.substr(0, b));
  std::size_t at = b;  // a boundary of the scan: the start, or just after a replaced occurrence
  while (left != 0) {
    const std::size_t found = search.Next(at, v.size());
    if (found == detail::BoundarySearch::npos) break;
    out.append(v.substr(at, found - at)).append(replacement.view());
    at = found + sought.view().size();
    --left;
  }
  out.append(v.substr(at));
  return Text(std::move(out));
}

Array<Text> SplitText(const Text& text, std::optional<Text> separator,
                      std::optional<std::int32_t> max_parts) {
  const std::string_view v = text.view();
  const std::size_t max = Clamp(max_parts.value_or(INT32_MAX), SIZE_MAX);
  if (v.empty() || max == 0) return {};
  const Text sep = separator ? std::move(*separator) : Text(",");
  if (sep.empty()) return Array<Text>{text};

  // One pass counts the pieces, so that the second one builds them without moving any.
  const detail::BoundarySearch search(v, sep.view(), false);
  auto for_each_piece = [&](auto&& piece) {
    std::size_t count = 0, cut = 0;
    for (; count < max; ++count) {
      const std::size_t found = search.Next(cut, v.size());
      if (found == detail::BoundarySearch::npos) break;
      piece(v.substr(cut, found - cut));
      cut = found + sep.view().size();
    }
    if (cut < v.size() && count < max) {
      piece(v.substr(cut));
      ++count;
    }
    return count;
  };
  std::vector<Text> parts;
  parts.reserve(for_each_piece([](std::string_view) {}));
  for_each_piece([&parts](std::string_view piece) { parts.emplace_back(piece); });
  return Array<Text>(std::move(parts));
}

int CompareTexts(const Text& a, const Text& b) {
  const std::string_view x = a.view(), y = b.view();
  const int c = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
  if (c != 0) return c < 0 ? -1 : 1;
  if (x.size() == y.size()) return 0;
  return x.size() < y.size() ? -1 : 1;
}

namespace detail {

Text ConcatViews(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view p : parts) total += p.size();
  std::string out;
  out.reserve(total);
  for (std::string_view p : parts) out.append(p);
  return Text(std::move(out));
}

}  // namespace detail
}  // namespace lq
