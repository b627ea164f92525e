// Fatal reports inside a test: the presenter records the report text and the end of the program
// throws instead of ending the test program.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "runtime/errors/program_end.h"
#include "runtime/errors/runtime_error.h"

namespace lq::test {

struct ProgramEndedForTest {
  int exit_code;
};

class FatalCapture {
 public:
  FatalCapture() {
    LastReport().clear();
    previous_presenter_ = SetReportPresenter(&Present);
    previous_terminator_ = SetProcessTerminator(&Terminate);
  }
  ~FatalCapture() {
    SetReportPresenter(previous_presenter_);
    SetProcessTerminator(previous_terminator_);
  }
  FatalCapture(const FatalCapture&) = delete;
  FatalCapture& operator=(const FatalCapture&) = delete;

  static std::string& LastReport() {
    static std::string text;
    return text;
  }

 private:
  static void Present(std::string_view text) { LastReport() = std::string(text); }
  [[noreturn]] static void Terminate(int exitCode) { throw ProgramEndedForTest{exitCode}; }

  ReportPresenter previous_presenter_;
  ProcessTerminator previous_terminator_;
};

// Runs `body`, which must end the program through a fatal report, and returns the report's text
// (empty when the program did not end). The end state is reset afterwards, so events are
// dispatched again.
template <class Body>
std::string FatalReportOf(Body&& body) {
  FatalCapture capture;
  std::string text;
  try {
    std::forward<Body>(body)();
  } catch (const ProgramEndedForTest& ended) {
    EXPECT_EQ(ended.exit_code, -1);
    text = FatalCapture::LastReport();
  }
  ResetProgramEndState();
  return text;
}

// The report text of a message reported alone (code 0).
inline std::string ReportOf(std::string_view gbkMessage) {
  return RuntimeErrorReportText(gbkMessage, 0);
}

}  // namespace lq::test
