#include "runtime/pictures/recognize.h"

namespace lq::pictures {
namespace {

std::uint16_t Word(std::span<const std::uint8_t> d, int index) {
  return static_cast<std::uint16_t>(d[2 * index] | (d[2 * index + 1] << 8));
}

}  // namespace

PictureKind RecognizePicture(std::span<const std::uint8_t> data) {
  if (data.size() < 8) {
    return PictureKind::kNone;
  }
  const auto d = data.first(8);
  if (d[0] == 'B' && d[1] == 'M') {
    return PictureKind::kBmp;
  }
  if (d[0] == 0xff && d[1] == 0xd8) {
    return PictureKind::kJpeg;
  }
  if (d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') {
    return PictureKind::kPng;
  }
  if (Word(d, 0) == 0 && Word(d, 1) == 1 && Word(d, 2) > 0) {
    return PictureKind::kIcon;
  }
  if (Word(d, 0) == 0 && Word(d, 1) == 2 && Word(d, 2) > 0) {
    return PictureKind::kCursor;
  }
  if (d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8' && (d[4] == '7' || d[4] == '9') &&
      d[5] == 'a') {
    return PictureKind::kGif;
  }
  // PCX: manufacturer 0x0a, version, encoding, bits per pixel.
  if (d[0] == 0x0a && d[1] <= 5 && d[2] == 1 && d[3] == 8) {
    return PictureKind::kPcx8;
  }
  if (d[0] == 0x0a && d[1] == 3 && d[2] == 1 && d[3] == 1) {
    return PictureKind::kPcx1;
  }
  return PictureKind::kNone;
}

}  // namespace lq::pictures
