#include <new>

#include "runtime/pictures/decoders.h"
#include "runtime/pictures/recognize.h"

namespace lq::pictures {
namespace {

Decoded<Picture> DecodeByKind(Bytes data) {
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
  return DecodeFailure::kNotRecognised;
}

}  // namespace

Decoded<Picture> DecodePicture(Bytes data) {
  try {
    return DecodeByKind(data);
  } catch (const std::bad_alloc&) {
    return DecodeFailure::kOutOfMemory;
  }
}

}  // namespace lq::pictures
