// The program under test for the main window's end-to-end scenarios: a copy of LOLQuillet.exe in a
// scratch folder, started under a name of its own, with the steps a user takes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "skins/skin_window.h"
#include "tests/support/scratch_dir.h"
#include "tools/driver/lib/controls.h"
#include "tools/driver/lib/message_boxes.h"
#include "tools/driver/lib/round_trip.h"
#include "tools/driver/lib/target_process.h"

namespace lq::e2e {

// The ids are the program's own (app/main_window.h, skins/skin_window.h).
inline constexpr UnitId kAutoButton = kAutoDiscoverButton;
inline constexpr UnitId kSkinLoadButton1 = kLoadButton1;

inline constexpr DWORD kWaitMs = 10000;

// A GBK text of the program as UTF-16 (code page 936), and UTF-16 as UTF-8 for failure messages.
std::wstring Wide936(std::string_view gbk);
std::string Utf8(std::wstring_view wide);

// Polls `done` until it holds or `ms` pass; true when it held.
bool WaitUntil(const std::function<bool()>& done, DWORD ms = kWaitMs);

// The Linux path of a build output as this Windows process reaches it.
std::filesystem::path HostFile(const char* linuxPath);

// A program file name of the running test's own ("LQ_<test>.exe"): the single-instance guard is
// named after the file, so tests running side by side must not share one.
std::wstring ProgramNameForTest(std::wstring_view suffix = L"");

// Copies the program (or the LolClient.exe stand-in) to `to`, creating its folders.
void CopyProgram(const std::filesystem::path& to);
void CopyStandin(const std::filesystem::path& to);
// A program that only shows a large window at the top left of the screen, above what is there.
void CopyCover(const std::filesystem::path& to);

// A test with a copy of the program of its own (`exe`), in a scratch folder that goes with it.
class ProgramCopyTest : public ::testing::Test {
 protected:
  void SetUp() override { CopyProgram(exe); }

  test::ScratchDir scratch{"e2e"};
  std::filesystem::path exe = scratch.path() / ProgramNameForTest();
};

class Program {
 public:
  // Starts `exe` (a copy of the program) and, unless `waitForWindow` is false, waits until its
  // main window is shown with every control of its role pages in place (the program shows the
  // window first and makes the controls of the pages not selected right after).
  explicit Program(const std::filesystem::path& exe, bool waitForWindow = true);

  driver::TargetProcess& process() { return *process_; }
  bool Running() const { return process_->Running(); }
  std::optional<DWORD> WaitExit(DWORD ms = kWaitMs) const { return process_->WaitExit(ms); }

  // The main window (the top-level window holding the tab control), shown or not.
  HWND Main() const;
  HWND Control(std::uint32_t id) const;
  std::wstring Text(std::uint32_t id) const;
  bool MainShown() const;
  // Not visible at all (minimised still counts as visible).
  bool MainHidden() const;

  // Waits for a message box with that text and caption, presses OK and waits until it is gone.
  ::testing::AssertionResult AnswerMessage(const std::wstring& text,
                                           const std::wstring& caption = L"信息：");
  // Waits until the program has taken every message posted to it so far and answered one sent to
  // its main window (driver::RoundTrip): what it did in answer to a click or to its own posted work
  // has happened. Before a check that something did not happen.
  ::testing::AssertionResult RoundTrip();
  // No message box open after a round trip.
  ::testing::AssertionResult NoMessage();
  // Selects page `page` as a user does.
  ::testing::AssertionResult SelectPage(int page);
  // A visible top-level window of this process other than the main window and holding `id`.
  HWND OtherWindowWith(std::uint32_t id) const;

 private:
  std::optional<driver::TargetProcess> process_;
};

// A LolClient.exe stand-in started from `exe`; ended when the object goes.
class Standin {
 public:
  explicit Standin(const std::filesystem::path& exe);
  DWORD pid() const { return process_->pid(); }

 private:
  std::optional<driver::TargetProcess> process_;
};

// The executable paths of the running processes named exactly LolClient.exe, in the order of the
// system's process list.
std::vector<std::wstring> GameClientsInListOrder();

}  // namespace lq::e2e
