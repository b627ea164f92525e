// Captures fatal reports and the end of the program inside a test: the presenter records the
// report text, and the process end throws ProgramEnded instead of ending the test program.
#pragma once

#include <gtest/gtest.h>

#include <string>
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
  ReportCapture() {
    ResetProgramEndState();
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

}  // namespace lq::test
