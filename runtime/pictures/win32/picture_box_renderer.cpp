#include "runtime/pictures/win32/picture_box_renderer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

#include "runtime/pictures/decoders.h"
#include "runtime/platform/unique_handle.h"

namespace lq::pictures {
namespace {

struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

// A DIB of the given bits a pixel; `palette` holds 4 bytes an entry as RGBQUAD does.
void DrawDib(HDC dc, const DestinationRect& rect, std::int32_t width, std::int32_t height,
             int bit_count, bool top_down, const void* bits,
             std::span<const std::uint8_t> palette = {}) {
  if (rect.width <= 0 || rect.height <= 0) {
    return;
  }
  DibInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = top_down ? -height : height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bit_count);
  info.header.biCompression = BI_RGB;
  const std::size_t entries = std::min<std::size_t>(palette.size() / 4, 256);
  info.header.biClrUsed = static_cast<DWORD>(entries);
  if (entries > 0) {
    std::memcpy(info.colours, palette.data(), entries * 4);
  }
  StretchDIBits(dc, rect.x, rect.y, rect.width, rect.height, 0, 0, width, height, bits,
                reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
}

Bgr ToBgr(COLORREF colour) { return {GetBValue(colour), GetGValue(colour), GetRValue(colour)}; }

}  // namespace

COLORREF ResolveColour(std::uint32_t colour) {
  return colour == kButtonFaceColour ? GetSysColor(COLOR_BTNFACE) : (colour & 0xffffff);
}

PictureBoxRenderer::PictureBoxRenderer(HWND window) : window_(window) {}

PictureBoxRenderer::~PictureBoxRenderer() { StopPlayback(false); }

void PictureBoxRenderer::Invalidate() {
  if (HWND window = window_.load()) {
    InvalidateRect(window, nullptr, FALSE);
  }
}

void PictureBoxRenderer::ReleasePicture() {
  StopPlayback(false);
  picture_.reset();
  icon_.Reset();
  std::vector<std::uint8_t>().swap(gif_data_);  // its memory too, not only its contents
  gif_stream_.reset();
}

void PictureBoxRenderer::Refuse(DecodeFailure failure) {
  ReleasePicture();
  failure_ = failure;
  ReportDecodeFailure("picture box", failure);
}

std::size_t PictureBoxRenderer::HeldBytes() const {
  std::size_t bytes = gif_data_.capacity();
  if (picture_) {
    bytes += picture_->pixels.capacity() + picture_->palette.capacity() +
             picture_->icon.bytes.capacity();
  }
  if (canvas_) {
    bytes += canvas_->HeldBytes();
  }
  return bytes;
}

void PictureBoxRenderer::SetPicture(const ByteSet& bytes) {
  SetPicture(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
}

void PictureBoxRenderer::SetPicture(std::span<const std::uint8_t> bytes) {
  ReleasePicture();
  failure_ = DecodeFailure::kNone;
  if (!bytes.empty()) {
    try {
      Decode(bytes);
    } catch (const std::bad_alloc&) {
      Refuse(DecodeFailure::kOutOfMemory);
    } catch (const std::system_error&) {  // no playback thread could be started
      Refuse(DecodeFailure::kOutOfMemory);
    }
  }
  Invalidate();
}

void PictureBoxRenderer::Decode(std::span<const std::uint8_t> bytes) {
  auto decoded = DecodePicture(bytes);
  if (!decoded) {
    Refuse(decoded.failure());
    return;
  }
  picture_ = std::move(*decoded);
  if (picture_->layout == PixelLayout::kIconResource) {
    icon_ = CreateIconFromImage(picture_->icon);
    if (!icon_) {
      Refuse(DecodeFailure::kIconNotCreated);
    }
    return;
  }
  if (picture_->kind != PictureKind::kGif) {
    return;
  }
  auto stream = ParseGif(bytes);
  if (!stream || stream->frames.size() < 2) {
    return;  // a single frame has nothing to play: the still is all there is
  }
  // The data stay for playback beside the still, or beside the screen and saved area.
  const std::int64_t still = static_cast<std::int64_t>(picture_->pixels.size());
  const std::int64_t shown = animate_ ? GifPlaybackBytes(*stream) : still;
  if (static_cast<std::int64_t>(bytes.size()) + shown > kMaxPictureBytes - kPictureBytesReserve) {
    Refuse(DecodeFailure::kTooLarge);
    return;
  }
  gif_data_.assign(bytes.begin(), bytes.end());
  gif_stream_ = std::move(*stream);
  if (animate_) {
    StartPlayback();
  }
}

void PictureBoxRenderer::SetDisplayMode(std::int32_t mode) {
  mode_ = DisplayModeFromValue(mode);
  Invalidate();
}

void PictureBoxRenderer::SetAnimate(bool animate) {
  animate_ = animate;
  try {
    if (animate_) {
      StartPlayback();
    } else {
      StopPlayback(true);
    }
  } catch (const std::bad_alloc&) {
    Refuse(DecodeFailure::kOutOfMemory);
  } catch (const std::system_error&) {
    Refuse(DecodeFailure::kOutOfMemory);
  }
  Invalidate();
}

void PictureBoxRenderer::SetBackground(std::uint32_t colour) {
  background_ = colour;
  Invalidate();
}

void PictureBoxRenderer::StartPlayback() {
  if (player_ || !gif_stream_ || !picture_) {
    return;
  }
  if (static_cast<std::int64_t>(gif_data_.size()) + GifPlaybackBytes(*gif_stream_) >
      kMaxPictureBytes - kPictureBytesReserve) {
    Refuse(DecodeFailure::kTooLarge);
    return;
  }
  // The screen takes the still's place: the still goes first, so that the two are never held at
  // once.
  picture_->pixels = PixelBuffer();
  {
    std::lock_guard lock(frame_mutex_);
    canvas_.emplace(gif_data_, *gif_stream_);
    stop_ = false;
  }
  frames_played_ = 0;
  player_ = platform::Thread::Start([this] { Play(); });
  if (!player_) {
    DropScreen(true);  // no thread to spare: the still again
  }
}

void PictureBoxRenderer::StopPlayback(bool restore_still) {
  if (!player_) {
    return;
  }
  {
    std::lock_guard lock(frame_mutex_);
    stop_ = true;
  }
  stop_signal_.notify_all();
  player_.Join();
  DropScreen(restore_still);
}

void PictureBoxRenderer::DropScreen(bool restore_still) {
  {
    std::lock_guard lock(frame_mutex_);
    canvas_.reset();
  }
  if (restore_still && picture_ && picture_->pixels.empty()) {
    auto still = DecodeGifStill(gif_data_);
    if (!still) {
      Refuse(still.failure());
      return;
    }
    picture_ = std::move(*still);
  }
}

// Draws each frame into the screen under the lock that Paint() takes, so that a repaint never
// sees a frame half drawn; nothing here allocates.
void PictureBoxRenderer::Play() {
  const auto& frames = gif_stream_->frames;
  for (std::size_t index = 0;; index = (index + 1) % frames.size()) {
    std::unique_lock lock(frame_mutex_);
    if (stop_) {
      return;
    }
    canvas_->DrawFrame(index);
    ++frames_played_;
    lock.unlock();
    Invalidate();
    // The frame stays for its delay, counted in steps of 10 milliseconds.
    lock.lock();
    const int steps = (GifFrameDelayMs(frames[index]) + 9) / 10;
    for (int step = 0; step < steps; ++step) {
      if (stop_signal_.wait_for(lock, std::chrono::milliseconds(10), [this] { return stop_; })) {
        return;
      }
    }
  }
}

// Blends a band of rows at a time into a buffer of at most kBlendBand bytes and draws it where
// those rows land; a picture that fits in one band is drawn whole.
void PictureBoxRenderer::DrawBgra(HDC dc, const DestinationRect& rect, std::int32_t width,
                                  std::int32_t height, std::span<const std::uint8_t> bgra,
                                  COLORREF background) {
  constexpr std::size_t kBlendBand = 1024 * 1024;
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
  if (row_bytes == 0 || bgra.size() < row_bytes * height) {
    return;
  }
  const std::int32_t band_rows =
      static_cast<std::int32_t>(std::max<std::size_t>(1, kBlendBand / row_bytes));
  blended_.resize(std::min<std::size_t>(bgra.size(), row_bytes * band_rows));
  for (std::int32_t top = 0; top < height; top += band_rows) {
    const std::int32_t rows = std::min(band_rows, height - top);
    const std::span<std::uint8_t> out(blended_.data(), row_bytes * rows);
    BlendOverBackground(bgra.subspan(row_bytes * top, out.size()), ToBgr(background), out);
    // The destination rows of this band, in proportion when the picture is stretched.
    const std::int64_t y0 = rect.y + std::int64_t{top} * rect.height / height;
    const std::int64_t y1 = rect.y + std::int64_t{top + rows} * rect.height / height;
    if (y1 > y0) {
      DrawDib(
          dc,
          {rect.x, static_cast<std::int32_t>(y0), rect.width, static_cast<std::int32_t>(y1 - y0)},
          width, rows, 32, true, blended_.data());
    }
  }
}

void PictureBoxRenderer::Paint(HDC dc, const RECT& client) {
  const COLORREF background = ResolveColour(background_);
  if (background_ == kButtonFaceColour) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    const UniqueBrush brush(CreateSolidBrush(background));
    FillRect(dc, &client, brush.get());
  }
  if (!picture_) {
    return;
  }
  const Picture& picture = *picture_;
  DestinationRect rect = PictureDestination(mode_, picture.width, picture.height,
                                            client.right - client.left, client.bottom - client.top);
  rect.x += client.left;
  rect.y += client.top;

  const int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  const int old_mode = SetStretchBltMode(dc, depth > 16 ? HALFTONE : COLORONCOLOR);
  POINT old_origin{};
  SetBrushOrgEx(dc, 0, 0, &old_origin);

  bool drawn = false;
  {
    std::lock_guard lock(frame_mutex_);
    if (canvas_) {
      DrawBgra(dc, rect, picture.width, picture.height, canvas_->pixels(), background);
      drawn = true;
    }
  }
  if (!drawn) {
    switch (picture.layout) {
      case PixelLayout::kBgr24BottomUp:
        DrawDib(dc, rect, picture.width, picture.height, 24, false, picture.pixels.data());
        break;
      case PixelLayout::kBgra32TopDown:
        DrawBgra(dc, rect, picture.width, picture.height, picture.pixels, background);
        break;
      case PixelLayout::kIndexed8TopDown:
        DrawDib(dc, rect, picture.width, picture.height, 8, true, picture.pixels.data(),
                picture.palette);
        break;
      case PixelLayout::kMono1TopDown:
        DrawDib(dc, rect, picture.width, picture.height, 1, true, picture.pixels.data(),
                picture.palette);
        break;
      case PixelLayout::kIconResource:
        DrawIconEx(dc, rect.x, rect.y, icon_.get(), rect.width, rect.height, 0, nullptr, DI_NORMAL);
        break;
      case PixelLayout::kNone:
        break;
    }
  }
  SetBrushOrgEx(dc, old_origin.x, old_origin.y, nullptr);
  SetStretchBltMode(dc, old_mode);
}

}  // namespace lq::pictures
