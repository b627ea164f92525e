#include "tests/app/fake_shell.h"

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/program_windows.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"

namespace lq::test {

StoredWindow::StoredWindow(WindowRecord& record) : record_(record), model_(record.stored) {
  record_.loaded = this;
}
StoredWindow::~StoredWindow() { record_.loaded = nullptr; }

void StoredWindow::WriteProperty(UnitState& unit, int index, const PropertyValue& value) {
  writes.push_back({unit.id(), index, value});
  unit.Set(index, value);
}

FakeShell::FakeShell() : previous_(SetShellSystem(this)) {}
FakeShell::~FakeShell() { SetShellSystem(previous_); }

Text FakeShell::ModuleExecutablePath(std::uint32_t processId) {
  calls.push_back("module " + std::to_string(processId));
  auto it = module_paths.find(processId);
  return it == module_paths.end() ? Text() : it->second;
}

Text FakeShell::OwnExecutableName() {
  calls.push_back("own name");
  return Text("LOLQuillet.exe");
}

void FakeShell::GuardSingleInstance(const Text& name) { calls.push_back("guard " + name.str()); }

void FakeShell::ShowMessage(const Text& text, std::uint32_t style, const Text& caption) {
  calls.push_back("message");
  messages.push_back(text);
  EXPECT_EQ(style, 0u);
  EXPECT_TRUE(caption.empty());
}

Text FakeShell::SpecialFolderPath(int number) {
  calls.push_back("folder " + std::to_string(number));
  return number == 3 ? Text("C:\\Users\\u\\Desktop\\") : Text();
}

bool FakeShell::OpenCommonDialog(WindowId window, UnitId dialog) {
  calls.push_back("dialog");
  EXPECT_EQ(window, kMainWindowId);
  EXPECT_EQ(dialog, kFileDialog);
  if (dialog_answers.empty()) return false;
  const std::optional<Text> answer = dialog_answers.front();
  dialog_answers.erase(dialog_answers.begin());
  if (!answer) return false;
  WriteTextProperty(window, dialog, kDialogFileName, *answer);
  return true;
}

void FakeShell::SetTrayIcon(WindowId window, const ByteSet& icon, const Text& tip) {
  calls.push_back("tray");
  EXPECT_EQ(window, kMainWindowId);
  EXPECT_EQ(icon.size(), 1150u);
  EXPECT_EQ(tip, Text("LOLQuillet皮肤修改"));
}

void FakeShell::ShowPopupMenu(WindowId window, UnitId entry) {
  calls.push_back("popup");
  EXPECT_EQ(window, kMainWindowId);
  EXPECT_EQ(entry, kTrayMenuEntry);
}

bool FakeShell::LoadWindow(WindowId window, bool modal) {
  calls.push_back("load " + std::to_string(window) + (modal ? " modal" : ""));
  if (during_load) during_load();
  return true;
}

ByteSet FakeShell::FetchPage(const Text& url) {
  calls.push_back("fetch " + url.str());
  return share_page;
}

void FakeShell::RunInBackground(std::function<void()> work) {
  calls.push_back("background");
  background.push_back(std::move(work));
}

void FakeShell::RunBackgroundWork() {
  std::vector<std::function<void()>> work;
  work.swap(background);
  for (auto& w : work) w();
}

void FakeShell::AddProcess(std::uint32_t id, const char* exeName, const char* path) {
  ProcessRecord r;
  r.process_id = id;
  r.exe_file = Text(exeName);
  processes.push_back(r);
  module_paths[id] = Text(path);
}

LoadedProgram::LoadedProgram(const InstallationEnvironment& env)
    : windows_(std::make_unique<ProgramWindows>(env)) {
  ReadWindowTemplates(windows_->Templates());
  main_ = std::make_unique<StoredWindow>(*FindWindowRecord(kMainWindowId));
}

LoadedProgram::~LoadedProgram() {
  main_.reset();
  ForgetWindowTemplates();
}

}  // namespace lq::test
