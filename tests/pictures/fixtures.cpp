#include "tests/pictures/fixtures.h"

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace lq::pictures::fixtures {
namespace {

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

void PngWrite(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void PngFlush(png_structp) {}

}  // namespace

Rgb PatternPixel(int x, int y) {
  const unsigned noise =
      (static_cast<unsigned>(x) * 7919u + static_cast<unsigned>(y) * 104729u) % 23;
  return {static_cast<std::uint8_t>((x * 255 / 97 + noise) & 0xff),
          static_cast<std::uint8_t>((y * 255 / 89 + 3 * noise) & 0xff),
          static_cast<std::uint8_t>(((x + y) * 3 + noise * 5) & 0xff)};
}

Bytes EncodeJpeg(int width, int height, int components, int quality, bool progressive) {
  const int space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  const JpegRowFill pattern = [&](int y, std::uint8_t* row) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = PatternPixel(x, y);
      std::uint8_t* out = row + x * components;
      if (components == 1) {
        out[0] = p.green;
      } else if (components == 3) {
        out[0] = p.red, out[1] = p.green, out[2] = p.blue;
      } else {
        // Inverted CMYK as Adobe writes it: no black, the inks' complements.
        out[0] = p.red, out[1] = p.green, out[2] = p.blue, out[3] = 255;
      }
    }
  };
  return EncodeJpegRows(width, height, components, space, pattern, quality, progressive);
}

