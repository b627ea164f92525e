// Icon handles built from icon and cursor files: for picture boxes, tray icons and window icons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "runtime/pictures/picture.h"
#include "runtime/platform/unique_handle.h"

namespace lq::pictures {

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
