// The program's windows, as the runtime reads them at start-up: the main window and the skin
// window, their handlers bound to the environment the program works with.
#pragma once

#include <array>
#include <span>

#include "app/main_window.h"
#include "runtime/forms/window_template.h"
#include "skins/installation_environment.h"
#include "skins/skin_window.h"

namespace lq {

class ProgramWindows {
 public:
  // `env` must outlive the object.
  explicit ProgramWindows(const InstallationEnvironment& env)
      : main_(env), skin_(env), templates_{main_.Template(), skin_.Template()} {}
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  std::span<const WindowTemplate> Templates() const { return templates_; }
  MainWindow& main_window() { return main_; }
  SkinWindow& skin_window() { return skin_; }

 private:
  MainWindow main_;
  SkinWindow skin_;
  std::array<WindowTemplate, 2> templates_;
};

}  // namespace lq
