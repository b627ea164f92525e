// The error table, the report's text and what a report does before the program ends.
#include <gtest/gtest.h>

#include <string>

#include "runtime/errors/allocation.h"
#include "runtime/errors/runtime_error.h"
#include "tests/support/report_capture.h"

namespace lq {
namespace {

using test::ReportCapture;

TEST(ErrorTable, HasAMessageForEveryCodeFromOneToEleven) {
  for (int code = 1; code <= 11; ++code) EXPECT_FALSE(RuntimeErrorMessage(code).empty()) << code;
  EXPECT_TRUE(RuntimeErrorMessage(0).empty());
  EXPECT_TRUE(RuntimeErrorMessage(12).empty());
  EXPECT_TRUE(RuntimeErrorMessage(-1).empty());
  EXPECT_EQ(RuntimeErrorMessage(1), "数组成员引用下标超出定义范围");
  EXPECT_EQ(RuntimeErrorMessage(4), "数组成员引用下标必须大于等于1");
  EXPECT_EQ(RuntimeErrorMessage(9), "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围");
  EXPECT_EQ(RuntimeErrorMessage(11), "所提供参数的数据类型不符合要求");
}

TEST(ReportText, CodeZeroWithoutMessageIsTheHeaderAndABlankLine) {
  EXPECT_EQ(RuntimeErrorReportText("", 0), "运行时出错!\r\n\r\n");
  // GBK bytes of the header: 运行时出错!
  EXPECT_EQ(RuntimeErrorReportText("", 0), "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n");
}

TEST(ReportText, StackErrorHasCodeAndMessageLines) {
  EXPECT_EQ(RuntimeErrorReportText(RuntimeErrorMessage(6), 6),
            "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
}

TEST(ReportText, CodeWithoutMessageAndMessageWithoutCode) {
  EXPECT_EQ(RuntimeErrorReportText("", 10), "运行时出错!\r\n\r\n错误代码：10\r\n\r\n");
  EXPECT_EQ(RuntimeErrorReportText("载入启动窗口失败", 0),
            "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
}

TEST(ReportText, AllocationFailureOfOneHundredBytes) {
  EXPECT_EQ(AllocationFailureMessage(100), "分配 100 字节内存失败!");
  EXPECT_EQ(RuntimeErrorReportText(AllocationFailureMessage(100), 0),
            "运行时出错!\r\n\r\n错误信息：分配 100 字节内存失败!\r\n");
  EXPECT_EQ(AllocationFailureMessage(0x100000000ull), "分配 4294967296 字节内存失败!");
}

TEST(Report, RaiseShowsTheTableMessageWhileEventsAreSuspendedAndEndsWithMinusOne) {
  ReportCapture capture;
  EXPECT_FALSE(EventDispatchSuspended());
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { RaiseRuntimeError(ErrorCode::kChoiceIndex); }), -1);
  ASSERT_EQ(ReportCapture::Reports().size(), 1u);
  EXPECT_EQ(ReportCapture::Reports()[0].text, RuntimeErrorReportText(RuntimeErrorMessage(9), 9));
  EXPECT_EQ(ReportCapture::Reports()[0].nesting_count, 1);
  EXPECT_TRUE(EventDispatchSuspended());
  EXPECT_TRUE(IsProgramEnding());
}

TEST(Report, AllocationFailureReportsTheRequestedSizeWithCodeZero) {
  ReportCapture capture;
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { ReportAllocationFailure(100); }), -1);
  ASSERT_EQ(ReportCapture::Reports().size(), 1u);
  EXPECT_EQ(ReportCapture::Reports()[0].text,
            "运行时出错!\r\n\r\n错误信息：分配 100 字节内存失败!\r\n");
  // A second failure in the same process is reported again, not taken for a nested one.
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { ReportAllocationFailure(7); }), -1);
  EXPECT_EQ(ReportCapture::Reports().size(), 2u);
}

TEST(AllocateBlock, GivesUsableBlocksIncludingForZeroBytes) {
  void* empty = AllocateBlock(0);
  EXPECT_NE(empty, nullptr);
  FreeBlock(empty);
  auto* bytes = static_cast<unsigned char*>(AllocateBlock(64));
  ASSERT_NE(bytes, nullptr);
  bytes[63] = 0xAB;
  EXPECT_EQ(bytes[63], 0xAB);
  FreeBlock(bytes);
}

}  // namespace
}  // namespace lq
