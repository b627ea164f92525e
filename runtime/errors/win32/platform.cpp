// The report box and the process end on Windows.
#include <windows.h>

#include "runtime/errors/program_end.h"
#include "runtime/errors/runtime_error.h"
#include "runtime/platform/code_pages.h"

namespace lq {

void ShowReportBox(std::string_view reportText) {
  MessageBoxW(nullptr, GbkToWide(reportText).c_str(), L"错误", MB_ICONERROR | MB_OK);
}

void EndProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace lq
