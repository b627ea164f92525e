// The picture of a picture box: decoded once when it is set, drawn on every repaint in the box's
// background colour and display mode, and, for an animated GIF, played on a thread of its own.
//
// All members are called on the thread that owns the box's window. The playback thread only
// composes frames and invalidates the window; Paint() draws its latest frame.
//
// Memory: a picture, or an animation's data, screen and one saved area, stays within
// kMaxPictureBytes; what is over it is refused as the decoders refuse a picture over the size
// limit. While a GIF plays its still is let go (the screen shows the frames) and decoded again when
// the playback stops. Drawing blends pixels with alpha a band of rows at a time.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "runtime/commands/values.h"
#include "runtime/pictures/decode_result.h"
#include "runtime/pictures/geometry.h"
#include "runtime/pictures/gif.h"
#include "runtime/pictures/picture.h"
#include "runtime/pictures/win32/icon_handle.h"
#include "runtime/platform/thread.h"

namespace lq::pictures {

// The colour value that stands for the system's button-face colour.
inline constexpr std::uint32_t kButtonFaceColour = 0xff000000;

// The RGB value of a colour property: kButtonFaceColour becomes the current button-face colour.
COLORREF ResolveColour(std::uint32_t colour);

class PictureBoxRenderer {
 public:
  // `window` (may be null) is invalidated whenever what the box shows changes.
  explicit PictureBoxRenderer(HWND window = nullptr);
  ~PictureBoxRenderer();
  PictureBoxRenderer(const PictureBoxRenderer&) = delete;
  PictureBoxRenderer& operator=(const PictureBoxRenderer&) = delete;

  // Releases the current picture (stopping its playback first), then decodes the new one. Empty
  // bytes only remove the picture; bytes that cannot be decoded, or running out of memory, leave
  // the box without one (the reason goes to the debug log).
  void SetPicture(const ByteSet& bytes);
  void SetPicture(std::span<const std::uint8_t> bytes);
  // 0 top-left at the picture's size, 1 stretched over the box, 2 centred and shrunk to fit;
  // other values are clamped into 0 to 2.
  void SetDisplayMode(std::int32_t mode);
  // Animated GIFs play while this is true. An animation over the memory limit removes the picture.
  void SetAnimate(bool animate);
  // A Windows RGB value, or kButtonFaceColour.
  void SetBackground(std::uint32_t colour);

  bool HasPicture() const { return picture_.has_value(); }
  // Why the last picture set is not shown; kNone when it is (or when none was set).
  DecodeFailure failure() const { return failure_; }
  // The bytes the current picture holds: pixels, and for a GIF its data, screen and saved area.
  std::size_t HeldBytes() const;
  PictureKind kind() const { return picture_ ? picture_->kind : PictureKind::kNone; }
  std::int32_t picture_width() const { return picture_ ? picture_->width : 0; }
  std::int32_t picture_height() const { return picture_ ? picture_->height : 0; }
  bool Playing() const { return static_cast<bool>(player_); }
  // How many frames the playback thread has composed since the picture was set.
  std::uint64_t FramesPlayed() const { return frames_played_.load(); }

  // Fills `client` with the background colour, then draws the picture (or the latest frame of
  // its animation) at the rectangle that the display mode gives.
  void Paint(HDC dc, const RECT& client);

 private:
  void Invalidate();
  void ReleasePicture();
  void Refuse(DecodeFailure failure);
  void Decode(std::span<const std::uint8_t> bytes);
  void StartPlayback();
  void StopPlayback(bool restore_still);
  void DropScreen(bool restore_still);
  void Play();
  void DrawBgra(HDC dc, const DestinationRect& rect, std::int32_t width, std::int32_t height,
                std::span<const std::uint8_t> bgra, COLORREF background);

  std::atomic<HWND> window_;
  DisplayMode mode_ = DisplayMode::kTopLeft;
  bool animate_ = false;
  std::uint32_t background_ = kButtonFaceColour;

  std::optional<Picture> picture_;
  DecodeFailure failure_ = DecodeFailure::kNone;
  UniqueIcon icon_;
  // A GIF of more than one frame: its whole data, kept for playback, and its frame list.
  std::vector<std::uint8_t> gif_data_;
  std::optional<GifStream> gif_stream_;
  std::vector<std::uint8_t> blended_;  // one band of rows blended over the background

  platform::Thread player_;
  std::mutex frame_mutex_;  // guards the fields below, shared with the playback thread
  std::condition_variable stop_signal_;
  bool stop_ = false;
  std::optional<GifCanvas> canvas_;  // the animation's screen, drawn by Paint() while it plays
  std::atomic<std::uint64_t> frames_played_{0};
};

}  // namespace lq::pictures
