// Picture files made by the tests themselves: JPEG and PNG through libjpeg and libpng, the other
// formats written field by field.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lq::pictures::fixtures {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A deterministic picture: gradients with a little texture, so that the codecs have work to do.
Rgb PatternPixel(int x, int y);

// JPEG of `components` 1 (grey, from the pattern's green), 3 (RGB) or 4 (CMYK, with the inverted
// Adobe marker libjpeg writes), from the pattern.
Bytes EncodeJpeg(int width, int height, int components = 3, int quality = 85,
                 bool progressive = false);
// JPEG of samples `fill` writes a row at a time (top first), each component a byte; `colourSpace`
// is the J_COLOR_SPACE libjpeg is told the samples are in.
using JpegRowFill = std::function<void(int y, std::uint8_t* row)>;
Bytes EncodeJpegRows(int width, int height, int components, int colourSpace,
                     const JpegRowFill& fill, int quality = 85, bool progressive = false);

// PNG through libpng's writer. `rows` holds the file's samples for the colour type and 8-bit
// depth; palette and transparency as the colour type needs.
struct PngInput {
  int width = 0;
  int height = 0;
  int colour_type = 2;  // PNG_COLOR_TYPE_*
  int bit_depth = 8;
  Bytes samples;  // rows top first, packed as the colour type and depth need
  std::vector<Rgb> palette;
  Bytes transparency;  // tRNS for palette images
  bool interlaced = false;
};
Bytes EncodePng(const PngInput& input);

// BMP with a 40-byte info header. `rows` are the file's rows in file order, unpadded.
struct BmpInput {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: rows top first
  std::uint16_t bit_count = 24;
  std::uint32_t compression = 0;
  std::vector<Rgb> colour_table;
  std::uint32_t colours_used = 0;
  std::vector<Bytes> rows;
};
Bytes EncodeBmp(const BmpInput& input);

// An icon or cursor file with one entry per image; each image is a bitmap of 32 bits a pixel
// with an AND mask, of the given size, filled with one colour.
struct IconEntryInput {
  int size = 16;
  std::uint8_t colour_count = 0;
  Rgb colour;
};
Bytes EncodeIconFile(const std::vector<IconEntryInput>& entries, bool cursor = false);

// GIF with a global colour table of 2 ^ (table_bits) entries and the given frames; LZW as
// encoders write it, with growing code sizes and a clear code when the table is full.
struct GifFrameInput {
  int left = 0, top = 0, width = 0, height = 0;
  Bytes indices;  // width x height, rows top first
  bool graphic_control = false;
  int disposal = 0;
  bool transparent = false;
  std::uint8_t transparent_index = 0;
  std::uint16_t delay = 0;
  std::vector<Rgb> local_palette;
  bool interlaced = false;
};
struct GifInput {
  int width = 0, height = 0;
  std::vector<Rgb> global_palette;  // a power of 2 from 2 to 256 entries, or empty
  std::vector<GifFrameInput> frames;
  bool gif87a = false;
};
Bytes EncodeGif(const GifInput& input);
// The LZW data of a frame: the minimum code size byte, sub-blocks, the terminator.
Bytes EncodeGifLzw(const Bytes& indices, int min_code_size);

// PCX of one plane: 8 bits (with a palette after the marker 12 when given) or 1 bit. `lines` hold
// each line's bytes (bytes per line of them), unencoded.
struct PcxInput {
  int width = 0, height = 0;
  int bits = 8;
  int planes = 1;
  int version = 5;
  int bytes_per_line = 0;  // 0: the smallest even count
  std::vector<Bytes> lines;
  std::vector<Rgb> palette;  // 256 entries, or empty for none
};
Bytes EncodePcx(const PcxInput& input);

// One seed of each format, as fuzzing starts from.
struct NamedFile {
  std::string name;
  Bytes bytes;
};
std::vector<NamedFile> SampleFiles();

}  // namespace lq::pictures::fixtures
