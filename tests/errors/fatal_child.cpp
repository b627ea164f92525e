// Helper program of the fatal-error tests: ends itself the way its first argument says and writes
// what happened before to the file named by its second argument.
//   raise6  error 6 raised; the report text goes to the file
//   alloc   AllocateBlock of 2^60 bytes fails; the report text goes to the file
//   new     operator new of 2^60 bytes fails (the program's operator new, Windows)
//   end     EndProgram(7)
//   box     error 6 raised, shown by the platform's own presenter
//   unload  a declared function of wininet.dll is called, then error 6 raised; the file tells
//           whether wininet.dll was still loaded after the end unloaded the declared modules
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/errors/allocation.h"
#include "runtime/errors/program_end.h"
#include "runtime/errors/runtime_error.h"
#ifdef _WIN32
#include <windows.h>
#include <wininet.h>

#include "runtime/binding/win32/declared_call.h"
#endif

namespace {

const char* g_output = "";

// Appends at once: a process ended by ExitProcess does not flush C streams.
void Append(std::string_view bytes) {
  if (!*g_output) return;
  if (std::FILE* f = std::fopen(g_output, "ab")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

void WriteReport(std::string_view text) {
  Append("report:");
  Append(text);
}

char* volatile g_block = nullptr;
volatile std::size_t g_huge = std::size_t{1} << 60;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string_view mode = argv[1];
  g_output = argc > 2 ? argv[2] : "";
  if (mode != "box") lq::SetReportPresenter(&WriteReport);
  lq::RegisterCleanup([](int position) { Append("cleanup " + std::to_string(position) + "\n"); });
  lq::AddEndHook(lq::EndStage::kNotifyLibraries, [] { Append("told\n"); });

  if (mode == "raise6" || mode == "box") lq::RaiseRuntimeError(lq::ErrorCode::kStackImbalance);
  if (mode == "alloc") g_block = static_cast<char*>(lq::AllocateBlock(g_huge));
  if (mode == "new") g_block = new char[g_huge];
  if (mode == "end") lq::EndProgram(7);
#ifdef _WIN32
  if (mode == "unload") {
    HINTERNET session = lq::CallDeclared<decltype(&::InternetOpenA)>(
        lq::DeclaredFunctionId::kInternetOpenA, "fatal child", INTERNET_OPEN_TYPE_DIRECT, nullptr,
        nullptr, 0);
    lq::CallDeclared<decltype(&::InternetCloseHandle)>(lq::DeclaredFunctionId::kInternetCloseHandle,
                                                       session);
    Append(GetModuleHandleW(L"wininet.dll") ? "loaded\n" : "not loaded\n");
    lq::AddEndHook(lq::EndStage::kReleaseObjects, [] {
      Append(GetModuleHandleW(L"wininet.dll") ? "still loaded\n" : "unloaded\n");
    });
    lq::RaiseRuntimeError(lq::ErrorCode::kStackImbalance);
  }
#endif
  Append("returned\n");
  return 3;
}
