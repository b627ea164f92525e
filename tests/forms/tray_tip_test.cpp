// The tray icon's tip: 62 bytes, never a lone lead byte at the end.
#include "runtime/forms/tray_tip.h"

#include <gtest/gtest.h>

#include <string>

namespace lq {
namespace {

TEST(TrayTip, KeepsSixtyTwoBytes) {
  const std::string ascii(70, 'x');
  EXPECT_EQ(TrayTip(ascii).size(), 62u);
  EXPECT_EQ(TrayTip("LOLQuillet皮肤修改"), "LOLQuillet皮肤修改");
  // 61 bytes and a two-byte character: the character would end at byte 63, so it goes.
  const std::string cut = std::string(61, 'x') + "皮肤";
  EXPECT_EQ(TrayTip(cut), std::string(61, 'x'));
  const std::string exact = std::string(60, 'x') + "皮肤";
  EXPECT_EQ(TrayTip(exact), std::string(60, 'x') + "皮");
  EXPECT_EQ(TrayTip(""), "");
}

}  // namespace
}  // namespace lq
