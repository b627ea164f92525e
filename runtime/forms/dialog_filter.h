// The common dialog's filter ("description|pattern|...") and its filter number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lq {

// The filter as given, with "||" appended when it does not already end with it. Bars are found
// character by character (GBK), so a bar byte inside a two-byte character is not taken for a
// separator.
std::string TerminatedFilter(std::string_view gbk);
// Positions of the separating bars in TerminatedFilter's result.
std::vector<std::size_t> FilterBars(std::string_view gbk);
// The dialog's 1-based filter number from the 0-based property (1 when negative).
constexpr std::int32_t DialogFilterNumber(std::int32_t zeroBased) {
  return zeroBased < 0 ? 1 : zeroBased + 1;
}

}  // namespace lq
