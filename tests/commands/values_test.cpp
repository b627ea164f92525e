// The value kinds: texts and byte sets as values, guarded 1-based arrays, kind-tagged values.
#include "runtime/commands/values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/commands/fatal_report.h"

namespace lq {
namespace {

using namespace std::string_view_literals;

TEST(TextValue, NullAndEmptyAreTheSame) {
  EXPECT_EQ(Text(), Text(""));
  EXPECT_EQ(Text(static_cast<const char*>(nullptr)), Text());
  EXPECT_TRUE(Text().empty());
  EXPECT_STREQ(Text().c_str(), "");
}

TEST(TextValue, StopsAtTheFirstZeroByte) {
  EXPECT_EQ(Text("ab\0cd"sv).view(), "ab");
  EXPECT_EQ(Text(std::string("xy\0z", 4)).Length(), 2);
}

TEST(ByteSetValue, KeepsZeroBytes) {
  const ByteSet b = ByteSet::FromString("a\0b"sv);
  EXPECT_EQ(b.Length(), 3);
  EXPECT_EQ(b.data()[1], 0);
  EXPECT_EQ(ByteSet(), ByteSet(nullptr, 0));
}

TEST(ArrayValue, ElementsAreOneBased) {
  Array<Text> a{"x", "y"};
  EXPECT_EQ(a.Count(), 2);
  EXPECT_EQ(a.At(1), Text("x"));
  a.At(2) = "z";
  EXPECT_EQ(a.At(2), Text("z"));
}

TEST(ArrayValue, CopiesOwnTheirTexts) {
  Array<Text> a{"x"};
  Array<Text> b = a;
  b.At(1) = "changed";
  EXPECT_EQ(a.At(1), Text("x"));
}

TEST(ArrayGuardDeathTest, IndexBelowOneIsFatal) {
  const Array<std::int32_t> a{1, 2, 3};
  EXPECT_FATAL_REPORT(a.At(0), test::ReportOf(ErrorCode::kArrayIndexBelowOne));
  EXPECT_FATAL_REPORT(a.At(-1), test::ReportOf(ErrorCode::kArrayIndexBelowOne));
}

TEST(ArrayGuardDeathTest, IndexBeyondTheCountIsFatal) {
  Array<Text> a{"x", "y", "z"};
  EXPECT_FATAL_REPORT(a.At(4), test::ReportOf(ErrorCode::kArrayIndexTooLarge));
  const Array<Text> empty;
  EXPECT_FATAL_REPORT(empty.At(1), test::ReportOf(ErrorCode::kArrayIndexTooLarge));
}

TEST(KindTaggedValue, CarriesTheKindCodes) {
  EXPECT_EQ(Value(std::uint8_t{1}).code(), 0x80000101u);
  EXPECT_EQ(Value(std::int16_t{1}).code(), 0x80000201u);
  EXPECT_EQ(Value(std::int32_t{1}).code(), 0x80000301u);
  EXPECT_EQ(Value(std::int64_t{1}).code(), 0x80000401u);
  EXPECT_EQ(Value(1.0f).code(), 0x80000501u);
  EXPECT_EQ(Value(1.0).code(), 0x80000601u);
  EXPECT_EQ(Value(true).code(), 0x80000002u);
  EXPECT_EQ(Value::DateTime(1.0).code(), 0x80000003u);
  EXPECT_EQ(Value("t").code(), 0x80000004u);
  EXPECT_EQ(Value(ByteSet()).code(), 0x80000005u);
  EXPECT_EQ(Value::Subroutine(0x401000).code(), 0x80000006u);
  EXPECT_EQ(Value().code(), 0u);
}

TEST(KindTaggedValue, ArraysAreIndirect) {
  const Value v(Array<std::int16_t>{1, 2});
  EXPECT_TRUE(v.is_array());
  EXPECT_EQ(v.kind(), Kind::kShort);
  EXPECT_EQ(v.code(), 0x80000201u | 0x20000000u);
}

TEST(KindTaggedValue, DateTimeIsHeldToItsRange) {
  EXPECT_EQ(Value::DateTime(-1e9), Value::DateTime(-657434.0));
  EXPECT_EQ(Value::DateTime(1e9), Value::DateTime(2958465.0));
  EXPECT_EQ(*Value::DateTime(std::nan("")).get_if<double>(), -657434.0);
  EXPECT_EQ(*Value::DateTime(45000.5).get_if<double>(), 45000.5);
}

TEST(KindTaggedValue, LogicalKeepsItsWord) {
  EXPECT_EQ(*Value::Logical(7).get_if<std::int32_t>(), 7);
  EXPECT_TRUE(Value::Logical(7).AsLogical());
  EXPECT_FALSE(Value(false).AsLogical());
}

TEST(KindTaggedValue, GuardedAccessorsReadTheirKind) {
  EXPECT_EQ(Value("abc").AsText(), Text("abc"));
  EXPECT_EQ(Value(std::int32_t{5}).AsInteger(), 5);
  EXPECT_EQ(Value(2.5).AsDouble(), 2.5);
  EXPECT_EQ(Value(ByteSet::FromString("x")).AsByteSet().Length(), 1);
}

TEST(KindTaggedValueDeathTest, WrongKindIsFatal) {
  EXPECT_FATAL_REPORT(Value(std::int32_t{5}).AsText(), test::ReportOf(ErrorCode::kTypeMismatch));
  EXPECT_FATAL_REPORT(Value(true).AsInteger(), test::ReportOf(ErrorCode::kTypeMismatch));
  EXPECT_FATAL_REPORT(Value(Array<double>{1.0}).AsDouble(),
                      test::ReportOf(ErrorCode::kTypeMismatch));
}

}  // namespace
}  // namespace lq
