#include "runtime/system/message_box_content.h"

#include <gtest/gtest.h>

#include "runtime/commands/conversions.h"

namespace lq {
namespace {

TEST(MessageBoxContent, TextsNumbersLogicalsAndDatesAreShown) {
  EXPECT_EQ(MessageBoxContentText(Value("载入成功")), Text("载入成功"));
  EXPECT_EQ(MessageBoxContentText(Value(std::int32_t{-7})), Text("-7"));
  EXPECT_EQ(MessageBoxContentText(Value(std::uint8_t{200})), Text("200"));
  EXPECT_EQ(MessageBoxContentText(Value(std::int64_t{1} << 40)), Text("1099511627776"));
  EXPECT_EQ(MessageBoxContentText(Value(1.5)), Text("1.5"));
  EXPECT_EQ(MessageBoxContentText(Value(false)), Text("假"));
  const Value date = Value::DateTime(45296.0);
  EXPECT_EQ(MessageBoxContentText(date), DateTimeText(45296.0));
  EXPECT_FALSE(MessageBoxContentText(date).empty());
}

TEST(MessageBoxContent, OtherKindsShowNothing) {
  EXPECT_TRUE(MessageBoxContentText(Value()).empty());
  EXPECT_TRUE(MessageBoxContentText(Value(ByteSet::FromString("abc"))).empty());
  EXPECT_TRUE(MessageBoxContentText(Value(Array<std::int32_t>{1, 2})).empty());
  EXPECT_TRUE(MessageBoxContentText(Value::Subroutine(0x401000)).empty());
}

}  // namespace
}  // namespace lq
