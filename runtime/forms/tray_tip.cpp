#include "runtime/forms/tray_tip.h"

#include "runtime/platform/gbk.h"

namespace lq {

std::string_view TrayTip(std::string_view gbk) {
  if (gbk.size() <= kTrayTipBytes) return gbk;
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  std::size_t end = 0;
  while (end < kTrayTipBytes) {
    const std::size_t step = gbk::CharLength(s, end, gbk.size());
    if (end + step > kTrayTipBytes) break;
    end += step;
  }
  return gbk.substr(0, end);
}

}  // namespace lq
