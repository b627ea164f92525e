#include "tools/demo/preview_picture.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "tools/demo/bitmap_font.h"

namespace lq::demo {
namespace {

constexpr int kDigitScale = 16;  // a digit is 80 x 112 pixels
constexpr int kDigitGap = 2;     // glyph columns between digits, before scaling

Rgb HsvToRgb(double h, double s, double v) {
  const double c = v * s;
  const double hp = h * 6.0;
  const double x = c * (1.0 - std::fabs(std::fmod(hp, 2.0) - 1.0));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(hp) % 6) {
    case 0:
      r = c, g = x;
      break;
    case 1:
      r = x, g = c;
      break;
    case 2:
      g = c, b = x;
      break;
    case 3:
      g = x, b = c;
      break;
    case 4:
      r = x, b = c;
      break;
    default:
      r = c, b = x;
      break;
  }
  const double m = v - c;
  auto byte = [m](double u) { return static_cast<std::uint8_t>(std::lround((u + m) * 255.0)); };
  return {byte(r), byte(g), byte(b)};
}

void FillRect(std::vector<std::uint8_t>& px, int left, int top, int w, int h, Rgb colour) {
  const int x0 = std::max(left, 0), x1 = std::min(left + w, kPreviewWidth);
  const int y0 = std::max(top, 0), y1 = std::min(top + h, kPreviewHeight);
  if (x0 >= x1 || y0 >= y1) {
    return;
  }
  constexpr std::size_t kStride = static_cast<std::size_t>(kPreviewWidth) * 3;
  std::uint8_t* first = &px[y0 * kStride + static_cast<std::size_t>(x0) * 3];
  for (int x = x0; x < x1; ++x) {
    std::uint8_t* p = first + static_cast<std::size_t>(x - x0) * 3;
    p[0] = colour.r, p[1] = colour.g, p[2] = colour.b;
  }
  // The other rows are copies of the first.
  const std::size_t span = static_cast<std::size_t>(x1 - x0) * 3;
  for (int y = y0 + 1; y < y1; ++y) {
    std::memcpy(first + (y - y0) * kStride, first, span);
  }
}

// Draws a decimal number centred horizontally with its top at `top`.
void DrawNumber(std::vector<std::uint8_t>& px, int number, int top, Rgb colour) {
  const std::string digits = std::to_string(number);
  const int count = static_cast<int>(digits.size());
  const int width = (count * kGlyphWidth + (count - 1) * kDigitGap) * kDigitScale;
  int left = (kPreviewWidth - width) / 2;
  for (char d : digits) {
    const std::uint8_t* rows = DigitGlyph(d);
    for (int gy = 0; gy < kGlyphHeight; ++gy) {
      for (int gx = 0; gx < kGlyphWidth; ++gx) {
        if (rows[gy] & (0x10 >> gx)) {
          FillRect(px, left + gx * kDigitScale, top + gy * kDigitScale, kDigitScale, kDigitScale,
                   colour);
        }
      }
    }
    left += (kGlyphWidth + kDigitGap) * kDigitScale;
  }
}

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// A destination that collects the compressed bytes in a vector, a chunk at a time.
struct VectorDestination {
  jpeg_destination_mgr mgr;
  std::vector<std::uint8_t>* out;
  JOCTET chunk[16384];
};

void InitDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  dest->mgr.next_output_byte = dest->chunk;
  dest->mgr.free_in_buffer = sizeof dest->chunk;
}

boolean EmptyDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  dest->out->insert(dest->out->end(), dest->chunk, dest->chunk + sizeof dest->chunk);
  InitDestination(info);
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  dest->out->insert(dest->out->end(), dest->chunk,
                    dest->chunk + (sizeof dest->chunk - dest->mgr.free_in_buffer));
}

// Only trivially destructible locals here: a libjpeg error jumps back into this frame.
bool Compress(const std::uint8_t* rgb, int width, int height, int quality,
              std::vector<std::uint8_t>* out) {
  jpeg_compress_struct info;
  JpegError error;
  VectorDestination dest;
  dest.mgr.init_destination = InitDestination;
  dest.mgr.empty_output_buffer = EmptyDestination;
  dest.mgr.term_destination = TermDestination;
  dest.out = out;
  info.err = jpeg_std_error(&error.mgr);
  error.mgr.error_exit = OnJpegError;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  info.dest = &dest.mgr;
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

Rgb PreviewColour(int champion_index, int slot) {
  // Golden-ratio steps spread neighbouring champions around the hue circle; the slot sets the
  // brightness.
  const double hue = std::fmod(champion_index * 0.6180339887498949, 1.0);
  const double value = slot == 1 ? 0.90 : slot == 2 ? 0.65 : 0.42;
  return HsvToRgb(hue, 0.65, value);
}

std::vector<std::uint8_t> DrawPreview(int champion_index, int slot) {
  const Rgb background = PreviewColour(champion_index, slot);
  std::vector<std::uint8_t> px(static_cast<std::size_t>(kPreviewWidth) * kPreviewHeight * 3);
  FillRect(px, 0, 0, kPreviewWidth, kPreviewHeight, background);
  const int luma = (background.r * 299 + background.g * 587 + background.b * 114) / 1000;
  const Rgb ink = luma > 140 ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
  constexpr int kDigitHeight = kGlyphHeight * kDigitScale;
  constexpr int kTop = (kPreviewHeight - 2 * kDigitHeight - 2 * kDigitScale) / 2;
  DrawNumber(px, champion_index + 1, kTop, ink);
  // A bar between the two numbers tells them apart at a glance.
  FillRect(px, kPreviewWidth / 4, kTop + kDigitHeight + kDigitScale / 2, kPreviewWidth / 2,
           kDigitScale, ink);
  DrawNumber(px, slot, kTop + kDigitHeight + 2 * kDigitScale, ink);
  return px;
}

std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height,
                                     int quality) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    return {};
  }
  std::vector<std::uint8_t> bytes;
  if (!Compress(rgb.data(), width, height, quality, &bytes)) {
    bytes.clear();
  }
  return bytes;
}

}  // namespace lq::demo
