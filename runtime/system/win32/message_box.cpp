#include "runtime/system/win32/message_box.h"

#include "runtime/platform/code_pages.h"

namespace lq {

int ShowMessageBox(const Text& content, std::uint32_t style, const Text& caption, HWND parent) {
  const std::wstring text = GbkToWide(content.view());
  const std::wstring title =
      GbkToWide(caption.empty() ? std::string_view(kDefaultMessageBoxCaption) : caption.view());
  if (parent != nullptr && !IsWindow(parent)) parent = nullptr;
  const int pressed = MessageBoxW(parent, text.c_str(), title.c_str(), MessageBoxStyle(style));
  return MessageBoxButtonNumber(pressed);
}

int ShowMessageBox(const Value& content, std::uint32_t style, const Text& caption, HWND parent) {
  return ShowMessageBox(MessageBoxContentText(content), style, caption, parent);
}

}  // namespace lq
