// How fast a JPEG preview becomes a drawable picture (decode, blue-green-red, bottom row first,
// padded rows) compared with libjpeg's own scanline loop on the same data in the same run.
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "runtime/pictures/decoders.h"
#include "runtime/pictures/pixel_buffer.h"
#include "tests/pictures/fixtures.h"

namespace {

using Clock = std::chrono::steady_clock;
using lq::pictures::fixtures::Bytes;

// Create, read the header, start, read every scanline into one row buffer, finish, destroy.
std::size_t PlainLibjpeg(const Bytes& data) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  std::vector<unsigned char> row(static_cast<std::size_t>(cinfo.output_width) *
                                 cinfo.output_components);
  std::size_t sum = 0;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW p = row.data();
    jpeg_read_scanlines(&cinfo, &p, 1);
    sum += row[0];
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return sum;
}

std::size_t Ours(const Bytes& data) {
  const auto picture = lq::pictures::DecodeJpeg(data);
  return picture ? picture->pixels[0] : 0;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Median of `rounds` timings of `repeat` decodes each, alternating the two decoders.
void Compare(const char* name, int width, int height, int repeat, int rounds) {
  const Bytes jpeg = lq::pictures::fixtures::EncodeJpeg(width, height, 3, 85);
  std::vector<double> plain, ours;
  std::size_t sink = 0;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    for (int i = 0; i < repeat; ++i) {
      sink += PlainLibjpeg(jpeg);
    }
    plain.push_back(Seconds(Clock::now() - start) / repeat);
    start = Clock::now();
    for (int i = 0; i < repeat; ++i) {
      sink += Ours(jpeg);
    }
    ours.push_back(Seconds(Clock::now() - start) / repeat);
  }
  // Once more with no kept buffer: the first picture of its size takes fresh pages.
  lq::pictures::pixel_pool::Clear();
  const auto start = Clock::now();
  sink += Ours(jpeg);
  const double cold = Seconds(Clock::now() - start);
  std::sort(plain.begin(), plain.end());
  std::sort(ours.begin(), ours.end());
  const double p = plain[plain.size() / 2], o = ours[ours.size() / 2];
  const double megapixels = width * double(height) / 1e6;
  std::printf(
      "%-10s %9zu bytes  libjpeg loop %7.2f ms (%6.1f MP/s)  DecodeJpeg %7.2f ms "
      "(%6.1f MP/s)  speed %.2fx  first of its size %7.2f ms%s\n",
      name, jpeg.size(), p * 1e3, megapixels / p, o * 1e3, megapixels / o, p / o, cold * 1e3,
      sink == 0 ? " (no output)" : "");
}

}  // namespace

int main() {
  std::printf(
      "JPEG decoding into the drawn layout vs a plain jpeg_read_scanlines loop "
      "(median of 9 rounds)\n");
  Compare("600x400", 600, 400, 40, 9);
  Compare("1920x1080", 1920, 1080, 6, 9);
  return 0;
}