Bytes EncodeJpegRows(int width, int height, int components, int colourSpace,
                     const JpegRowFill& fill, int quality, bool progressive) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  cinfo.in_color_space = static_cast<J_COLOR_SPACE>(colourSpace);
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) {
    jpeg_simple_progression(&cinfo);
  }
  jpeg_start_compress(&cinfo, TRUE);
  Bytes row(static_cast<std::size_t>(width) * components);
  for (int y = 0; y < height; ++y) {
    fill(y, row.data());
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&cinfo, &pointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes result(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return result;
}

Bytes EncodePng(const PngInput& input) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png encoding failed");
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, input.width, input.height, input.bit_depth, input.colour_type,
               input.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (const Rgb& c : input.palette) {
    palette.push_back({c.red, c.green, c.blue});
  }
  if (!palette.empty()) {
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  }
  if (!input.transparency.empty()) {
    png_set_tRNS(png, info, input.transparency.data(), static_cast<int>(input.transparency.size()),
                 nullptr);
  }
  png_write_info(png, info);
  if (input.interlaced) {
    png_set_interlace_handling(png);
  }
  const std::size_t row_bytes = png_get_rowbytes(png, info);
  std::vector<png_bytep> rows(input.height);
  for (int y = 0; y < input.height; ++y) {
    rows[y] = const_cast<png_bytep>(input.samples.data() + y * row_bytes);
  }
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes EncodeBmp(const BmpInput& input) {
  const std::uint32_t table = static_cast<std::uint32_t>(input.colour_table.size()) * 4;
  Bytes rows;
  for (const Bytes& row : input.rows) {
    rows.insert(rows.end(), row.begin(), row.end());
    while (rows.size() % 4 != 0) {
      rows.push_back(0);
    }
  }
  Bytes out;
  out.push_back('B');  // type
  out.push_back('M');
  Put32(out, 14 + 40 + table + static_cast<std::uint32_t>(rows.size()));  // file size
  Put32(out, 0);                                                          // reserved
  Put32(out, 14 + 40 + table);                                            // pixel data offset
  Put32(out, 40);                                                         // info header size
  Put32(out, static_cast<std::uint32_t>(input.width));                    // width
  Put32(out, static_cast<std::uint32_t>(input.height));  // height, negative for top-down
  Put16(out, 1);                                         // planes
  Put16(out, input.bit_count);                           // bits per pixel
  Put32(out, input.compression);                         // compression
  Put32(out, static_cast<std::uint32_t>(rows.size()));   // image size
  Put32(out, 2835);                                      // pixels per metre, x
  Put32(out, 2835);                                      // pixels per metre, y
  Put32(out, input.colours_used);                        // colours used
  Put32(out, 0);                                         // colours important
  for (const Rgb& c : input.colour_table) {              // colour table: blue, green, red, 0
    out.insert(out.end(), {c.blue, c.green, c.red, 0});
  }
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

Bytes EncodeIconFile(const std::vector<IconEntryInput>& entries, bool cursor) {
  std::vector<Bytes> images;
  for (const IconEntryInput& e : entries) {
    Bytes image;
    Put32(image, 40);          // header size
    Put32(image, e.size);      // width
    Put32(image, e.size * 2);  // height: colour rows and mask rows
    Put16(image, 1);           // planes
    Put16(image, 32);          // bits per pixel
    Put32(image, 0);           // compression
    Put32(image, 0);           // image size
    Put32(image, 0);
    Put32(image, 0);
    Put32(image, 0);                             // colours used
    Put32(image, 0);                             // colours important
    for (int i = 0; i < e.size * e.size; ++i) {  // colour rows: blue, green, red, alpha
      image.insert(image.end(), {e.colour.blue, e.colour.green, e.colour.red, 255});
    }
    const int mask_stride = ((e.size + 31) / 32) * 4;
    image.insert(image.end(), static_cast<std::size_t>(mask_stride) * e.size, 0);  // AND mask
    images.push_back(std::move(image));
  }
  Bytes out;
  Put16(out, 0);                                      // reserved
  Put16(out, cursor ? 2 : 1);                         // type
  Put16(out, static_cast<unsigned>(entries.size()));  // count
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const IconEntryInput& e = entries[i];
    out.push_back(static_cast<std::uint8_t>(e.size));          // width (0 = 256)
    out.push_back(static_cast<std::uint8_t>(e.size));          // height
    out.push_back(e.colour_count);                             // colour count
    out.push_back(0);                                          // reserved
    Put16(out, cursor ? 3 : 1);                                // planes, or hotspot x
    Put16(out, cursor ? 5 : 32);                               // bits per pixel, or hotspot y
    Put32(out, static_cast<std::uint32_t>(images[i].size()));  // bytes in resource
    Put32(out, offset);                                        // image offset
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const Bytes& image : images) {
    out.insert(out.end(), image.begin(), image.end());
  }
  return out;
}

Bytes EncodeGifLzw(const Bytes& indices, int min_code_size) {
  Bytes packed;
  std::uint32_t bits = 0;
  int count = 0;
  auto emit = [&](unsigned code, int size) {
    bits |= code << count;
    count += size;
    while (count >= 8) {
      packed.push_back(static_cast<std::uint8_t>(bits));
      bits >>= 8;
      count -= 8;
    }
  };
  const unsigned clear = 1u << min_code_size;
  int size = min_code_size + 1;
  unsigned next = clear + 2;
  std::map<std::pair<unsigned, std::uint8_t>, unsigned> table;
  emit(clear, size);
  if (!indices.empty()) {
    unsigned current = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
      const auto key = std::make_pair(current, indices[i]);
      if (auto found = table.find(key); found != table.end()) {
        current = found->second;
        continue;
      }
      emit(current, size);
      if (next < 4096) {
        table[key] = next;
        if (next == (1u << size)) {
          ++size;
        }
        ++next;
      } else {
        emit(clear, size);
        table.clear();
        size = min_code_size + 1;
        next = clear + 2;
      }
      current = indices[i];
    }
    emit(current, size);
  }
  emit(clear + 1, size);
  if (count > 0) {
    packed.push_back(static_cast<std::uint8_t>(bits));
  }
  Bytes out{static_cast<std::uint8_t>(min_code_size)};
  for (std::size_t pos = 0; pos < packed.size(); pos += 255) {
    const std::size_t n = std::min<std::size_t>(255, packed.size() - pos);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), packed.begin() + pos, packed.begin() + pos + n);
  }
  out.push_back(0);
  return out;
}

namespace {

int TableBits(std::size_t entries) {
  int bits = 1;
  while ((1u << bits) < entries) {
    ++bits;
  }
  return bits;
}

void PutPalette(Bytes& out, const std::vector<Rgb>& palette, int bits) {
  for (std::size_t i = 0; i < (1u << bits); ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{};
    out.insert(out.end(), {c.red, c.green, c.blue});
  }
}

}  // namespace

