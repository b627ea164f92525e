// The skin window's template data and handlers.
#include "skins/skin_window.h"

#include <utility>

#include "skins/installation.h"
#include "skins/installation_view.h"
#include "skins/skin_slots.h"

namespace lq {
namespace {

namespace u = unit;

constexpr ControlTemplate PreviewBox(UnitId id, std::string_view name, std::int32_t left) {
  return u::PicBox(id, name).At(left, 0, 155, 180).Border(3).DisplayMode(0).Animate(true);
}
constexpr ControlTemplate LoadButton(UnitId id, std::string_view name, std::int32_t left) {
  // The caption an installation puts back when it ends.
  return u::Button(id, name).At(left, 190, 95, 24).Caption(kIdleCaption);
}

}  // namespace

void SkinWindowDestroying() { EmptySkinSlots(); }

SkinWindow::SkinWindow(const InstallationEnvironment& env)
    : env_(env),
      state_(std::make_shared<SkinWindowState>()),
      previews_(env, state_),
      controls_{
          PreviewBox(kPreviewBox1, "图片框1", 2),
          PreviewBox(kPreviewBox2, "图片框2", 160),
          PreviewBox(kPreviewBox3, "图片框3", 319),
          LoadButton(kLoadButton1, "按钮1", 26)
              .On(kEventClicked, Handler::Bind<&SkinWindow::StartSlot>(*this, 1)),
          LoadButton(kLoadButton2, "按钮2", 184)
              .On(kEventClicked, Handler::Bind<&SkinWindow::StartSlot>(*this, 2)),
          LoadButton(kLoadButton3, "按钮3", 342)
              .On(kEventClicked, Handler::Bind<&SkinWindow::StartSlot>(*this, 3)),
          u::Label(kReminderLabel, "标签1")
              .At(27, 224, 336, 24)
              .Caption(kReminderText)
              .TextColour(0xff00ff),
      },
      template_(u::Window(kSkinWindowId, kSkinWindowUnit, "窗口1")
                    .At(50, 50, 484, 285)
                    .Border(2)
                    .ControlBox(true)
                    .MinButton(true)
                    .MaxButton(false)
                    .Position(1)
                    .Movable(true)
                    .Controls(controls_)
                    .On(kEventCreated, Handler::Bind<&SkinWindow::Created>(*this, 0))
                    .On(kEventDestroying, &SkinWindowDestroying)) {}

InstallationInputs SkinWindow::TakeInstallationInputs(int slot) const {
  const std::shared_ptr<const SkinRecord> record = ProgramSkinSlot(slot).Read();
  InstallationInputs inputs{record->package_url, record->name, Text()};
  if (env_.game_directory) {
    if (std::shared_ptr<const Text> directory = env_.game_directory()) {
      inputs.game_directory = *directory;
    }
  }
  return inputs;
}

void SkinWindow::Created(std::int32_t /*unused*/) {
  const std::uint64_t opening = ++state_->opening;
  if (!state_->installing.empty()) {
    state_->RefreshLoadButtons();
  }
  previews_.Queue(opening);
}

void SkinWindow::StartSlot(std::int32_t slot) {
  if (!env_.start_installation) {
    return;
  }
  InstallationInputs inputs = TakeInstallationInputs(slot);
  std::string package_url = inputs.package_url.str();
  if (!state_->installing.insert(package_url).second) {
    return;  // a click that came before its button was disabled
  }
  state_->RefreshLoadButtons();
  env_.start_installation(std::move(inputs), std::make_unique<SkinWindowInstallationView>(
                                                 env_, state_, slot, std::move(package_url)));
}

}  // namespace lq
