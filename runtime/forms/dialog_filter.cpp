#include "runtime/forms/dialog_filter.h"

#include "runtime/platform/gbk.h"

namespace lq {

std::vector<std::size_t> FilterBars(std::string_view gbk) {
  std::vector<std::size_t> bars;
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  for (std::size_t i = 0; i < gbk.size(); i += gbk::CharLength(s, i, gbk.size())) {
    if (s[i] == '|') bars.push_back(i);
  }
  return bars;
}

std::string TerminatedFilter(std::string_view gbk) {
  std::string out(gbk);
  const auto bars = FilterBars(gbk);
  const std::size_t n = gbk.size();
  const bool terminated =
      bars.size() >= 2 && bars[bars.size() - 1] == n - 1 && bars[bars.size() - 2] == n - 2;
  if (!terminated) out += "||";
  return out;
}

}  // namespace lq
