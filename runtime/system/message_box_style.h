// What ShowMessageBox adds to the caller's style and how it numbers the pressed button.
#pragma once

#include <cstdint>

namespace lq {

inline constexpr std::uint32_t kMessageBoxSystemModal = 0x1000;
inline constexpr std::uint32_t kMessageBoxTaskModal = 0x2000;

// The caption used when none (or an empty one) is given.
inline constexpr const char* kDefaultMessageBoxCaption = "信息：";

// Button numbers returned by ShowMessageBox.
enum MessageBoxButton : int {
  kButtonNone = -1,  // the box could not be shown
  kButtonOk = 0,
  kButtonCancel = 1,
  kButtonAbort = 2,
  kButtonRetry = 3,
  kButtonIgnore = 4,
  kButtonYes = 5,
  kButtonNo = 6,
};

// Task-modal is added unless the caller asked for system-modal.
inline std::uint32_t MessageBoxStyle(std::uint32_t flags) {
  return (flags & kMessageBoxSystemModal) ? flags : flags | kMessageBoxTaskModal;
}

// The platform's button ids 1 (OK) to 7 (No) become 0 to 6; anything else is kButtonNone.
inline int MessageBoxButtonNumber(int platformId) {
  return platformId >= 1 && platformId <= 7 ? platformId - 1 : kButtonNone;
}

}  // namespace lq
