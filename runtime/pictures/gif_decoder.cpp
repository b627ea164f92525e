// GIF: blocks, extensions, LZW-coded frames.
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "runtime/pictures/byte_reader.h"
#include "runtime/pictures/decoders.h"
#include "runtime/pictures/gif.h"

namespace lq::pictures {
namespace {

#pragma pack(push, 1)
struct GifHeader {
  char signature[6];  // "GIF87a" or "GIF89a"
  std::uint16_t screen_width;
  std::uint16_t screen_height;
  std::uint8_t flags;  // bit 7 global colour table; bits 0-2 its size: 2 ^ (n + 1) entries
  std::uint8_t background_index;
  std::uint8_t aspect_ratio;
};
struct GifImageDescriptor {  // after the ',' that introduces it
  std::uint16_t left;
  std::uint16_t top;
  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t flags;  // bit 7 local colour table, bit 6 interlaced, bits 0-2 table size
};
struct GifGraphicControl {  // the first data sub-block of extension 0xf9
  std::uint8_t flags;       // bits 2-4 disposal method, bit 0 transparency
  std::uint16_t delay;      // hundredths of a second
  std::uint8_t transparent_index;
};
#pragma pack(pop)
static_assert(sizeof(GifHeader) == 13);
static_assert(sizeof(GifImageDescriptor) == 9);
static_assert(sizeof(GifGraphicControl) == 4);

constexpr std::uint8_t kImageSeparator = ',';
constexpr std::uint8_t kExtensionIntroducer = '!';
constexpr std::uint8_t kGraphicControlLabel = 0xf9;
constexpr int kMaxLzwBits = 12;

// Skips a chain of data sub-blocks up to and including its zero-length terminator.
bool SkipSubBlocks(ByteReader& reader) {
  for (;;) {
    std::uint8_t length;
    if (!reader.ReadU8(length)) {
      return false;
    }
    if (length == 0) {
      return true;
    }
    if (!reader.Skip(length)) {
      return false;
    }
  }
}

// The codes of a frame, read least significant bit first across its data sub-blocks.
class CodeReader {
 public:
  CodeReader(std::span<const std::uint8_t> data, std::size_t offset) : data_(data), pos_(offset) {}

