// The report and the process end where there is no message box: the report goes to stderr.
#include <cstdio>
#include <cstdlib>

#include "runtime/errors/program_end.h"
#include "runtime/errors/runtime_error.h"

namespace lq {

void ShowReportBox(std::string_view reportText) {
  std::fwrite(reportText.data(), 1, reportText.size(), stderr);
  std::fflush(stderr);
}

void EndProcess(int exitCode) { std::exit(exitCode); }

}  // namespace lq
