// Icon (.ico) and cursor (.cur) files: the directory, the choice of an image, its header.
#include <cstring>

#include "runtime/pictures/byte_reader.h"
#include "runtime/pictures/decoders.h"

namespace lq::pictures {
namespace {

#pragma pack(push, 1)
struct IconDirectory {
  std::uint16_t reserved;  // 0
  std::uint16_t type;      // 1 icon, 2 cursor
  std::uint16_t count;
};
struct IconDirectoryEntry {
  std::uint8_t width;  // 0 means 256
  std::uint8_t height;
  std::uint8_t colour_count;  // 0 for 256 colours or more
  std::uint8_t reserved;
  std::uint16_t planes;     // cursors: hotspot x
  std::uint16_t bit_count;  // cursors: hotspot y
  std::uint32_t bytes_in_resource;
  std::uint32_t image_offset;
};
// The start of an image that is not a PNG: a bitmap info header whose height counts the colour
// rows and the mask rows.
struct IconImageHeader {
  std::uint32_t size;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t planes;
  std::uint16_t bit_count;
};
#pragma pack(pop)
static_assert(sizeof(IconDirectory) == 6);
static_assert(sizeof(IconDirectoryEntry) == 16);
static_assert(sizeof(IconImageHeader) == 16);

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};

// Width and height of the image: from a PNG's header chunk, or from the bitmap info header.
bool ReadImageSize(Bytes image, IconImage& out) {
  if (image.size() >= 24 && std::memcmp(image.data(), kPngSignature, 8) == 0) {
    const std::uint32_t width = BigEndian32(image.data() + 16);
    const std::uint32_t height = BigEndian32(image.data() + 20);
    if (width > 0x7fffffff || height > 0x7fffffff) {
      return false;
    }
    out.width = static_cast<std::int32_t>(width);
    out.height = static_cast<std::int32_t>(height);
    out.bit_count = 32;
    return true;
  }
  IconImageHeader header;
  ByteReader reader(image);
  if (!reader.ReadStruct(header) || header.size < 40 || image.size() < 40) {
    return false;
  }
  out.width = header.width;
  out.height = header.height / 2;
  out.bit_count = header.bit_count;
  return true;
}

}  // namespace

Decoded<IconImage> ChooseIconImage(Bytes data, int preferred_size) {
  ByteReader reader(data);
  IconDirectory directory;
  if (!reader.ReadStruct(directory)) {
    return DecodeFailure::kTruncated;
  }
  if (directory.reserved != 0 || (directory.type != 1 && directory.type != 2) ||
      directory.count == 0) {
    return DecodeFailure::kBadHeader;
  }
  IconDirectoryEntry chosen{};
  for (unsigned i = 0; i < directory.count; ++i) {
    if (!reader.ReadStruct(chosen)) {
      return DecodeFailure::kTruncated;
    }
    if (chosen.width == preferred_size && chosen.colour_count >= 16) {
      break;
    }
  }
  if (!FitsWithin(chosen.image_offset, chosen.bytes_in_resource, data.size())) {
    return DecodeFailure::kTruncated;
  }
  const Bytes image = data.subspan(chosen.image_offset, chosen.bytes_in_resource);
  IconImage icon;
  icon.cursor = directory.type == 2;
  if (!ReadImageSize(image, icon)) {
    return DecodeFailure::kBadHeader;
  }
  // The system's icon holds a colour and a mask bitmap of 32 bits a pixel at most.
  if (!PictureFits(icon.width, icon.height, 64)) {
    return DecodeFailure::kTooLarge;
  }
  if (icon.cursor) {
    icon.hotspot_x = chosen.planes;
    icon.hotspot_y = chosen.bit_count;
  }
  icon.bytes.assign(image.begin(), image.end());
  return icon;
}

Decoded<Picture> DecodeIconFile(Bytes data, int preferred_size) {
  auto icon = ChooseIconImage(data, preferred_size);
  if (!icon) {
    return icon.failure();
  }
  Picture picture;
  picture.kind = icon->cursor ? PictureKind::kCursor : PictureKind::kIcon;
  picture.width = icon->width;
  picture.height = icon->height;
  picture.layout = PixelLayout::kIconResource;
  picture.icon = std::move(*icon);
  return picture;
}

}  // namespace lq::pictures
