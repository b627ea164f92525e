// Recognition of a picture's format by its first 8 bytes.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/pictures/picture.h"

namespace lq::pictures {

// The kind named by the first bytes, tested in a fixed order; kNone for anything else and for
// data of fewer than 8 bytes. Nothing past the first 8 bytes is looked at.
PictureKind RecognizePicture(std::span<const std::uint8_t> data);

}  // namespace lq::pictures
