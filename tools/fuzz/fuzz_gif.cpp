// GIF: the still picture, then every frame in turn as an animation draws them, and round again.
#include <cstddef>
#include <cstdint>

#include "runtime/pictures/decoders.h"
#include "runtime/pictures/gif.h"
#include "tools/fuzz/fuzz_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lq::pictures::Bytes bytes(data, size);
  if (lq::fuzz::HugeGifScreen(bytes)) return 0;
  (void)lq::pictures::DecodeGifStill(bytes);
  if (auto stream = lq::pictures::ParseGif(bytes)) {
    const std::size_t frames = stream->frames.size();
    lq::pictures::GifCanvas canvas(bytes, std::move(*stream));
    for (std::size_t i = 0; i <= frames; ++i) {
      canvas.DrawFrame(frames == 0 ? 0 : i % frames);
    }
  }
  return 0;
}
