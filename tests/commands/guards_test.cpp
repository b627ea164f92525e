// The multiple-choice and wrong-kind guards.
#include "runtime/commands/guards.h"

#include <gtest/gtest.h>

#include "tests/commands/fatal_report.h"

namespace lq {
namespace {

TEST(MultipleChoice, PicksByOneBasedIndex) {
  EXPECT_EQ(Choose(1, 10, 20, 30), 10);
  EXPECT_EQ(Choose(3, 10, 20, 30), 30);
  EXPECT_EQ(Choose(2, Text("a"), Text("b")), Text("b"));
}

TEST(MultipleChoiceDeathTest, IndexOutsideTheChoicesIsFatal) {
  const std::string report = test::ReportOf(ErrorCode::kChoiceIndex);
  EXPECT_FATAL_REPORT(Choose(0, 10, 20), report);
  EXPECT_FATAL_REPORT(Choose(-1, 10, 20), report);
  EXPECT_FATAL_REPORT(Choose(3, 10, 20), report);
  EXPECT_FATAL_REPORT(CheckChoiceIndex(5, 4), report);
}

TEST(KindGuard, PassesTheRightKind) {
  CheckKind(Value("x"), Kind::kText);
  CheckKind(Value::DateTime(1.0), Kind::kDateTime);
  SUCCEED();
}

TEST(KindGuardDeathTest, WrongKindIsFatal) {
  const std::string report = test::ReportOf(ErrorCode::kTypeMismatch);
  EXPECT_FATAL_REPORT(CheckKind(Value("x"), Kind::kByteSet), report);
  EXPECT_FATAL_REPORT(CheckKind(Value(), Kind::kInteger), report);
  EXPECT_FATAL_REPORT(CheckKind(Value(Array<std::int32_t>{1}), Kind::kInteger), report);
}

}  // namespace
}  // namespace lq
