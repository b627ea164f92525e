#include "runtime/pictures/win32/picture_box_renderer.h"

#include <algorithm>
#include <cstring>

#include "runtime/pictures/decoders.h"

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

PictureBoxRenderer::~PictureBoxRenderer() { StopPlayback(); }

void PictureBoxRenderer::SetWindow(HWND window) { window_ = window; }

void PictureBoxRenderer::Invalidate() {
  if (HWND window = window_.load()) {
    InvalidateRect(window, nullptr, FALSE);
  }
}

void PictureBoxRenderer::ReleasePicture() {
  StopPlayback();
  picture_.reset();
  icon_.reset();
  gif_data_.clear();
  gif_stream_.reset();
}

void PictureBoxRenderer::SetPicture(const ByteSet& bytes) {
  SetPicture(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
}

void PictureBoxRenderer::SetPicture(std::span<const std::uint8_t> bytes) {
  ReleasePicture();
  if (!bytes.empty()) {
    picture_ = DecodePicture(bytes);
  }
  if (picture_ && picture_->layout == PixelLayout::kIconResource) {
    icon_ = CreateIconFromImage(picture_->icon);
    if (!icon_) {
      picture_.reset();
    }
  }
  if (picture_ && picture_->kind == PictureKind::kGif) {
    gif_data_.assign(bytes.begin(), bytes.end());
    gif_stream_ = ParseGif(gif_data_);
    if (animate_) {
      StartPlayback();
    }
  }
  Invalidate();
}

void PictureBoxRenderer::SetDisplayMode(std::int32_t mode) {
  mode_ = DisplayModeFromValue(mode);
  Invalidate();
}

void PictureBoxRenderer::SetAnimate(bool animate) {
  animate_ = animate;
  if (animate_) {
    StartPlayback();
  } else {
    StopPlayback();
  }
  Invalidate();
}

void PictureBoxRenderer::SetBackground(std::uint32_t colour) {
  background_ = colour;
  Invalidate();
}

void PictureBoxRenderer::StartPlayback() {
  // A single frame has nothing to play: the still shows it.
  if (player_.joinable() || !gif_stream_ || gif_stream_->frames.size() < 2) {
    return;
  }
  stop_ = false;
  frames_played_ = 0;
  player_ = std::thread([this] { Play(); });
}

void PictureBoxRenderer::StopPlayback() {
  if (!player_.joinable()) {
    return;
  }
  {
    std::lock_guard lock(frame_mutex_);
    stop_ = true;
  }
  stop_signal_.notify_all();
  player_.join();
  std::lock_guard lock(frame_mutex_);
  frame_.clear();
}

void PictureBoxRenderer::Play() {
  try {
    GifCanvas canvas(gif_data_, *gif_stream_);
    const auto& frames = gif_stream_->frames;
    for (std::size_t index = 0;; index = (index + 1) % frames.size()) {
      canvas.DrawFrame(index);
      std::unique_lock lock(frame_mutex_);
      frame_ = canvas.pixels();
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
  } catch (...) {
    // Out of memory while composing: the animation ends and the still stays.
  }
}

void PictureBoxRenderer::DrawBgra(HDC dc, const DestinationRect& rect, std::int32_t width,
                                  std::int32_t height, std::span<const std::uint8_t> bgra,
                                  COLORREF background) {
  blended_.resize(bgra.size());
  BlendOverBackground(bgra, ToBgr(background), blended_);
  DrawDib(dc, rect, width, height, 32, true, blended_.data());
}

void PictureBoxRenderer::Paint(HDC dc, const RECT& client) {
  const COLORREF background = ResolveColour(background_);
  if (background_ == kButtonFaceColour) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
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
  if (player_.joinable()) {
    std::lock_guard lock(frame_mutex_);
    if (!frame_.empty()) {
      DrawBgra(dc, rect, picture.width, picture.height, frame_, background);
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
