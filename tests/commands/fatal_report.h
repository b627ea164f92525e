// Death-test helpers for the fatal runtime errors that the commands' guards raise.
//
// The test program shows reports on stderr (see fatal_report.cpp), so a death test can check the
// report's text as well as the exit code -1.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "runtime/errors/runtime_error.h"

namespace lq::test {

// The exit code -1 as the platform reports it to the parent.
#ifdef _WIN32
inline constexpr int kExitCodeMinusOne = -1;
#else
inline constexpr int kExitCodeMinusOne = 255;
#endif

inline std::string ReportOf(ErrorCode code) {
  const int n = static_cast<int>(code);
  return RuntimeErrorReportText(RuntimeErrorMessage(n), n);
}

}  // namespace lq::test

// Expects `statement` to end the program with exit code -1 after showing `report`.
#define EXPECT_FATAL_REPORT(statement, report)                                     \
  EXPECT_EXIT(statement, ::testing::ExitedWithCode(::lq::test::kExitCodeMinusOne), \
              ::testing::HasSubstr(report))
