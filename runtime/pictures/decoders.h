// One decoder per picture format. Each takes the whole file's bytes and gives a picture, or
// nothing when the data cannot be decoded; none reads outside the bytes it is given, and none
// allocates for a picture larger than DimensionsAllowed() lets through.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "runtime/pictures/picture.h"

namespace lq::pictures {

using Bytes = std::span<const std::uint8_t>;

// The icon or cursor image a picture box shows.
inline constexpr int kPictureBoxIconSize = 32;

// JPEG through libjpeg: kBgr24BottomUp. Grey pictures give three equal bytes a pixel; CMYK and
// YCCK pictures are converted to colour; other component counts and truncated data give nothing.
std::optional<Picture> DecodeJpeg(Bytes data);

// PNG through libpng's simplified reader: kBgra32TopDown.
std::optional<Picture> DecodePng(Bytes data);

// Uncompressed BMP of 1, 4, 8, 24 or 32 bits a pixel: kBgr24BottomUp, the right way up whichever
// order the file stores its rows in. Palette indices beyond the colour table are black.
std::optional<Picture> DecodeBmp(Bytes data);

// The image of an icon (type 1) or cursor (type 2) file: the first entry `preferred_size` pixels
// wide with 16 colours or more, else the last entry.
std::optional<IconImage> ChooseIconImage(Bytes data, int preferred_size);

// Icons and cursors for a picture box: kIconResource with the chosen image.
std::optional<Picture> DecodeIconFile(Bytes data, int preferred_size = kPictureBoxIconSize);

// The first frame of a GIF on its logical screen: kBgra32TopDown, alpha 0 where the frame leaves
// the screen uncovered or is transparent (drawn as the box's background).
std::optional<Picture> DecodeGifStill(Bytes data);

// PCX of 8 bits (kIndexed8TopDown with its palette) or 1 bit (kMono1TopDown) on one plane. Files
// with more than one plane give nothing.
std::optional<Picture> DecodePcx(Bytes data);

// Recognises the format and runs its decoder.
std::optional<Picture> DecodePicture(Bytes data);

}  // namespace lq::pictures
