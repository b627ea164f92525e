// Fatal reports and the end of the program inside a test: while a ReportCapture lives, the
// presenter records each report's text, and the process end throws ProgramEnded instead of ending
// the test program. When it goes, the end state is reset, so the next test starts afresh (events
// are dispatched again, no hook or clean-up is left).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/errors/program_end.h"
#include "runtime/errors/runtime_error.h"

namespace lq::test {

struct ProgramEnded {
  int exit_code;
};

struct CapturedReport {
  std::string text;
  int nesting_count;  // while the report was on screen
};

class ReportCapture {
 public:
  // The end state is kept as it is, with the hooks the test registered before.
  ReportCapture() {
    Reports().clear();
    previous_presenter_ = SetReportPresenter(&Present);
    previous_terminator_ = SetProcessTerminator(&Terminate);
  }
  ~ReportCapture() {
    SetReportPresenter(previous_presenter_);
    SetProcessTerminator(previous_terminator_);
    ResetProgramEndState();
  }
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;

  static std::vector<CapturedReport>& Reports() {
    static std::vector<CapturedReport> reports;
    return reports;
  }

  // Runs `body`, which must end the program; returns the exit code it ended with.
  template <class Body>
  static int ExitCodeOf(Body&& body) {
    try {
      std::forward<Body>(body)();
    } catch (const ProgramEnded& ended) {
      return ended.exit_code;
    }
    ADD_FAILURE() << "the program did not end";
    return 0x7fffffff;
  }

 private:
  static void Present(std::string_view text) {
    Reports().push_back({std::string(text), ErrorNestingCount()});
  }
  [[noreturn]] static void Terminate(int exitCode) { throw ProgramEnded{exitCode}; }

  ReportPresenter previous_presenter_;
  ProcessTerminator previous_terminator_;
};

// Runs `body`, which must end the program through a fatal report (exit code -1), and returns the
// last report's text; empty when the program did not end.
template <class Body>
std::string FatalReportOf(Body&& body) {
  const ReportCapture capture;
  try {
    std::forward<Body>(body)();
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.exit_code, -1);
    return ReportCapture::Reports().empty() ? std::string() : ReportCapture::Reports().back().text;
  }
  return {};
}

// The report text of a message reported alone (code 0).
inline std::string ReportOf(std::string_view gbkMessage) {
  return RuntimeErrorReportText(gbkMessage, 0);
}

}  // namespace lq::test
