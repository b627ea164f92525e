#include "tools/driver/lib/message_boxes.h"

#include "tools/driver/lib/controls.h"

namespace lq::driver {

std::vector<MessageBoxView> OpenMessageBoxes(const TargetProcess& process) {
  std::vector<MessageBoxView> boxes;
  for (HWND w : process.TopLevelWindows()) {
    if (!IsWindowVisible(w) || ClassOf(w) != L"#32770") continue;
    MessageBoxView view;
    view.box = w;
    // A box is shown before its thread enters the box's message loop; a thread that waited long
    // before showing it (an installation after a stalled download) counts as hung until then.
    view.caption = ReadTextOnceAnswering(w).value_or(L"");
    if (HWND text = GetDlgItem(w, 0xFFFF)) view.text = ReadTextOnceAnswering(text).value_or(L"");
    boxes.push_back(std::move(view));
  }
  return boxes;
}

std::optional<int> MessageBoxButtonId(std::string_view name) {
  static constexpr std::pair<std::string_view, int> kButtons[] = {
      {"ok", IDOK},         {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
      {"ignore", IDIGNORE}, {"yes", IDYES},       {"no", IDNO},
  };
  for (const auto& [n, id] : kButtons) {
    if (n == name) return id;
  }
  return std::nullopt;
}

bool PressMessageBoxButton(HWND box, int buttonId) {
  HWND button = GetDlgItem(box, buttonId);
  if (!button || !IsWindowVisible(button)) return false;
  Click(button);
  return true;
}

}  // namespace lq::driver
