// The skin window: three previews of the skins in the three skin slots, a "载入" button under each
// and a reminder line. Its template and its handlers.
#pragma once

#include "runtime/forms/window_template.h"

namespace lq {

inline constexpr WindowId kSkinWindowId = 0x5201005c;
inline constexpr UnitId kSkinWindowUnit = 0x0601005b;

// Slot k (1..3) belongs to picture box k and load button k.
inline constexpr UnitId kPreviewBox1 = 0x1601005d;    // 图片框1
inline constexpr UnitId kPreviewBox2 = 0x16010096;    // 图片框2
inline constexpr UnitId kPreviewBox3 = 0x16010098;    // 图片框3
inline constexpr UnitId kLoadButton1 = 0x1601006b;    // 按钮1
inline constexpr UnitId kLoadButton2 = 0x16010097;    // 按钮2
inline constexpr UnitId kLoadButton3 = 0x16010099;    // 按钮3
inline constexpr UnitId kReminderLabel = 0x160100ad;  // 标签1

inline constexpr const char* kLoadCaption = "载入";
inline constexpr const char* kReminderText = "提醒：载入新皮肤会卸载之前载入过的皮肤哦！";

// Event 2, the window is being destroyed (whoever closed it): empties the three slots.
void SkinWindowDestroying();

// The skin window's template (constant data, valid for the whole program).
const WindowTemplate& SkinWindowTemplate();

}  // namespace lq