Bytes EncodeGif(const GifInput& input) {
  const std::string_view signature = input.gif87a ? "GIF87a" : "GIF89a";
  Bytes out(signature.begin(), signature.end());  // signature and version
  Put16(out, input.width);                        // logical screen width
  Put16(out, input.height);                       // logical screen height
  const int global_bits = TableBits(input.global_palette.size());
  out.push_back(input.global_palette.empty()  // flags: global table, its size
                    ? 0
                    : static_cast<std::uint8_t>(0x80 | 0x70 | (global_bits - 1)));
  out.push_back(0);  // background colour index
  out.push_back(0);  // aspect ratio
  if (!input.global_palette.empty()) {
    PutPalette(out, input.global_palette, global_bits);
  }
  for (const GifFrameInput& f : input.frames) {
    if (f.graphic_control) {
      out.insert(out.end(), {'!', 0xf9, 4});  // extension, label, block size
      out.push_back(static_cast<std::uint8_t>((f.disposal << 2) | (f.transparent ? 1 : 0)));
      Put16(out, f.delay);                 // delay, hundredths
      out.push_back(f.transparent_index);  // transparent index
      out.push_back(0);                    // terminator
    }
    out.push_back(',');  // image descriptor
    Put16(out, f.left);
    Put16(out, f.top);
    Put16(out, f.width);
    Put16(out, f.height);
    const int local_bits = TableBits(f.local_palette.size());
    std::uint8_t flags = f.interlaced ? 0x40 : 0;
    if (!f.local_palette.empty()) {
      flags |= static_cast<std::uint8_t>(0x80 | (local_bits - 1));
    }
    out.push_back(flags);  // local table, interlace, size
    if (!f.local_palette.empty()) {
      PutPalette(out, f.local_palette, local_bits);
    }
    const int table_bits = f.local_palette.empty() ? global_bits : local_bits;
    Bytes rows = f.indices;
    if (f.interlaced) {  // rows in the order of the four passes
      rows.clear();
      const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < f.height; y += steps[pass]) {
          rows.insert(rows.end(), f.indices.begin() + y * f.width,
                      f.indices.begin() + (y + 1) * f.width);
        }
      }
    }
    const Bytes lzw = EncodeGifLzw(rows, std::max(2, table_bits));
    out.insert(out.end(), lzw.begin(), lzw.end());
  }
  out.push_back(';');  // trailer
  return out;
}

Bytes EncodePcx(const PcxInput& input) {
  const int row_bytes = (input.width * input.bits + 7) / 8;
  const int line_bytes = input.bytes_per_line != 0 ? input.bytes_per_line : (row_bytes + 1) / 2 * 2;
  Bytes out;
  out.push_back(0x0a);                                      // manufacturer
  out.push_back(static_cast<std::uint8_t>(input.version));  // version
  out.push_back(1);                                         // encoding: run-length
  out.push_back(static_cast<std::uint8_t>(input.bits));     // bits per pixel
  Put16(out, 0);                                            // left
  Put16(out, 0);                                            // top
  Put16(out, input.width - 1);                              // right
  Put16(out, input.height - 1);                             // bottom
  Put16(out, 72);                                           // horizontal dpi
  Put16(out, 72);                                           // vertical dpi
  out.insert(out.end(), 48, 0);                             // EGA palette
  out.push_back(0);                                         // reserved
  out.push_back(static_cast<std::uint8_t>(input.planes));   // planes
  Put16(out, line_bytes);                                   // bytes per line
  Put16(out, 1);                                            // palette info
  Put16(out, 0);                                            // screen size
  Put16(out, 0);
  out.insert(out.end(), 54, 0);            // filler
  for (const Bytes& line : input.lines) {  // runs of up to 63 equal bytes
    for (std::size_t i = 0; i < line.size();) {
      std::size_t run = 1;
      while (i + run < line.size() && line[i + run] == line[i] && run < 63) {
        ++run;
      }
      if (run > 1 || line[i] > 192) {
        out.push_back(static_cast<std::uint8_t>(192 + run));
      }
      out.push_back(line[i]);
      i += run;
    }
  }
  if (!input.palette.empty()) {
    out.push_back(12);  // palette marker
    for (int i = 0; i < 256; ++i) {
      const Rgb c = i < static_cast<int>(input.palette.size()) ? input.palette[i] : Rgb{};
      out.insert(out.end(), {c.red, c.green, c.blue});
    }
  }
  return out;
}

