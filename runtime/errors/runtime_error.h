// Fatal runtime errors: the numbered error table and the report box.
//
// A report is the program's last act: the box is shown on the calling thread, the program's
// clean-ups are dropped and the program ends with exit code -1 (see program_end.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lq {

// Codes of the runtime error table; 0 means "reported by message alone".
enum class ErrorCode : int {
  kNone = 0,
  kArrayIndexTooLarge = 1,
  kNumberExpected = 2,
  kArrayDimensions = 3,
  kArrayIndexBelowOne = 4,
  kTypeMismatch = 5,
  kStackImbalance = 6,
  kSubroutineNoValue = 7,
  kOnlyEquality = 8,
  kChoiceIndex = 9,
  kRedimension = 10,
  kArgumentType = 11,
};

// GBK message of a table code (1..11); empty for anything else.
std::string_view RuntimeErrorMessage(int code);

// The report's text: header line, then the code and message lines where present (GBK).
std::string RuntimeErrorReportText(std::string_view message, int code);

// Shows the report and ends the program with exit code -1. Never returns.
[[noreturn]] void ReportRuntimeError(std::string_view message, int code = 0);
[[noreturn]] void RaiseRuntimeError(ErrorCode code);

// Shows a finished report text (GBK). The default shows a message box without owner, titled
// "错误", with an error icon and an OK button on Windows, and writes the text to stderr elsewhere.
using ReportPresenter = void (*)(std::string_view reportText);

// Replaces the presenter (nullptr restores the default); returns the previous one. Tests capture
// reports with it instead of showing a box.
ReportPresenter SetReportPresenter(ReportPresenter presenter);

// The platform's own presenter, the default.
void ShowReportBox(std::string_view reportText);

}  // namespace lq
