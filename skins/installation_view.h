// How an installation started from the skin window shows itself: the captions of its load button
// and the close of the window, posted to the GUI thread and carried out there only while the
// opening of the skin window it was started from is loaded (a window closed meanwhile, by the
// user or by another installation, is left alone, and so is a later opening); its message in an
// owner-less box. Its end (its destruction) marks its package as no longer being installed and
// enables the load buttons of that package again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "skins/installation.h"
#include "skins/installation_environment.h"
#include "skins/skin_window_state.h"

namespace lq {

class SkinWindowInstallationView final : public InstallationView {
 public:
  // For the window loaded now (call on the GUI thread, when the button is clicked), installing
  // the package at `package_url`, which the caller has marked as being installed.
  SkinWindowInstallationView(const InstallationEnvironment& env,
                             std::shared_ptr<SkinWindowState> state, int slot,
                             std::string package_url);
  ~SkinWindowInstallationView() override;
  SkinWindowInstallationView(const SkinWindowInstallationView&) = delete;
  SkinWindowInstallationView& operator=(const SkinWindowInstallationView&) = delete;

  void SetCaption(std::string_view gbk_caption) override;
  void ShowMessage(std::string_view gbk_message) override;
  void CloseWindow() override;

 private:
  std::function<void(std::function<void()>)> post_to_gui_;
  std::function<void(std::string_view)> show_message_;
  std::function<void()> close_skin_window_;
  std::shared_ptr<SkinWindowState> state_;
  int slot_;
  std::uint64_t opening_;
  std::string package_url_;
};

}  // namespace lq