std::vector<NamedFile> SampleFiles() {
  std::vector<NamedFile> files;
  files.push_back({"rgb.jpg", EncodeJpeg(24, 16)});
  files.push_back({"grey.jpg", EncodeJpeg(9, 7, 1)});
  files.push_back({"progressive.jpg", EncodeJpeg(17, 9, 3, 75, true)});
  files.push_back({"cmyk.jpg", EncodeJpeg(8, 8, 4)});

  PngInput rgba{6, 5, PNG_COLOR_TYPE_RGB_ALPHA};
  for (int i = 0; i < 6 * 5; ++i) {
    rgba.samples.insert(rgba.samples.end(),
                        {std::uint8_t(i * 8), 100, std::uint8_t(255 - i), std::uint8_t(i * 9)});
  }
  files.push_back({"rgba.png", EncodePng(rgba)});
  PngInput indexed{7, 3, PNG_COLOR_TYPE_PALETTE};
  indexed.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  indexed.transparency = {255, 128, 0};
  for (int i = 0; i < 7 * 3; ++i) {
    indexed.samples.push_back(static_cast<std::uint8_t>(i % 3));
  }
  files.push_back({"indexed.png", EncodePng(indexed)});

  BmpInput bmp24{3, 2, 24};
  bmp24.rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}};
  files.push_back({"24.bmp", EncodeBmp(bmp24)});
  BmpInput bmp4{5, -2, 4};
  bmp4.colour_table = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}};
  bmp4.colours_used = 3;
  bmp4.rows = {{0x01, 0x23, 0x10}, {0x22, 0x11, 0x00}};
  files.push_back({"4-top-down.bmp", EncodeBmp(bmp4)});
  BmpInput bmp1{9, 2, 1};
  bmp1.colour_table = {{0, 0, 0}, {255, 255, 255}};
  bmp1.rows = {{0xaa, 0x80}, {0x55, 0x00}};
  files.push_back({"1.bmp", EncodeBmp(bmp1)});
  BmpInput fields16{3, 2, 16, 3, {{0, 0xf8, 0}, {0, 0x07, 0xe0}, {0, 0, 0x1f}}};  // masks 565
  fields16.rows = {{0x00, 0xf8, 0xe0, 0x07, 0x1f, 0x00}, {0xff, 0xff, 0x00, 0x00, 0x10, 0x84}};
  files.push_back({"565.bmp", EncodeBmp(fields16)});
  BmpInput rle8{4, 3, 8, 1, {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}}, 3};
  rle8.rows = {{3, 1, 0, 0, 0, 3, 2, 1, 2, 0, 0, 2, 1, 0, 1, 2, 0, 1}};
  files.push_back({"rle8.bmp", EncodeBmp(rle8)});
  BmpInput rle4{5, 2, 4, 2, {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}}, 3};
  rle4.rows = {{5, 0x12, 0, 0, 0, 3, 0x21, 0x10, 0, 1}};
  files.push_back({"rle4.bmp", EncodeBmp(rle4)});

  files.push_back({"two.ico", EncodeIconFile({{16, 16, {255, 0, 0}}, {32, 0, {0, 0, 255}}})});
  files.push_back({"one.cur", EncodeIconFile({{32, 0, {0, 128, 0}}}, true)});

  GifInput gif{8, 6, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}};
  GifFrameInput first{0, 0, 8, 6};
  for (int i = 0; i < 48; ++i) {
    first.indices.push_back(static_cast<std::uint8_t>((i / 3) % 4));
  }
  first.graphic_control = true;
  first.delay = 0;
  GifFrameInput second{2, 1, 3, 3, Bytes(9, 2)};
  second.graphic_control = true;
  second.disposal = 2;
  second.transparent = true;
  second.transparent_index = 0;
  second.delay = 5;
  second.indices[4] = 0;
  GifFrameInput third{1, 1, 4, 4, Bytes(16, 3)};
  third.interlaced = true;
  third.local_palette = {{9, 9, 9}, {200, 100, 50}};
  third.indices[5] = 1;
  gif.frames = {first, second, third};
  files.push_back({"animated.gif", EncodeGif(gif)});

  PcxInput pcx8{5, 3, 8};
  pcx8.lines = {{1, 1, 1, 1, 200, 0}, {2, 3, 4, 5, 6, 0}, {7, 7, 7, 7, 7, 0}};
  for (int i = 0; i < 256; ++i) {
    pcx8.palette.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
  }
  files.push_back({"8.pcx", EncodePcx(pcx8)});
  PcxInput pcx1{10, 2, 1, 1, 3};
  pcx1.lines = {{0xf0, 0xc0}, {0x0f, 0x40}};
  files.push_back({"1.pcx", EncodePcx(pcx1)});
  PcxInput pcx24{3, 2, 8};
  pcx24.planes = 3;
  pcx24.lines = {{255, 0, 9, 0, 0, 255, 9, 0, 0, 0, 9, 0}, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 200, 0}};
  files.push_back({"24.pcx", EncodePcx(pcx24)});
  return files;
}

}  // namespace lq::pictures::fixtures
