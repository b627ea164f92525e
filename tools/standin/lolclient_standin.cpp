// Stands in for the game client in tests: a process named LolClient.exe that only waits, until it
// is ended or, with a number argument, for that many seconds.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  DWORD wait = INFINITE;
  if (argc > 1) {
    const long seconds = std::wcstol(argv[1], nullptr, 10);
    if (seconds > 0) wait = static_cast<DWORD>(seconds) * 1000;
  }
  Sleep(wait);
  return 0;
}
