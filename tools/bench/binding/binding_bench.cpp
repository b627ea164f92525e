// Prints the cost of calling a declared function once it is bound, next to a direct call, and of
// binding an entry that searches the system libraries.
#include <windows.h>

#include <cstdio>

#include "runtime/binding/declared_function.h"
#include "runtime/binding/win32/declared_call.h"
#include "runtime/binding/win32/system_module_loader.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Body>
double NanosecondsPerRun(int runs, Body body) {
  LARGE_INTEGER from, to;
  QueryPerformanceCounter(&from);
  for (int i = 0; i < runs; ++i) body();
  QueryPerformanceCounter(&to);
  return Seconds(from, to) * 1e9 / runs;
}

volatile DWORD g_sink;

}  // namespace

int main() {
  using lq::DeclaredFunctionId;
  constexpr int kCalls = 10'000'000;
  const double direct = NanosecondsPerRun(kCalls, [] { g_sink = GetCurrentProcessId(); });
  const double declared = NanosecondsPerRun(kCalls, [] {
    g_sink = lq::CallDeclared<decltype(&::GetCurrentProcessId)>(
        DeclaredFunctionId::kGetCurrentProcessId);
  });
  std::printf("GetCurrentProcessId direct:   %6.2f ns per call\n", direct);
  std::printf("GetCurrentProcessId declared: %6.2f ns per call (bound)\n", declared);

  lq::SystemModuleLoader loader;
  constexpr lq::DeclaredFunction kTable[] = {{"", "GetDesktopWindow"}, {"kernel32", "CloseHandle"}};
  constexpr int kBindings = 2000;
  for (std::size_t entry = 0; entry < 2; ++entry) {
    const double bind = NanosecondsPerRun(kBindings, [&] {
      lq::DeclaredFunctionBinder binder(kTable, loader);
      binder.Bind(entry);
    });
    std::printf("first binding of %s%s%s: %8.0f ns\n", kTable[entry].library.data(),
                kTable[entry].library.empty() ? "" : "!", kTable[entry].name.data(), bind);
  }
  return 0;
}
