// GIF87a and GIF89a streams: the frame list, the LZW decoding of a frame, and a canvas of the
// logical screen that frames are drawn on in turn, as a still picture or an animation shows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "runtime/pictures/decode_result.h"
#include "runtime/pictures/pixel_buffer.h"

namespace lq::pictures {

struct GifFrame {
  std::int32_t left = 0;  // within the logical screen
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool interlaced = false;
  std::size_t palette_offset = 0;  // red, green, blue entries in the data: local or global table
  std::uint32_t palette_entries = 0;
  std::size_t data_offset = 0;  // the LZW minimum code size, then the data sub-blocks
  // From the graphic control extension before the frame, if any.
  std::uint8_t disposal = 0;
  bool transparent = false;
  std::uint8_t transparent_index = 0;
  std::uint16_t delay = 0;  // hundredths of a second
};

struct GifStream {
  std::int32_t width = 0;  // the logical screen
  std::int32_t height = 0;
  std::uint8_t background_index = 0;
  // Every frame whose blocks lie wholly in the data, up to the trailer, a zero byte, a byte that
  // starts no block, or the first block that runs past the end.
  std::vector<GifFrame> frames;
  // The most pixels of the screen that one frame of disposal 2 or 3 covers: what an animation
  // saves at most besides its screen.
  std::int64_t largest_saved_area = 0;
};

// Reads the header, the global colour table and the blocks. Nothing for a header that is not
// GIF87a or GIF89a, a colour table that does not fit, or a logical screen larger than allowed.
Decoded<GifStream> ParseGif(std::span<const std::uint8_t> data);

// What playing the stream holds besides its data: the screen and the largest saved area.
std::int64_t GifPlaybackBytes(const GifStream& stream);

// How long a frame stays: its delay in milliseconds, 50 when the delay is 0.
int GifFrameDelayMs(const GifFrame& frame);

// The logical screen as blue, green, red, alpha rows, top row first. Alpha 0 (where no frame has
// drawn) shows the background colour.
class GifCanvas {
 public:
  // `data` must outlive the canvas. The screen and room for the largest saved area are allocated
  // here, so that drawing frames allocates nothing.
  GifCanvas(std::span<const std::uint8_t> data, GifStream stream);

  // Puts back the area that the previous frame saved (disposal 2 or 3), saves the area this frame
  // covers if its disposal is 2 or 3, then draws it: its transparent index leaves the canvas as
  // it is, indices past its colour table are black.
  void DrawFrame(std::size_t index);

  const GifStream& stream() const { return stream_; }
  std::int32_t width() const { return stream_.width; }
  std::int32_t height() const { return stream_.height; }
  const PixelBuffer& pixels() const { return pixels_; }
  // The screen and the saved area's room.
  std::size_t HeldBytes() const { return pixels_.capacity() + saved_.capacity(); }
  // Hands the canvas's pixels over; the canvas is empty afterwards and draws nothing more.
  PixelBuffer TakePixels();

 private:
  struct Area {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  };
  Area Clip(const GifFrame& frame) const;
  void CopyArea(const Area& area, bool save);

  std::span<const std::uint8_t> data_;
  GifStream stream_;
  PixelBuffer pixels_;
  std::vector<std::uint8_t> saved_;
  std::optional<Area> saved_area_;
};

}  // namespace lq::pictures
