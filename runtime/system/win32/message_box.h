// ShowMessageBox: a message box on the calling thread, waiting for the user's answer.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/commands/values.h"
#include "runtime/system/message_box_content.h"
#include "runtime/system/message_box_style.h"

namespace lq {

// Shows `content` with the platform's style bits `style` (buttons, icon, default button); the box
// is task-modal unless `style` asks for system-modal. An empty caption means "信息：". Returns the
// pressed button as a MessageBoxButton number (OK 0 ... No 6). Texts are GBK.
int ShowMessageBox(const Text& content, std::uint32_t style = 0, const Text& caption = Text(),
                   HWND parent = nullptr);
// The same for content of any kind, shown as MessageBoxContentText gives it.
int ShowMessageBox(const Value& content, std::uint32_t style = 0, const Text& caption = Text(),
                   HWND parent = nullptr);
inline int ShowMessageBox(const char* content, std::uint32_t style = 0,
                          const Text& caption = Text(), HWND parent = nullptr) {
  return ShowMessageBox(Text(content), style, caption, parent);
}

}  // namespace lq
