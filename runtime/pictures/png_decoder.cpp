// PNG through libpng's simplified reader: 8-bit blue, green, red, alpha, top row first.
#include <png.h>

#include "runtime/pictures/decoders.h"

namespace lq::pictures {

std::optional<Picture> DecodePng(Bytes data) {
  if (data.empty()) {
    return std::nullopt;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) {
    return std::nullopt;  // the reader frees itself on failure
  }
  if (!DimensionsAllowed(image.width, image.height)) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_BGRA;
  Picture picture;
  picture.kind = PictureKind::kPng;
  picture.width = static_cast<std::int32_t>(image.width);
  picture.height = static_cast<std::int32_t>(image.height);
  picture.layout = PixelLayout::kBgra32TopDown;
  picture.stride = picture.width * 4;
  picture.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  png_image_free(&image);
  return picture;
}

}  // namespace lq::pictures
