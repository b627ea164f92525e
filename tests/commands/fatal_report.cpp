// Reports go to stderr in this test program, also on Windows, where the default is a message box
// that nobody would close.
#include <cstdio>
#include <string_view>

#include "runtime/errors/runtime_error.h"

namespace {

void WriteReportToStderr(std::string_view report) {
  std::fwrite(report.data(), 1, report.size(), stderr);
  std::fflush(stderr);
}

[[maybe_unused]] const lq::ReportPresenter kDefaultPresenter =
    lq::SetReportPresenter(&WriteReportToStderr);

}  // namespace
