// lq_driver: runs a scenario against the program, as a user would drive it.
//
//   lq_driver <scenario.txt> [--set NAME=VALUE]... [--timeout MS] [--quiet]
//
// Exit code 0 when every step passed, 1 when a step failed (the message names its line), 2 for a
// usage error. Paths may be Linux paths ("/work/...") when run under Wine.
#include <windows.h>
// windows.h first: the shell header builds on its types.
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "tools/driver/lib/scenario.h"
#include "tools/driver/lib/wide.h"

namespace {

void Print(FILE* to, const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), to);
  std::fputc('\n', to);
  std::fflush(to);
}

int Usage() {
  Print(stderr, "usage: lq_driver <scenario.txt> [--set NAME=VALUE]... [--timeout MS] [--quiet]");
  return 2;
}

}  // namespace

int main() {
  using namespace lq::driver;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return Usage();
  std::wstring scenario;
  ScenarioOptions options;
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--set" && i + 1 < argc) {
      const std::string pair = WideToUtf8(argv[++i]);
      const auto eq = pair.find('=');
      if (eq == std::string::npos) return Usage();
      options.variables[pair.substr(0, eq)] = pair.substr(eq + 1);
    } else if (arg == L"--timeout" && i + 1 < argc) {
      options.default_timeout_ms = static_cast<unsigned>(_wtoi(argv[++i]));
    } else if (arg == L"--quiet") {
      quiet = true;
    } else if (scenario.empty() && !arg.empty() && arg[0] != L'-') {
      scenario = arg;
    } else {
      LocalFree(argv);
      return Usage();
    }
  }
  LocalFree(argv);
  if (scenario.empty()) return Usage();
  if (!quiet) options.log = [](const std::string& line) { Print(stdout, line); };
  const ScenarioResult result = RunScenarioFile(scenario, options);
  if (!result.passed) {
    Print(stderr, "FAILED " + result.message);
    return 1;
  }
  if (!quiet) Print(stdout, "PASSED");
  return 0;
}
