// Start-up time: from CreateProcess to the first visible top-level window of the new process, for
// LOLQuillet.exe, a minimal one-window program, that program with as many buttons as the main
// window has controls, and a program that takes only the steps the design puts before the window
// shows (prescribed_window.cpp), in turn, several rounds each. Prints the median and the minimum of
// each and the ratios. A second argument names another build of the program (a Windows path), timed
// in the same rounds, to compare two builds side by side.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::filesystem::path HostPath(const char* linuxPath) {
  std::string p = linuxPath;
  if (!p.empty() && p[0] == '/') {
    std::replace(p.begin(), p.end(), '/', '\\');
    p = "Z:" + p;
  }
  return std::filesystem::path(p);
}

struct Search {
  DWORD pid;
  bool found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM context) {
  auto* s = reinterpret_cast<Search*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == s->pid && IsWindowVisible(window)) {
    s->found = true;
    return FALSE;
  }
  return TRUE;
}

// Milliseconds until the program shows a window; negative when it did not within 20 s.
double TimeToWindow(const std::filesystem::path& exe, const std::wstring& args = L"") {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + exe.native() + L"\"";
  if (!args.empty()) command += L" " + args;
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      exe.parent_path().c_str(), &si, &pi)) {
    return -1;
  }
  double ms = -1;
  for (;;) {
    Search s{pi.dwProcessId, false};
    EnumWindows(&FindVisible, reinterpret_cast<LPARAM>(&s));
    QueryPerformanceCounter(&now);
    const double elapsed =
        1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
    if (s.found) {
      ms = elapsed;
      break;
    }
    if (elapsed > 20000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ms;
}

struct Figures {
  double median;
  double min;
};

Figures Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.front()};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 10;
  // Copies in a folder of their own, so that no other copy of the program holds the guard.
  const auto dir = std::filesystem::temp_directory_path() /
                   (L"lq-startup-bench-" + std::to_wstring(GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  // A folder left by an earlier run that ended early (its process id came round again).
  constexpr auto kReplace = std::filesystem::copy_options::overwrite_existing;
  const auto program = dir / L"LQ_StartupBench.exe";
  const auto minimal = dir / L"minimal_window.exe";
  std::filesystem::copy_file(HostPath(LQ_PROGRAM_EXE), program, kReplace);
  std::filesystem::copy_file(HostPath(LQ_MINIMAL_EXE), minimal, kReplace);
  const auto prescribed = dir / L"prescribed_window.exe";
  std::filesystem::copy_file(HostPath(LQ_PRESCRIBED_EXE), prescribed, kReplace);
  // Another build of the program to compare, timed in the same rounds.
  const auto other = dir / L"LQ_StartupBenchOther.exe";
  const bool with_other = argc > 2;
  if (with_other) std::filesystem::copy_file(std::filesystem::path(argv[2]), other, kReplace);

  TimeToWindow(minimal);  // warm the file cache and the loader
  TimeToWindow(program);
  if (with_other) TimeToWindow(other);
  TimeToWindow(prescribed);
  std::vector<double> a, b, c, d, e;
  for (int i = 0; i < rounds; ++i) {
    const double m = TimeToWindow(minimal);
    const double p = TimeToWindow(program);
    const double n = TimeToWindow(minimal, L"192");
    const double o = with_other ? TimeToWindow(other) : 0;
    const double s = TimeToWindow(prescribed);
    if (m < 0 || p < 0 || n < 0 || o < 0 || s < 0) {
      std::fprintf(stderr, "a program showed no window within 20 s (%s)\n",
                   p < 0   ? "LOLQuillet.exe"
                   : o < 0 ? "the other build"
                           : "a baseline");
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
      return 1;
    }
    b.push_back(m);
    a.push_back(p);
    c.push_back(n);
    d.push_back(o);
    e.push_back(s);
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  const Figures fp = Summarise(a), fm = Summarise(b), fn = Summarise(c), fs = Summarise(e);
  std::printf("start to window shown, %d rounds (ms):\n", rounds);
  std::printf("  minimal window   median %7.1f  min %7.1f\n", fm.median, fm.min);
  std::printf("  192 buttons      median %7.1f  min %7.1f\n", fn.median, fn.min);
  std::printf("  design's steps   median %7.1f  min %7.1f\n", fs.median, fs.min);
  std::printf("  LOLQuillet.exe   median %7.1f  min %7.1f\n", fp.median, fp.min);
  // Each ratio twice: of the medians, and the median of the ratios within each round, which
  // cancels the machine's slower and faster spells that the programs of one round share.
  const auto print_ratio = [](const char* what, const std::vector<double>& x,
                              const std::vector<double>& y) {
    std::vector<double> paired;
    for (std::size_t i = 0; i < x.size(); ++i) paired.push_back(x[i] / y[i]);
    std::printf("  %-32s %.2fx (medians)  %.2fx (paired)\n", what,
                Summarise(x).median / Summarise(y).median, Summarise(paired).median);
  };
  print_ratio("LOLQuillet.exe / minimal window", a, b);
  print_ratio("LOLQuillet.exe / 192 buttons", a, c);
  print_ratio("design's steps / minimal window", e, b);
  print_ratio("LOLQuillet.exe / design's steps", a, e);
  if (with_other) {
    const Figures fo = Summarise(d);
    std::printf("  other build      median %7.1f  min %7.1f\n", fo.median, fo.min);
    print_ratio("other build / minimal window", d, b);
    print_ratio("other build / LOLQuillet.exe", d, a);
  }
  return 0;
}
