#include "tests/e2e/main_window_harness.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <map>

#include "app/main_window.h"
#include "tests/support/endpoint_client.h"
#include "tools/driver/lib/wide.h"

namespace lq::e2e {
namespace {

// Every grid button and both labels of each role page are windows.
bool RolePagesComplete(HWND main) {
  const std::map<std::uint32_t, HWND> ids = driver::ControlsById(main);
  for (int page = 1; page <= 8; ++page) {
    if (!ids.count(NoteLabelId(page)) || !ids.count(AuthorLabelId(page))) return false;
    for (int cell = 0; cell < 20; ++cell) {
      if (!ids.count(GridButtonId(page, cell))) return false;
    }
  }
  return true;
}

}  // namespace

std::wstring Wide936(std::string_view gbk) {
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), n);
  return w;
}

std::string Utf8(std::wstring_view wide) { return driver::WideToUtf8(wide); }

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  while (true) {
    if (done()) return true;
    if (GetTickCount64() >= until) return false;
    Sleep(20);
  }
}

std::filesystem::path HostFile(const char* linuxPath) {
  const std::string host = test::HostPath(linuxPath);
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, host.data(), static_cast<int>(host.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, host.data(), static_cast<int>(host.size()), w.data(), n);
  return std::filesystem::path(w);
}

std::wstring ProgramNameForTest(std::wstring_view suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  // The run's process id too: a copy left running by an earlier run must not hold the guard.
  return L"LQ_" + std::wstring(name.begin(), name.end()) + L"_" +
         std::to_wstring(GetCurrentProcessId()) + std::wstring(suffix) + L".exe";
}

void CopyProgram(const std::filesystem::path& to) {
  std::filesystem::create_directories(to.parent_path());
  std::filesystem::copy_file(HostFile(LQ_PROGRAM_EXE), to,
                             std::filesystem::copy_options::overwrite_existing);
}

void CopyCover(const std::filesystem::path& to) {
  std::filesystem::create_directories(to.parent_path());
  std::filesystem::copy_file(HostFile(LQ_COVER_EXE), to,
                             std::filesystem::copy_options::overwrite_existing);
}

void CopyStandin(const std::filesystem::path& to) {
  std::filesystem::create_directories(to.parent_path());
  std::filesystem::copy_file(HostFile(LQ_STANDIN_EXE), to,
                             std::filesystem::copy_options::overwrite_existing);
}

Program::Program(const std::filesystem::path& exe, bool waitForWindow) {
  std::string error;
  process_ = driver::TargetProcess::Start(exe.native(), L"", exe.parent_path().native(), &error);
  if (!process_) {
    ADD_FAILURE() << "cannot start " << Utf8(exe.native()) << ": " << error;
    std::abort();
  }
  if (waitForWindow && !WaitUntil([this] { return MainShown() && RolePagesComplete(Main()); })) {
    HWND main = Main();
    ADD_FAILURE() << "the main window did not appear: "
                  << (main ? (IsWindowVisible(main) ? "iconic" : "hidden") : "no window") << ", "
                  << process_->TopLevelWindows().size() << " top-level windows, "
                  << (process_->Running() ? "running" : "ended");
  }
}

HWND Program::Main() const {
  for (HWND top : process_->TopLevelWindows()) {
    if (driver::FindControl({top}, kPageTab)) return top;
  }
  return nullptr;
}

HWND Program::Control(std::uint32_t id) const {
  return driver::FindControl(process_->TopLevelWindows(), id);
}

std::wstring Program::Text(std::uint32_t id) const {
  HWND control = id == 0 ? Main() : Control(id);
  if (!control) return L"<no such control>";
  return driver::ReadText(control).value_or(L"<no answer>");
}

bool Program::MainShown() const {
  HWND main = Main();
  return main && IsWindowVisible(main) && !IsIconic(main);
}

bool Program::MainHidden() const { return !IsWindowVisible(Main()); }

::testing::AssertionResult Program::AnswerMessage(const std::wstring& text,
                                                  const std::wstring& caption) {
  std::vector<driver::MessageBoxView> boxes;
  if (!WaitUntil([&] {
        boxes = driver::OpenMessageBoxes(*process_);
        return !boxes.empty();
      })) {
    return ::testing::AssertionFailure() << "no message box \"" << Utf8(text) << "\"";
  }
  const driver::MessageBoxView box = boxes.front();
  if (box.text != text || box.caption != caption) {
    return ::testing::AssertionFailure()
           << "message box \"" << Utf8(box.text) << "\" caption \"" << Utf8(box.caption)
           << "\", expected \"" << Utf8(text) << "\" caption \"" << Utf8(caption) << "\"";
  }
  driver::PressMessageBoxButton(box.box, IDOK);
  if (!WaitUntil([&] { return !IsWindow(box.box) || !IsWindowVisible(box.box); })) {
    return ::testing::AssertionFailure() << "the message box stayed";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Program::RoundTrip() {
  if (!driver::RoundTrip(Main())) {
    return ::testing::AssertionFailure() << "the program did not take its messages";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Program::NoMessage() {
  if (::testing::AssertionResult answered = RoundTrip(); !answered) return answered;
  if (const auto boxes = driver::OpenMessageBoxes(*process_); !boxes.empty()) {
    return ::testing::AssertionFailure()
           << "unexpected message box \"" << Utf8(boxes[0].text) << "\"";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Program::SelectPage(int page) {
  HWND tab = Control(kPageTab);
  std::string how;
  if (!driver::SelectTab(*process_, tab, page, &how)) {
    return ::testing::AssertionFailure() << "cannot select page " << page << ": " << how;
  }
  if (!WaitUntil([&] { return driver::SelectedTab(tab) == page; })) {
    return ::testing::AssertionFailure() << "page " << page << " not selected";
  }
  return ::testing::AssertionSuccess();
}

HWND Program::OtherWindowWith(std::uint32_t id) const {
  HWND main = Main();
  for (HWND top : process_->TopLevelWindows()) {
    if (top != main && IsWindowVisible(top) && driver::FindControl({top}, id)) return top;
  }
  return nullptr;
}

Standin::Standin(const std::filesystem::path& exe) {
  std::string error;
  process_ = driver::TargetProcess::Start(exe.native(), L"120", exe.parent_path().native(), &error);
  if (!process_) {
    ADD_FAILURE() << "cannot start the stand-in: " << error;
    std::abort();
  }
}

std::vector<std::wstring> GameClientsInListOrder() {
  std::vector<std::wstring> paths;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return paths;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (std::wstring(entry.szExeFile) != L"LolClient.exe") continue;
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, entry.th32ProcessID);
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    if (modules != INVALID_HANDLE_VALUE) {
      Module32FirstW(modules, &module);
      CloseHandle(modules);
    }
    paths.emplace_back(module.szExePath);
  }
  CloseHandle(snapshot);
  return paths;
}

}  // namespace lq::e2e
