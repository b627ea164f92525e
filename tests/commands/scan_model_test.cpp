// The fast searches against a plain model that steps through the text one character at a time,
// on many random texts made of ASCII letters, separators and two-byte characters.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"

namespace lq {
namespace {

unsigned char Fold(unsigned char c, bool fold) {
  return fold && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

bool MatchesAt(const std::string& t, std::size_t k, const std::string& w, bool fold) {
  if (k + w.size() > t.size()) return false;
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (Fold(static_cast<unsigned char>(t[k + i]), fold) !=
        Fold(static_cast<unsigned char>(w[i]), fold)) {
      return false;
    }
  }
  return true;
}

// Steps from byte k: two bytes over a lead byte, one otherwise; past the end when a lead byte is
// the last byte.
std::size_t Step(const std::string& t, std::size_t k) {
  return static_cast<unsigned char>(t[k]) >= 0x80 ? k + 2 : k + 1;
}

std::int64_t Offset(std::optional<std::int32_t> start, std::int64_t left_out) {
  if (!start) return left_out;
  return std::max<std::int64_t>(std::int64_t{*start} - 1, 0);
}

std::int32_t ModelFind(const std::string& t, const std::string& w,
                       std::optional<std::int32_t> start, bool fold, bool backward) {
  const std::int64_t length = static_cast<std::int64_t>(t.size());
  const std::int64_t b = Offset(start, backward ? length : 0);
  std::int64_t from = 0, end = length;
  if (backward) {
    end = std::min(b, length);
  } else {
    from = b;
  }
  if (from >= end) return -1;
  if (w.empty()) return 1;
  std::int32_t found = -1;
  for (std::size_t k = static_cast<std::size_t>(from);
       k + w.size() <= static_cast<std::size_t>(end); k = Step(t, k)) {
    if (MatchesAt(t, k, w, fold)) {
      found = static_cast<std::int32_t>(k + 1);
      if (!backward) break;
    }
  }
  return found;
}

std::string ModelSubstitute(const std::string& t, const std::string& w, const std::string& r,
                            std::int32_t start, std::int32_t count, bool exact) {
  const std::size_t b = static_cast<std::size_t>(Offset(start, 0));
  if (t.empty() || w.empty() || b >= t.size() || count == 0) return t;
  std::string out = t.substr(0, b);
  std::size_t k = b;
  std::int64_t left = count;
  while (k < t.size()) {
    if (left == 0 || k + w.size() > t.size()) {
      out += t.substr(k);
      break;
    }
    if (MatchesAt(t, k, w, !exact)) {
      out += r;
      k += w.size();
      --left;
    } else {
      const std::size_t next = std::min(Step(t, k), t.size());
      out += t.substr(k, next - k);
      k = next;
    }
  }
  return out;
}

std::vector<Text> ModelSplit(const std::string& t, const std::string& sep, std::int32_t max) {
  std::vector<Text> parts;
  if (max < 0) max = 0;
  if (t.empty() || max == 0) return parts;
  if (sep.empty()) return {Text(t)};
  std::size_t cut = 0, k = 0;
  while (k + sep.size() <= t.size() && parts.size() < static_cast<std::size_t>(max)) {
    if (MatchesAt(t, k, sep, false)) {
      parts.emplace_back(std::string_view(t).substr(cut, k - cut));
      k += sep.size();
      cut = k;
    } else {
      k = Step(t, k);
    }
  }
  if (cut < t.size() && parts.size() < static_cast<std::size_t>(max)) {
    parts.emplace_back(std::string_view(t).substr(cut));
  }
  return parts;
}

class ScanModel : public ::testing::Test {
 protected:
  // Few distinct bytes, so that occurrences, trail-byte look-alikes and runs of two-byte
  // characters are frequent.
  std::string RandomText(std::size_t max_length) {
    static const char* const kPieces[] = {"a",
                                          "A",
                                          "b",
                                          ",",
                                          "\xB0",
                                          "\xA1",
                                          "\x81",
                                          "a",
                                          "\xB0\xA1",
                                          "\xA1\xA1",
                                          "\xB0"
                                          "a",
                                          " "};
    std::uniform_int_distribution<std::size_t> length(0, max_length);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::string s;
    for (std::size_t n = length(random_); s.size() < n;) s += kPieces[piece(random_)];
    return s;
  }
  std::int32_t RandomInt(std::int32_t low, std::int32_t high) {
    return std::uniform_int_distribution<std::int32_t>(low, high)(random_);
  }
  std::optional<std::int32_t> RandomStart(std::size_t length) {
    if (RandomInt(0, 3) == 0) return std::nullopt;
    return RandomInt(-1, static_cast<std::int32_t>(length) + 2);
  }

  std::mt19937 random_{20240601};
};

TEST_F(ScanModel, FindTextAgreesWithStepping) {
  for (int i = 0; i < 20000; ++i) {
    const std::string t = RandomText(40), w = RandomText(3);
    const auto start = RandomStart(t.size());
    const bool fold = RandomInt(0, 1) == 1;
    ASSERT_EQ(FindText(Text(t), Text(w), start, fold), ModelFind(t, w, start, fold, false))
        << testing::PrintToString(t) << " / " << testing::PrintToString(w);
    ASSERT_EQ(FindTextBackward(Text(t), Text(w), start, fold), ModelFind(t, w, start, fold, true))
        << testing::PrintToString(t) << " / " << testing::PrintToString(w);
  }
}

TEST_F(ScanModel, FindTextAgreesOnLongTwoByteRuns) {
  for (int i = 0; i < 500; ++i) {
    const std::string t = RandomText(600), w = RandomText(4);
    const bool fold = RandomInt(0, 1) == 1;
    ASSERT_EQ(FindText(Text(t), Text(w), std::nullopt, fold),
              ModelFind(t, w, std::nullopt, fold, false));
    ASSERT_EQ(FindTextBackward(Text(t), Text(w), std::nullopt, fold),
              ModelFind(t, w, std::nullopt, fold, true));
  }
}

TEST_F(ScanModel, SubstituteTextAgreesWithStepping) {
  for (int i = 0; i < 20000; ++i) {
    const std::string t = RandomText(40), w = RandomText(3), r = RandomText(3);
    const std::int32_t start = RandomInt(-1, static_cast<std::int32_t>(t.size()) + 2);
    const std::int32_t count = RandomInt(-1, 4);
    const bool exact = RandomInt(0, 1) == 1;
    ASSERT_EQ(SubstituteText(Text(t), Text(w), Text(r), start, count, exact),
              Text(ModelSubstitute(t, w, r, start, count, exact)))
        << testing::PrintToString(t) << " / " << testing::PrintToString(w);
  }
}

TEST_F(ScanModel, SplitTextAgreesWithStepping) {
  for (int i = 0; i < 20000; ++i) {
    const std::string t = RandomText(40), sep = RandomText(2);
    const std::int32_t max = RandomInt(-1, 6);
    ASSERT_EQ(SplitText(Text(t), Text(sep), max).elements(), ModelSplit(t, sep, max))
        << testing::PrintToString(t) << " / " << testing::PrintToString(sep);
  }
}

}  // namespace
}  // namespace lq
