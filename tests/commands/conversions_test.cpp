// ToInteger, ToText, ToByteSet, DateTimeText, TruncateToInteger and BitOr.
#include "runtime/commands/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace lq {
namespace {

using namespace std::string_view_literals;
using Bytes = std::vector<std::uint8_t>;

TEST(ToInteger, ReadsTheLeadingDecimalOfAText) {
  EXPECT_EQ(ToInteger(" 42abc"), 42);
  EXPECT_EQ(ToInteger("abc"), 0);
  EXPECT_EQ(ToInteger(""), 0);
  EXPECT_EQ(ToInteger("-17"), -17);
  EXPECT_EQ(ToInteger("+5"), 5);
  EXPECT_EQ(ToInteger(" \t\r\n 7"), 7);
  EXPECT_EQ(ToInteger("- 7"), 0);
  EXPECT_EQ(ToInteger("12.9"), 12);
}

TEST(ToInteger, OverflowWrapsWithoutNotice) {
  EXPECT_EQ(ToInteger("4294967297"), 1);
  EXPECT_EQ(ToInteger("2147483648"), INT32_MIN);
}

TEST(ToInteger, FullWidthDigitsSignsAndSpacesCount) {
  EXPECT_EQ(ToInteger("４２"), 42);
  EXPECT_EQ(ToInteger("－１２"), -12);
  EXPECT_EQ(ToInteger("＋３"), 3);
  EXPECT_EQ(ToInteger("　９９元"), 99);
  EXPECT_EQ(ToInteger("1２3"), 123);
  EXPECT_EQ(ToInteger("元9"), 0);
}

TEST(ToInteger, NumbersOfEachKind) {
  EXPECT_EQ(ToInteger(std::uint8_t{200}), 200);
  EXPECT_EQ(ToInteger(std::int16_t{-5}), -5);
  EXPECT_EQ(ToInteger(std::int32_t{-70000}), -70000);
  EXPECT_EQ(ToInteger(std::int64_t{0x100000005}), 5);
  EXPECT_EQ(ToInteger(std::int64_t{-1}), -1);
  EXPECT_EQ(ToInteger(-3.9f), -3);
  EXPECT_EQ(ToInteger(3.9), 3);
  EXPECT_EQ(ToInteger(Value::Logical(7)), 7);
  EXPECT_EQ(ToInteger(true), 1);
  EXPECT_EQ(ToInteger(Value::Subroutine(0x401000)), 0x401000);
}

TEST(ToInteger, OtherKindsGiveZero) {
  EXPECT_EQ(ToInteger(Value()), 0);
  EXPECT_EQ(ToInteger(ByteSet::FromString("42")), 0);
  EXPECT_EQ(ToInteger(Value::DateTime(45000.0)), 0);
  EXPECT_EQ(ToInteger(Array<std::int32_t>{5}), 0);
}

TEST(TruncateToInteger, TruncatesTowardZero) {
  EXPECT_EQ(TruncateToInteger(2.9), 2);
  EXPECT_EQ(TruncateToInteger(-2.9), -2);
  EXPECT_EQ(TruncateToInteger(-0.5), 0);
  EXPECT_EQ(TruncateToInteger(2147483647.9), INT32_MAX);
  EXPECT_EQ(TruncateToInteger(-2147483648.9), INT32_MIN);
}

TEST(TruncateToInteger, OutOfRangeGivesTheIndefiniteInteger) {
  EXPECT_EQ(TruncateToInteger(1e10), INT32_MIN);
  EXPECT_EQ(TruncateToInteger(-1e10), INT32_MIN);
  EXPECT_EQ(TruncateToInteger(std::nan("")), INT32_MIN);
  EXPECT_EQ(TruncateToInteger(std::numeric_limits<double>::infinity()), INT32_MIN);
}

TEST(ToText, Integers) {
  EXPECT_EQ(ToText(std::uint8_t{255}), Text("255"));
  EXPECT_EQ(ToText(std::int16_t{-32768}), Text("-32768"));
  EXPECT_EQ(ToText(std::int32_t{-42}), Text("-42"));
  EXPECT_EQ(ToText(std::int64_t{INT64_MIN}), Text("-9223372036854775808"));
}

TEST(ToText, FloatsWithSixAndDoublesWithThirteenDigits) {
  EXPECT_EQ(ToText(3.14159265f), Text("3.14159"));
  EXPECT_EQ(ToText(0.1f), Text("0.1"));
  EXPECT_EQ(ToText(1e20f), Text("1e+20"));
  EXPECT_EQ(ToText(2.0f), Text("2"));
  EXPECT_EQ(ToText(0.1), Text("0.1"));
  EXPECT_EQ(ToText(1.0 / 3.0), Text("0.3333333333333"));
  EXPECT_EQ(ToText(123456789012.0), Text("123456789012"));
  EXPECT_EQ(ToText(1e15), Text("1e+15"));
  EXPECT_EQ(ToText(-2.5e-7), Text("-2.5e-07"));
}

TEST(ToText, Logical) {
  EXPECT_EQ(ToText(true), Text("真"));
  EXPECT_EQ(ToText(false), Text("假"));
  EXPECT_EQ(ToText(Value::Logical(-2)), Text("真"));
}

TEST(ToText, TextIsCopied) {
  EXPECT_EQ(ToText("英雄"), Text("英雄"));
  EXPECT_EQ(ToText(Text()), Text());
}

TEST(ToText, ByteSetStopsAtItsFirstZeroByte) {
  EXPECT_EQ(ToText(ByteSet::FromString("ab\0cd"sv)), Text("ab"));
  EXPECT_EQ(ToText(ByteSet::FromString("abcd")), Text("abcd"));
  EXPECT_EQ(ToText(ByteSet::FromString("\0a"sv)), Text());
  EXPECT_EQ(ToText(ByteSet()), Text());
}

TEST(ToText, NumericArrayGivesItsBytesUpToAZero) {
  EXPECT_EQ(ToText(Array<std::int32_t>{0x64636261, 0x00006665}), Text("abcdef"));
  EXPECT_EQ(ToText(Array<std::uint8_t>{'h', 'i'}), Text("hi"));
}

TEST(ToText, DateTime) {
  EXPECT_EQ(ToText(Value::DateTime(0.0)), Text("1899年12月30日"));
  EXPECT_EQ(ToText(Value::DateTime(45000.5)), Text("2023年3月15日12时0分0秒"));
  EXPECT_EQ(ToText(Value::DateTime(-1.25)), Text("1899年12月29日6时0分0秒"));
}

TEST(ToText, OtherKindsGiveTheEmptyText) {
  EXPECT_EQ(ToText(Value()), Text());
  EXPECT_EQ(ToText(Value::Subroutine(1)), Text());
}

TEST(DateTimeText, CoversTheWholeRange) {
  EXPECT_EQ(DateTimeText(-657434.0), Text("100年1月1日"));
  EXPECT_EQ(DateTimeText(2958465.0), Text("9999年12月31日"));
  EXPECT_EQ(DateTimeText(-1e9), Text("100年1月1日"));
  EXPECT_EQ(DateTimeText(36526.0), Text("2000年1月1日"));
  EXPECT_EQ(DateTimeText(36585.0), Text("2000年2月29日"));
}

TEST(DateTimeText, RoundsTheTimeToTheSecond) {
  EXPECT_EQ(DateTimeText(36526.0 + (9 * 3600 + 5 * 60 + 7) / 86400.0),
            Text("2000年1月1日9时5分7秒"));
  EXPECT_EQ(DateTimeText(36526.0 + 86399.6 / 86400.0), Text("2000年1月2日"));
}

TEST(ToByteSet, NumbersAreLittleEndianAtTheirWidths) {
  EXPECT_EQ(ToByteSet(std::uint8_t{0xAB}).bytes(), (Bytes{0xAB}));
  EXPECT_EQ(ToByteSet(std::int16_t{-2}).bytes(), (Bytes{0xFE, 0xFF}));
  EXPECT_EQ(ToByteSet(std::int32_t{0x01020304}).bytes(), (Bytes{4, 3, 2, 1}));
  EXPECT_EQ(ToByteSet(std::int64_t{0x0102030405060708}).bytes(), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(ToByteSet(1.0f).bytes(), (Bytes{0, 0, 0x80, 0x3F}));
  EXPECT_EQ(ToByteSet(1.0).bytes(), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  EXPECT_EQ(ToByteSet(true).bytes(), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(ToByteSet(Value::DateTime(2.0)).bytes(), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x40}));
  EXPECT_EQ(ToByteSet(Value::Subroutine(0x401000)).bytes(), (Bytes{0x00, 0x10, 0x40, 0x00}));
}

TEST(ToByteSet, TextsAndByteSets) {
  EXPECT_EQ(ToByteSet("ab").bytes(), (Bytes{'a', 'b'}));
  EXPECT_EQ(ToByteSet("英").bytes(), (Bytes{0xD3, 0xA2}));
  EXPECT_EQ(ToByteSet(ByteSet::FromString("a\0b"sv)).bytes(), (Bytes{'a', 0, 'b'}));
  EXPECT_TRUE(ToByteSet(Text()).empty());
  EXPECT_TRUE(ToByteSet(Value()).empty());
}

TEST(ToByteSet, NumericArrayGivesAllItsElements) {
  EXPECT_EQ(ToByteSet(Array<std::int16_t>{1, -2}).bytes(), (Bytes{1, 0, 0xFE, 0xFF}));
  EXPECT_EQ(ToByteSet(Array<std::int32_t>{0, 0}).bytes(), (Bytes(8, 0)));
  EXPECT_TRUE(ToByteSet(Array<double>{}).empty());
}

TEST(BitOr, CombinesTwoOrMore) {
  static_assert(BitOr(1, 2) == 3);
  EXPECT_EQ(BitOr(1, 2, 4, 8), 15);
  EXPECT_EQ(BitOr(0x10000000, 0x00CF0000, 0x80000000u), static_cast<std::int32_t>(0x90CF0000));
}

}  // namespace
}  // namespace lq
