// A ShellSystem that records what the handlers ask of the platform, and loaded windows without a
// windowing system, so that handlers run natively.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program_windows.h"
#include "app/shell_system.h"
#include "runtime/forms/forms_registry.h"

namespace lq::test {

// A loaded window that stores what is written.
class StoredWindow final : public LoadedWindow {
 public:
  explicit StoredWindow(WindowRecord& record);
  ~StoredWindow();
  StoredWindow(const StoredWindow&) = delete;
  StoredWindow& operator=(const StoredWindow&) = delete;

  WindowModel& Model() override { return model_; }
  PropertyValue ReadProperty(UnitState& unit, int index) override { return unit.Get(index); }
  void WriteProperty(UnitState& unit, int index, const PropertyValue& value) override;

  // (unit, index, value as written), in order.
  struct Write {
    UnitId unit;
    int index;
    PropertyValue value;
  };
  std::vector<Write> writes;

 private:
  WindowRecord& record_;
  WindowModel model_;
};

class FakeShell final : public ShellSystem {
 public:
  FakeShell();
  ~FakeShell() override;

  std::vector<ProcessRecord> Processes() override { return processes; }
  Text ModuleExecutablePath(std::uint32_t processId) override;
  Text OwnExecutableName() override;
  void GuardSingleInstance(const Text& name) override;
  void ShowMessage(const Text& text, std::uint32_t style, const Text& caption) override;
  Text SpecialFolderPath(int number) override;
  bool OpenCommonDialog(WindowId window, UnitId dialog) override;
  void SetTrayIcon(WindowId window, const ByteSet& icon, const Text& tip) override;
  void ShowPopupMenu(WindowId window, UnitId entry) override;
  bool LoadWindow(WindowId window, bool modal) override;
  ByteSet FetchPage(const Text& url) override;
  // Kept in `background` until the test runs it.
  void RunInBackground(std::function<void()> work) override;
  // Runs the work kept so far, in order, on the calling thread.
  void RunBackgroundWork();

  // Adds a process; `path` is what its module snapshot gives.
  void AddProcess(std::uint32_t id, const char* exeName, const char* path);

  std::vector<ProcessRecord> processes;
  std::map<std::uint32_t, Text> module_paths;
  // The next dialog: a path confirms (the file name property becomes it), nothing cancels.
  std::vector<std::optional<Text>> dialog_answers;

  // What happened, as readable lines ("message: ...", "tray", ...).
  std::vector<std::string> calls;
  std::vector<Text> messages;
  // Run inside LoadWindow (the modal window's life).
  std::function<void()> during_load;
  // What FetchPage answers.
  ByteSet share_page;
  std::vector<std::function<void()>> background;

 private:
  ShellSystem* previous_;
};

// Reads the program's templates and loads both windows as StoredWindows for one test.
class LoadedProgram {
 public:
  // `env` must outlive the object.
  explicit LoadedProgram(const InstallationEnvironment& env);
  ~LoadedProgram();
  StoredWindow& main() { return *main_; }
  // The main window is gone (as at the program's end).
  void UnloadMain() { main_.reset(); }

 private:
  std::unique_ptr<ProgramWindows> windows_;
  std::unique_ptr<StoredWindow> main_;
};

}  // namespace lq::test
