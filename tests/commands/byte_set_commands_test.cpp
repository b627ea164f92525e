// Byte-set commands and ReadValueFromBytes.
#include "runtime/commands/byte_set_commands.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/commands/fatal_report.h"

namespace lq {
namespace {

using namespace std::string_view_literals;
using Bytes = std::vector<std::uint8_t>;

TEST(ByteSetCommands, LengthLeftAndZeros) {
  const ByteSet b(Bytes{1, 2, 3});
  EXPECT_EQ(ByteSetLength(b), 3);
  EXPECT_EQ(ByteSetLength(ByteSet()), 0);
  EXPECT_EQ(LeftBytes(b, 2).bytes(), (Bytes{1, 2}));
  EXPECT_EQ(LeftBytes(b, 9).bytes(), (Bytes{1, 2, 3}));
  EXPECT_TRUE(LeftBytes(b, 0).empty());
  EXPECT_TRUE(LeftBytes(b, -1).empty());
  EXPECT_EQ(ZeroBytes(3).bytes(), (Bytes{0, 0, 0}));
  EXPECT_TRUE(ZeroBytes(0).empty());
  EXPECT_TRUE(ZeroBytes(-5).empty());
}

TEST(ByteSetCommands, ConcatJoinsInOrderAndSkipsEmptyOnes) {
  const ByteSet a(Bytes{1}), b(Bytes{2, 3});
  EXPECT_EQ(ConcatByteSets(a, ByteSet(), b).bytes(), (Bytes{1, 2, 3}));
  EXPECT_TRUE(ConcatByteSets(ByteSet(), ByteSet()).empty());
}

TEST(ReadValueFromBytes, ReadsFromTheFirstByteWithoutAPosition) {
  const ByteSet b(Bytes{0x04, 0x03, 0x02, 0x01, 0xFF});
  EXPECT_EQ(ReadValueFromBytes(b, 3), Value(std::int32_t{0x01020304}));
  EXPECT_EQ(ReadValueFromBytes(b, 1), Value(std::uint8_t{4}));
  EXPECT_EQ(ReadValueFromBytes(b, 2), Value(std::int16_t{0x0304}));
}

TEST(ReadValueFromBytes, EachKind) {
  const ByteSet b(Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(ReadValueFromBytes(b, 1), Value(std::uint8_t{0xFE}));
  EXPECT_EQ(ReadValueFromBytes(b, 2), Value(std::int16_t{-2}));
  EXPECT_EQ(ReadValueFromBytes(b, 3), Value(std::int32_t{-2}));
  EXPECT_EQ(ReadValueFromBytes(b, 4), Value(std::int64_t{-2}));
  EXPECT_EQ(ReadValueFromBytes(b, 7), Value::Logical(-2));
  EXPECT_EQ(ReadValueFromBytes(b, 9), Value::Subroutine(0xFFFFFFFE));
  EXPECT_EQ(ReadValueFromBytes(ByteSet(Bytes{0, 0, 0x80, 0x3F}), 5), Value(1.0f));
  const ByteSet two(Bytes{0, 0, 0, 0, 0, 0, 0, 0x40});
  EXPECT_EQ(ReadValueFromBytes(two, 6), Value(2.0));
  EXPECT_EQ(ReadValueFromBytes(two, 8), Value::DateTime(2.0));
  EXPECT_EQ(ReadValueFromBytes(ByteSet::FromString("ab\0c"sv), 10), Value("ab"));
}

TEST(ReadValueFromBytes, MissingBytesReadAsZero) {
  EXPECT_EQ(ReadValueFromBytes(ByteSet(Bytes{0x34, 0x12}), 3), Value(std::int32_t{0x1234}));
  EXPECT_EQ(ReadValueFromBytes(ByteSet(), 4), Value(std::int64_t{0}));
  EXPECT_EQ(ReadValueFromBytes(ByteSet(), 10), Value(Text()));
}

TEST(ReadValueFromBytes, PositionVariableMovesOn) {
  const ByteSet b = ByteSet::FromString("\x01\x00\x02\x00\x00\x00hi\0yo"sv);
  std::int32_t position = 1;
  EXPECT_EQ(ReadValueFromBytes(b, 2, &position), Value(std::int16_t{1}));
  EXPECT_EQ(position, 3);
  EXPECT_EQ(ReadValueFromBytes(b, 3, &position), Value(std::int32_t{2}));
  EXPECT_EQ(position, 7);
  EXPECT_EQ(ReadValueFromBytes(b, 10, &position), Value("hi"));
  EXPECT_EQ(position, 10);  // the text's zero byte is consumed
  EXPECT_EQ(ReadValueFromBytes(b, 10, &position), Value("yo"));
  EXPECT_EQ(position, -1);
}

TEST(ReadValueFromBytes, PositionPastTheEndIsMinusOne) {
  const ByteSet b(Bytes{1, 2, 3, 4});
  std::int32_t position = 1;
  ReadValueFromBytes(b, 3, &position);
  EXPECT_EQ(position, -1);
  position = 3;
  EXPECT_EQ(ReadValueFromBytes(b, 3, &position), Value(std::int32_t{0x0403}));
  EXPECT_EQ(position, -1);
  position = 4;
  ReadValueFromBytes(b, 1, &position);
  EXPECT_EQ(position, -1);
  position = 3;
  ReadValueFromBytes(b, 1, &position);
  EXPECT_EQ(position, 4);
}

TEST(ReadValueFromBytes, TextWithoutZeroByteRunsToTheEnd) {
  std::int32_t position = 2;
  EXPECT_EQ(ReadValueFromBytes(ByteSet::FromString("abc"), 10, &position), Value("bc"));
  EXPECT_EQ(position, -1);
  position = 3;
  EXPECT_EQ(ReadValueFromBytes(ByteSet::FromString("ab\0"sv), 10, &position), Value(Text()));
  EXPECT_EQ(position, -1);
}

TEST(ReadValueFromBytes, PositionBelowOneReadsAsPastTheEnd) {
  const ByteSet b(Bytes{7, 7, 7, 7});
  for (std::int32_t start : {-1, 0}) {
    std::int32_t position = start;
    EXPECT_EQ(ReadValueFromBytes(b, 3, &position), Value(std::int32_t{0}));
    EXPECT_EQ(position, -1);
    position = start;
    EXPECT_EQ(ReadValueFromBytes(b, 10, &position), Value(Text()));
    EXPECT_EQ(position, -1);
  }
}

TEST(ReadValueFromBytesDeathTest, UnknownKindIsFatal) {
  const std::string report = RuntimeErrorReportText("“欲取出数据的类型”参数值无效", 0);
  const ByteSet b(Bytes{1, 2, 3, 4});
  EXPECT_FATAL_REPORT(ReadValueFromBytes(b, 0), report);
  EXPECT_FATAL_REPORT(ReadValueFromBytes(b, 11), report);
  EXPECT_FATAL_REPORT(ReadValueFromBytes(ByteSet(), -3), report);
}

}  // namespace
}  // namespace lq
