// The skin window's template data and handlers.
#include "skins/skin_window.h"

#include "skins/skin_slots.h"
#include "skins/skin_window_actions.h"

namespace lq {
namespace {

namespace u = unit;

constexpr ControlTemplate PreviewBox(UnitId id, std::string_view name, std::int32_t left) {
  return u::PicBox(id, name).At(left, 0, 155, 180).Border(3).DisplayMode(0).Animate(true);
}
constexpr ControlTemplate LoadButton(UnitId id, std::string_view name, std::int32_t left) {
  return u::Button(id, name).At(left, 190, 95, 24).Caption(kLoadCaption);
}

// Built at first use, as the window: the buttons bind handlers.
const ControlTemplate kControls[] = {
    PreviewBox(kPreviewBox1, "图片框1", 2),
    PreviewBox(kPreviewBox2, "图片框2", 160),
    PreviewBox(kPreviewBox3, "图片框3", 319),
    LoadButton(kLoadButton1, "按钮1", 26).On(kEventClicked, &LoadButton1Clicked),
    LoadButton(kLoadButton2, "按钮2", 184).On(kEventClicked, &LoadButton2Clicked),
    LoadButton(kLoadButton3, "按钮3", 342).On(kEventClicked, &LoadButton3Clicked),
    u::Label(kReminderLabel, "标签1")
        .At(27, 224, 336, 24)
        .Caption(kReminderText)
        .TextColour(0xff00ff),
};

// Built at first use: a sanitized build cannot fold a handler's address in a constant expression.
WindowTemplate BuildSkinWindow() {
  return u::Window(kSkinWindowId, kSkinWindowUnit, "窗口1")
      .At(50, 50, 484, 285)
      .Border(2)
      .ControlBox(true)
      .MinButton(true)
      .MaxButton(false)
      .Position(1)
      .Movable(true)
      .Controls(kControls)
      .On(kEventCreated, &SkinWindowCreated)
      .On(kEventDestroying, &SkinWindowDestroying);
}

}  // namespace

void SkinWindowDestroying() { EmptySkinSlots(); }

const WindowTemplate& SkinWindowTemplate() {
  static const WindowTemplate window = BuildSkinWindow();
  return window;
}

}  // namespace lq
