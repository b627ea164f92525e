// The report box and the process end on Windows.
#include <windows.h>

#include <string>

#include "runtime/errors/program_end.h"
#include "runtime/errors/runtime_error.h"

namespace lq {

void ShowReportBox(std::string_view reportText) {
  std::wstring text;
  const int size = static_cast<int>(reportText.size());
  if (size > 0) {
    const int wide = MultiByteToWideChar(936, 0, reportText.data(), size, nullptr, 0);
    text.resize(static_cast<std::size_t>(wide));
    MultiByteToWideChar(936, 0, reportText.data(), size, text.data(), wide);
  }
  MessageBoxW(nullptr, text.c_str(), L"错误", MB_ICONERROR | MB_OK);
}

void EndProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace lq