  bool Read(int size, unsigned& code) {
    while (count_ < size) {
      if (block_left_ == 0) {
        if (pos_ >= data_.size() || data_[pos_] == 0) {
          return false;
        }
        block_left_ = data_[pos_++];
      }
      if (pos_ >= data_.size()) {
        return false;
      }
      bits_ |= std::uint32_t{data_[pos_++]} << count_;
      count_ += 8;
      --block_left_;
    }
    code = bits_ & ((1u << size) - 1);
    bits_ >>= size;
    count_ -= size;
    return true;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_;
  std::size_t block_left_ = 0;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

// Decodes a frame's LZW data, handing each pixel's index to `sink` in stream order until the
// frame is full, the end code comes, the data end or `sink` returns false. A code that the table
// does not hold yet ends the frame too.
template <typename Sink>
void DecodeLzw(std::span<const std::uint8_t> data, std::size_t offset, std::uint64_t pixel_count,
               Sink&& sink) {
  if (offset >= data.size()) {
    return;
  }
  const int min_code_size = data[offset];
  if (min_code_size < 1 || min_code_size >= kMaxLzwBits) {
    return;
  }
  std::array<std::uint16_t, 1 << kMaxLzwBits> prefix;
  std::array<std::uint8_t, 1 << kMaxLzwBits> suffix;
  std::array<std::uint8_t, 1 << kMaxLzwBits> first;
  std::array<std::uint8_t, (1 << kMaxLzwBits) + 1> stack;
  const unsigned clear = 1u << min_code_size;
  const unsigned end = clear + 1;
  for (unsigned i = 0; i < clear; ++i) {
    suffix[i] = first[i] = static_cast<std::uint8_t>(i);
  }
  int code_size = min_code_size + 1;
  unsigned next = clear + 2;
  int previous = -1;
  CodeReader reader(data, offset + 1);
  std::uint64_t emitted = 0;
  unsigned code;
  while (emitted < pixel_count && reader.Read(code_size, code)) {
    if (code == clear) {
      code_size = min_code_size + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == end) {
      return;
    }
    if (previous < 0) {
      if (code > clear) {
        return;
      }
      ++emitted;
      if (!sink(static_cast<std::uint8_t>(code))) {
        return;
      }
      previous = static_cast<int>(code);
      continue;
    }
    if (code > next || (code == next && next >= (1u << kMaxLzwBits))) {
      return;
    }
    const unsigned this_code = code;
    std::size_t depth = 0;
    if (code == next) {  // the string of the previous code and its own first byte
      stack[depth++] = first[previous];
      code = static_cast<unsigned>(previous);
    }
    while (code > clear) {
      stack[depth++] = suffix[code];
      code = prefix[code];
    }
    stack[depth++] = static_cast<std::uint8_t>(code);
    if (next < (1u << kMaxLzwBits)) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = static_cast<std::uint8_t>(code);
      first[next] = first[previous];
      ++next;
      if (next == (1u << code_size) && code_size < kMaxLzwBits) {
        ++code_size;
      }
    }
    while (depth > 0 && emitted < pixel_count) {
      ++emitted;
      if (!sink(stack[--depth])) {
        return;
      }
    }
    previous = static_cast<int>(this_code);
  }
}

}  // namespace

Decoded<GifStream> ParseGif(std::span<const std::uint8_t> data) {
  ByteReader reader(data);
  GifHeader header;
  if (data.size() <= sizeof(GifHeader) || !reader.ReadStruct(header)) {
    return DecodeFailure::kTruncated;
  }
  if (std::memcmp(header.signature, "GIF87a", 6) != 0 &&
      std::memcmp(header.signature, "GIF89a", 6) != 0) {
    return DecodeFailure::kBadHeader;
  }
  GifStream stream;
  stream.width = header.screen_width;
  stream.height = header.screen_height;
  stream.background_index = header.background_index;
  if (!PictureFits(stream.width, stream.height, 32)) {
    return DecodeFailure::kTooLarge;
  }
  std::size_t global_offset = 0;
  std::uint32_t global_entries = 0;
  if (header.flags & 0x80) {
    global_entries = 2u << (header.flags & 7);
    global_offset = reader.position();
    if (!reader.Skip(global_entries * 3)) {
      return DecodeFailure::kBadColourTable;
    }
  }

  GifFrame pending;  // carries the graphic control values to the next frame
  for (;;) {
    std::uint8_t introducer;
    if (!reader.ReadU8(introducer)) {
      break;
    }
    if (introducer == kImageSeparator) {
      GifImageDescriptor descriptor;
      if (!reader.ReadStruct(descriptor)) {
        break;
      }
      GifFrame frame = pending;
      pending = GifFrame{};
      frame.left = descriptor.left;
      frame.top = descriptor.top;
      frame.width = descriptor.width;
      frame.height = descriptor.height;
      frame.interlaced = (descriptor.flags & 0x40) != 0;
      if (descriptor.flags & 0x80) {
        frame.palette_entries = 2u << (descriptor.flags & 7);
        frame.palette_offset = reader.position();
        if (!reader.Skip(frame.palette_entries * 3)) {
          break;
        }
      } else {
        frame.palette_entries = global_entries;
        frame.palette_offset = global_offset;
      }
      frame.data_offset = reader.position();
      if (!reader.Skip(1) || !SkipSubBlocks(reader)) {
        break;
      }
      if (frame.width > kMaxPictureSide || frame.height > kMaxPictureSide ||
          std::int64_t{frame.width} * frame.height > kMaxPicturePixels) {
        break;
      }
      if (frame.disposal == 2 || frame.disposal == 3) {
        const std::int64_t covered =
            std::int64_t{std::max(0, std::min(frame.left + frame.width, stream.width) -
                                         std::min(frame.left, stream.width))} *
            std::max(0, std::min(frame.top + frame.height, stream.height) -
                            std::min(frame.top, stream.height));
        stream.largest_saved_area = std::max(stream.largest_saved_area, covered);
      }
      stream.frames.push_back(frame);
    } else if (introducer == kExtensionIntroducer) {
      std::uint8_t label;
      if (!reader.ReadU8(label)) {
        break;
      }
      const std::size_t start = reader.position();
      if (!SkipSubBlocks(reader)) {
        break;
      }
      if (label == kGraphicControlLabel && data[start] >= sizeof(GifGraphicControl)) {
        GifGraphicControl control;
        std::memcpy(&control, data.data() + start + 1, sizeof(control));
        pending.disposal = static_cast<std::uint8_t>((control.flags >> 2) & 7);
        pending.transparent = (control.flags & 1) != 0;
        pending.transparent_index = control.transparent_index;
        pending.delay = control.delay;
      }
    } else {
      break;  // the trailer ';', a zero byte, or anything else
    }
  }
  return stream;
}

int GifFrameDelayMs(const GifFrame& frame) { return frame.delay == 0 ? 50 : frame.delay * 10; }

std::int64_t GifPlaybackBytes(const GifStream& stream) {
  return (std::int64_t{stream.width} * stream.height + stream.largest_saved_area) * 4;
}

GifCanvas::GifCanvas(std::span<const std::uint8_t> data, GifStream stream)
    : data_(data),
      stream_(std::move(stream)),
      pixels_(static_cast<std::size_t>(stream_.width) * stream_.height * 4, 0) {
  saved_.reserve(static_cast<std::size_t>(stream_.largest_saved_area) * 4);
}

GifCanvas::Area GifCanvas::Clip(const GifFrame& frame) const {
  Area area;
  area.left = std::min(frame.left, stream_.width);
  area.top = std::min(frame.top, stream_.height);
  area.right = std::min(frame.left + frame.width, stream_.width);
  area.bottom = std::min(frame.top + frame.height, stream_.height);
  return area;
}

void GifCanvas::CopyArea(const Area& area, bool save) {
  const std::size_t row_bytes = static_cast<std::size_t>(area.right - area.left) * 4;
  if (row_bytes == 0) {
    return;
  }
  if (save) {
    saved_.resize(row_bytes * (area.bottom - area.top));
  }
  for (std::int32_t y = area.top; y < area.bottom; ++y) {
    std::uint8_t* canvas =
        pixels_.data() + (static_cast<std::size_t>(y) * stream_.width + area.left) * 4;
    std::uint8_t* copy = saved_.data() + (y - area.top) * row_bytes;
    if (save) {
      std::memcpy(copy, canvas, row_bytes);
    } else {
      std::memcpy(canvas, copy, row_bytes);
    }
  }
}

PixelBuffer GifCanvas::TakePixels() {
  stream_.frames.clear();
  saved_area_.reset();
  return std::move(pixels_);
}

void GifCanvas::DrawFrame(std::size_t index) {
  if (saved_area_) {
    CopyArea(*saved_area_, false);
    saved_area_.reset();
  }
  if (index >= stream_.frames.size()) {
    return;
  }
  const GifFrame& frame = stream_.frames[index];
  const Area area = Clip(frame);
  if (frame.disposal == 2 || frame.disposal == 3) {
    CopyArea(area, true);
    saved_area_ = area;
  }

  const std::uint8_t* palette = data_.data() + frame.palette_offset;
  const std::int32_t screen_width = stream_.width;
  const std::int32_t screen_height = stream_.height;
  // Interlaced frames send every 8th row from 0, every 8th from 4, every 4th from 2, then the odd
  // rows.
  static constexpr std::int32_t kPassStart[] = {0, 4, 2, 1};
  static constexpr std::int32_t kPassStep[] = {8, 8, 4, 2};
  int pass = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  auto draw = [&](std::uint8_t pixel) {
    const std::int32_t sx = frame.left + x;
    const std::int32_t sy = frame.top + y;
    if (sx < screen_width && sy < screen_height &&
        !(frame.transparent && pixel == frame.transparent_index)) {
      std::uint8_t* out = pixels_.data() + (static_cast<std::size_t>(sy) * screen_width + sx) * 4;
      if (pixel < frame.palette_entries) {
        out[0] = palette[pixel * 3 + 2];
        out[1] = palette[pixel * 3 + 1];
        out[2] = palette[pixel * 3];
      } else {
        out[0] = out[1] = out[2] = 0;
      }
      out[3] = 255;
    }
    if (++x < frame.width) {
      return true;
    }
    x = 0;
    if (!frame.interlaced) {
      ++y;
      return frame.top + y < screen_height;  // the rest would fall below the screen
    }
    y += kPassStep[pass];
    while (y >= frame.height && pass < 3) {
      ++pass;
      y = kPassStart[pass];
    }
    return y < frame.height;
  };
  DecodeLzw(data_, frame.data_offset, std::uint64_t(frame.width) * frame.height, draw);
}

Decoded<Picture> DecodeGifStill(Bytes data) {
  auto stream = ParseGif(data);
  if (!stream) {
    return stream.failure();
  }
  if (stream->frames.empty()) {
    return DecodeFailure::kNoFrames;
  }
  GifCanvas canvas(data, std::move(*stream));
  canvas.DrawFrame(0);
  Picture picture;
  picture.kind = PictureKind::kGif;
  picture.width = canvas.width();
  picture.height = canvas.height();
  picture.layout = PixelLayout::kBgra32TopDown;
  picture.stride = picture.width * 4;
  // The logical screen may be far larger than the data: no second copy of it.
  picture.pixels = canvas.TakePixels();
  return picture;
}

}  // namespace lq::pictures
