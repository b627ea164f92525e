// Icon handles built from icon and cursor files: for picture boxes, tray icons and window icons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <utility>

#include "runtime/pictures/picture.h"

namespace lq::pictures {

// Owns an icon or cursor handle; destroys it once.
class UniqueIcon {
 public:
  UniqueIcon() = default;
  UniqueIcon(HICON icon, bool cursor) : icon_(icon), cursor_(cursor) {}
  UniqueIcon(UniqueIcon&& other) noexcept
      : icon_(std::exchange(other.icon_, nullptr)), cursor_(other.cursor_) {}
  UniqueIcon& operator=(UniqueIcon&& other) noexcept {
    if (this != &other) {
      reset();
      icon_ = std::exchange(other.icon_, nullptr);
      cursor_ = other.cursor_;
    }
    return *this;
  }
  UniqueIcon(const UniqueIcon&) = delete;
  UniqueIcon& operator=(const UniqueIcon&) = delete;
  ~UniqueIcon() { reset(); }

  HICON get() const { return icon_; }
  explicit operator bool() const { return icon_ != nullptr; }
  // Gives the handle away; the caller destroys it.
  HICON release() { return std::exchange(icon_, nullptr); }
  void reset();

 private:
  HICON icon_ = nullptr;
  bool cursor_ = false;
};

// Creates the icon (or, for a cursor file's image, the cursor) of the chosen image at the size its
// header states: the version 3.0 resource format first, then, unless the image has 16 bits a
// pixel, the simpler icon-from-resource call once.
UniqueIcon CreateIconFromImage(const IconImage& image);

// The icon of an icon or cursor file for the image chosen by `preferred_size`; none when the file
// cannot be read or the system cannot build the icon.
UniqueIcon CreateIconFromFileBytes(std::span<const std::uint8_t> file, int preferred_size);

// Tray and window icons: a 16-pixel image preferred and, if that gives no icon, a 32-pixel one.
UniqueIcon CreateSmallIconFromFileBytes(std::span<const std::uint8_t> file);

}  // namespace lq::pictures
