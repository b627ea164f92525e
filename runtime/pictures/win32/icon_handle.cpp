#include "runtime/pictures/win32/icon_handle.h"

#include <vector>

#include "runtime/pictures/decoders.h"

namespace lq::pictures {

UniqueIcon CreateIconFromImage(const IconImage& image) {
  constexpr DWORD kResourceFormat = 0x00030000;
  // A cursor resource starts with its hotspot; the file keeps it in the directory entry.
  std::vector<BYTE> resource;
  if (image.cursor) {
    const WORD hotspot[2] = {image.hotspot_x, image.hotspot_y};
    resource.assign(reinterpret_cast<const BYTE*>(hotspot),
                    reinterpret_cast<const BYTE*>(hotspot) + sizeof(hotspot));
  }
  resource.insert(resource.end(), image.bytes.begin(), image.bytes.end());
  const BOOL is_icon = image.cursor ? FALSE : TRUE;
  const auto size = static_cast<DWORD>(resource.size());
  HICON icon = CreateIconFromResourceEx(resource.data(), size, is_icon, kResourceFormat,
                                        image.width, image.height, LR_DEFAULTCOLOR);
  if (icon == nullptr && image.bit_count != 16) {
    icon = CreateIconFromResource(resource.data(), size, is_icon, kResourceFormat);
  }
  return UniqueIcon(icon);
}

UniqueIcon CreateIconFromFileBytes(std::span<const std::uint8_t> file, int preferred_size) {
  const auto image = ChooseIconImage(file, preferred_size);
  if (!image) {
    return {};
  }
  return CreateIconFromImage(*image);
}

UniqueIcon CreateSmallIconFromFileBytes(std::span<const std::uint8_t> file) {
  if (auto icon = CreateIconFromFileBytes(file, 16)) {
    return icon;
  }
  return CreateIconFromFileBytes(file, 32);
}

}  // namespace lq::pictures
