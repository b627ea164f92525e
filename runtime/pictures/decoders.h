// One decoder per picture format. Each takes the whole file's bytes and gives a picture, or the
// reason the data cannot be decoded; none reads outside the bytes it is given, and none allocates
// for a picture larger than PictureFits() lets through.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/pictures/decode_result.h"
#include "runtime/pictures/picture.h"

namespace lq::pictures {

using Bytes = std::span<const std::uint8_t>;

// The icon or cursor image a picture box shows.
inline constexpr int kPictureBoxIconSize = 32;

// JPEG through libjpeg: kBgr24BottomUp. Grey pictures give three equal bytes a pixel; CMYK and
// YCCK pictures are converted to colour; other component counts and truncated data give nothing.
Decoded<Picture> DecodeJpeg(Bytes data);

// PNG through libpng's simplified reader: kBgra32TopDown, sRGB, the file's gamma honoured.
Decoded<Picture> DecodePng(Bytes data);

// BMP of 1, 4, 8, 16, 24 or 32 bits a pixel, with bit-field masks or RLE8/RLE4 compression:
// kBgr24BottomUp, the right way up whichever order the file stores its rows in. Palette indices
// beyond the colour table are black.
Decoded<Picture> DecodeBmp(Bytes data);

// The image of an icon (type 1) or cursor (type 2) file: the first entry `preferred_size` pixels
// wide with 16 colours or more, else the last entry.
Decoded<IconImage> ChooseIconImage(Bytes data, int preferred_size);

// Icons and cursors for a picture box: kIconResource with the chosen image.
Decoded<Picture> DecodeIconFile(Bytes data, int preferred_size = kPictureBoxIconSize);

// The first frame of a GIF on its logical screen: kBgra32TopDown, alpha 0 where the frame leaves
// the screen uncovered or is transparent (drawn as the box's background).
Decoded<Picture> DecodeGifStill(Bytes data);

// PCX of 8 bits (kIndexed8TopDown with its palette) or 1 bit (kMono1TopDown) on one plane, or of
// 8 bits on three planes (kBgr24BottomUp). Other plane counts are refused.
Decoded<Picture> DecodePcx(Bytes data);

// Recognises the format and runs its decoder; an allocation failure is a failure like any other.
Decoded<Picture> DecodePicture(Bytes data);

}  // namespace lq::pictures
