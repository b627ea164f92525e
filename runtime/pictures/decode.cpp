#include "runtime/pictures/decoders.h"
#include "runtime/pictures/recognize.h"

namespace lq::pictures {

std::optional<Picture> DecodePicture(Bytes data) {
  switch (RecognizePicture(data)) {
    case PictureKind::kJpeg:
      return DecodeJpeg(data);
    case PictureKind::kBmp:
      return DecodeBmp(data);
    case PictureKind::kIcon:
    case PictureKind::kCursor:
      return DecodeIconFile(data);
    case PictureKind::kGif:
      return DecodeGifStill(data);
    case PictureKind::kPcx8:
    case PictureKind::kPcx1:
      return DecodePcx(data);
    case PictureKind::kPng:
      return DecodePng(data);
    case PictureKind::kNone:
      break;
  }
  return std::nullopt;
}

}  // namespace lq::pictures
