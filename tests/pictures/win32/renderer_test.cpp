// The picture box's drawing: background, display modes, each kind of picture, GIF playback, and a
// real window repainted by it.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <thread>

#include "runtime/pictures/win32/picture_box_renderer.h"
#include "tests/pictures/fixtures.h"
#include "tests/pictures/win32/gdi_canvas.h"

namespace lq::pictures {
namespace {

using fixtures::Bytes;
using testing::GdiCanvas;

constexpr COLORREF kBackground = RGB(10, 20, 30);

// A 24-bit BMP of one colour.
Bytes PlainBmp(int width, int height, fixtures::Rgb colour) {
  fixtures::BmpInput input{width, height, 24};
  Bytes row;
  for (int x = 0; x < width; ++x) {
    row.insert(row.end(), {colour.blue, colour.green, colour.red});
  }
  input.rows.assign(height, row);
  return fixtures::EncodeBmp(input);
}

void Paint(PictureBoxRenderer& renderer, GdiCanvas& canvas) {
  const RECT client = canvas.rect();
  renderer.Paint(canvas.dc(), client);
}

void Wait(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

TEST(Renderer, NoPictureShowsOnlyTheBackground) {
  PictureBoxRenderer renderer;
  GdiCanvas canvas(20, 10);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(0, 0), GetSysColor(COLOR_BTNFACE));  // the default: button face
  EXPECT_EQ(ResolveColour(kButtonFaceColour), GetSysColor(COLOR_BTNFACE));
  renderer.SetBackground(kBackground);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(19, 9), kBackground);
}

TEST(Renderer, UndecodableOrEmptyBytesLeaveTheBackground) {
  PictureBoxRenderer renderer;
  renderer.SetBackground(kBackground);
  renderer.SetPicture(PlainBmp(4, 4, {255, 0, 0}));
  ASSERT_TRUE(renderer.HasPicture());
  renderer.SetPicture(ByteSet::FromString("not a picture at all"));
  EXPECT_FALSE(renderer.HasPicture());
  GdiCanvas canvas(8, 8);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(1, 1), kBackground);

  renderer.SetPicture(PlainBmp(4, 4, {255, 0, 0}));
  renderer.SetPicture(ByteSet());
  EXPECT_FALSE(renderer.HasPicture());
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(1, 1), kBackground);

  Bytes compressed = PlainBmp(4, 4, {255, 0, 0});
  compressed[30] = 4;  // a JPEG inside the bitmap
  renderer.SetPicture(compressed);
  EXPECT_FALSE(renderer.HasPicture());
  EXPECT_EQ(renderer.failure(), DecodeFailure::kUnsupportedCompression);
  renderer.SetPicture(PlainBmp(4, 4, {255, 0, 0}));
  EXPECT_EQ(renderer.failure(), DecodeFailure::kNone);
}

TEST(Renderer, BmpAtItsOwnSizeFromTheTopLeft) {
  PictureBoxRenderer renderer;
  renderer.SetBackground(kBackground);
  fixtures::BmpInput input{3, 2, 24};
  input.rows = {{0, 0, 255, 0, 255, 0, 255, 0, 0},         // bottom: red, green, blue
                {255, 255, 255, 0, 0, 0, 128, 128, 128}};  // top: white, black, grey
  renderer.SetPicture(fixtures::EncodeBmp(input));
  ASSERT_EQ(renderer.kind(), PictureKind::kBmp);
  GdiCanvas canvas(6, 4);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(1, 0), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(2, 0), RGB(128, 128, 128));
  EXPECT_EQ(canvas.At(0, 1), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(1, 1), RGB(0, 255, 0));
  EXPECT_EQ(canvas.At(2, 1), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(3, 0), kBackground);
  EXPECT_EQ(canvas.At(0, 2), kBackground);
}

TEST(Renderer, PreviewInItsBoxForEachMode) {
  // A 600 x 400 JPEG in a 155 x 180 box, light against a dark background.
  PictureBoxRenderer renderer;
  renderer.SetBackground(RGB(0, 0, 0));
  renderer.SetPicture(PlainBmp(600, 400, {250, 250, 250}));
  GdiCanvas canvas(155, 180);
  auto lit = [&](int x, int y) { return GetRValue(canvas.At(x, y)) > 200; };

  Paint(renderer, canvas);  // mode 0: the top-left 155 x 180 pixels
  EXPECT_TRUE(lit(0, 0));
  EXPECT_TRUE(lit(154, 179));

  renderer.SetDisplayMode(2);  // scaled by 155 / 600 to 155 x 103 at (0, 38)
  Paint(renderer, canvas);
  EXPECT_FALSE(lit(77, 37));
  EXPECT_TRUE(lit(77, 38));
  EXPECT_TRUE(lit(0, 38));
  EXPECT_TRUE(lit(154, 140));
  EXPECT_FALSE(lit(77, 141));

  renderer.SetDisplayMode(1);  // the whole box
  Paint(renderer, canvas);
  EXPECT_TRUE(lit(0, 0));
  EXPECT_TRUE(lit(154, 179));
  EXPECT_TRUE(lit(77, 90));
}

TEST(Renderer, JpegIsDrawnAsDecoded) {
  PictureBoxRenderer renderer;
  renderer.SetPicture(fixtures::EncodeJpeg(40, 30, 1, 95));
  ASSERT_EQ(renderer.kind(), PictureKind::kJpeg);
  GdiCanvas canvas(40, 30);
  Paint(renderer, canvas);
  for (int y = 0; y < 30; y += 7) {
    for (int x = 0; x < 40; x += 9) {
      const COLORREF c = canvas.At(x, y);
      EXPECT_EQ(GetRValue(c), GetGValue(c));  // grey stays grey
      EXPECT_EQ(GetGValue(c), GetBValue(c));
      EXPECT_NEAR(GetGValue(c), fixtures::PatternPixel(x, y).green, 10);
    }
  }
}

TEST(Renderer, PngAlphaOverTheBackground) {
  fixtures::PngInput input{3, 1, PNG_COLOR_TYPE_RGB_ALPHA};
  input.samples = {200, 100, 50, 0, 200, 100, 50, 255, 200, 100, 50, 128};
  PictureBoxRenderer renderer;
  renderer.SetBackground(kBackground);
  renderer.SetPicture(fixtures::EncodePng(input));
  ASSERT_EQ(renderer.kind(), PictureKind::kPng);
  GdiCanvas canvas(4, 1);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(0, 0), kBackground);
  EXPECT_EQ(canvas.At(1, 0), RGB(200, 100, 50));
  // Alpha 128 over red 10, green 20, blue 30: trunc(128/255 x 200 + 127/255 x 10) = 105, ...
  EXPECT_EQ(canvas.At(2, 0), RGB(105, 60, 40));
  // A new background takes effect at the next repaint.
  renderer.SetBackground(RGB(255, 255, 255));
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));
}

TEST(Renderer, PcxEightAndOneBit) {
  fixtures::PcxInput eight{2, 1, 8};
  eight.lines = {{1, 2}};
  eight.palette.resize(256);
  eight.palette[1] = {10, 200, 30};
  eight.palette[2] = {250, 0, 128};
  PictureBoxRenderer renderer;
  renderer.SetPicture(fixtures::EncodePcx(eight));
  ASSERT_EQ(renderer.kind(), PictureKind::kPcx8);
  GdiCanvas canvas(4, 4);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(0, 0), RGB(10, 200, 30));
  EXPECT_EQ(canvas.At(1, 0), RGB(250, 0, 128));

  fixtures::PcxInput one{4, 2, 1, 1, 3};
  one.lines = {{0b10100000, 0}, {0b01010000, 0}};
  renderer.SetBackground(RGB(0, 0, 255));
  renderer.SetPicture(fixtures::EncodePcx(one));
  ASSERT_EQ(renderer.kind(), PictureKind::kPcx1);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(1, 0), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(3, 3), RGB(0, 0, 255));
}

TEST(Renderer, IconsAtTheirSizeOrStretched) {
  PictureBoxRenderer renderer;
  renderer.SetBackground(kBackground);
  renderer.SetPicture(fixtures::EncodeIconFile({{16, 16, {0, 0, 255}}, {32, 16, {255, 0, 0}}}));
  ASSERT_EQ(renderer.kind(), PictureKind::kIcon);
  EXPECT_EQ(renderer.picture_width(), 32);
  GdiCanvas canvas(64, 64);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(31, 31), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(40, 40), kBackground);
  renderer.SetDisplayMode(1);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(60, 60), RGB(255, 0, 0));

  renderer.SetPicture(fixtures::EncodeIconFile({{32, 0, {0, 128, 0}}}, true));
  EXPECT_EQ(renderer.kind(), PictureKind::kCursor);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(30, 30), RGB(0, 128, 0));
}

// Two full-screen frames, red then blue, with the given delay.
Bytes RedBlueGif(std::uint16_t delay) {
  fixtures::GifInput input{4, 4, {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 0, 0}}};
  fixtures::GifFrameInput red{0, 0, 4, 4, Bytes(16, 1)};
  red.graphic_control = true;
  red.delay = delay;
  fixtures::GifFrameInput blue{0, 0, 4, 4, Bytes(16, 2)};
  blue.graphic_control = true;
  blue.delay = delay;
  input.frames = {red, blue};
  return fixtures::EncodeGif(input);
}

TEST(Renderer, GifStillShowsTheFirstFrame) {
  PictureBoxRenderer renderer;
  renderer.SetPicture(RedBlueGif(0));
  ASSERT_EQ(renderer.kind(), PictureKind::kGif);
  EXPECT_FALSE(renderer.Playing());
  GdiCanvas canvas(4, 4);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(2, 2), RGB(255, 0, 0));
}

// A GIF whose second frame, of disposal 2, covers `saved` x `saved` pixels of a `side` x `side`
// screen.
Bytes LargeGif(int side, int saved) {
  fixtures::GifInput input{side, side, {{0, 0, 0}, {255, 0, 0}}};
  fixtures::GifFrameInput first{0, 0, 2, 2, Bytes(4, 1)};
  fixtures::GifFrameInput second{0, 0, saved, saved,
                                 Bytes(static_cast<std::size_t>(saved) * saved, 1)};
  second.graphic_control = true;
  second.disposal = 2;
  input.frames = {first, second};
  return fixtures::EncodeGif(input);
}

TEST(Renderer, AnimationHoldsItsScreenAndOneSavedAreaOnly) {
  const Bytes gif = LargeGif(1000, 500);
  const std::size_t screen = 1000 * 1000 * 4, saved = 500 * 500 * 4;
  PictureBoxRenderer renderer;
  renderer.SetPicture(gif);
  EXPECT_EQ(renderer.HeldBytes(), gif.size() + screen);  // the data and the still
  renderer.SetAnimate(true);
  ASSERT_TRUE(renderer.Playing());
  Wait(200);
  EXPECT_EQ(renderer.HeldBytes(), gif.size() + screen + saved);  // no still, no copy of frames
  renderer.SetAnimate(false);
  EXPECT_EQ(renderer.HeldBytes(), gif.size() + screen);
  GdiCanvas canvas(4, 4);
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(1, 1), RGB(255, 0, 0));  // the still is back
}

TEST(Renderer, AnimationOverTheMemoryLimitIsRefused) {
  // 3500 x 3500 x 4 bytes of screen fit alone; with 3000 x 3000 x 4 saved they do not.
  const Bytes gif = LargeGif(3500, 3000);
  PictureBoxRenderer renderer;
  renderer.SetPicture(gif);
  EXPECT_TRUE(renderer.HasPicture());
  renderer.SetAnimate(true);
  EXPECT_FALSE(renderer.HasPicture());
  EXPECT_EQ(renderer.failure(), DecodeFailure::kTooLarge);
  renderer.SetPicture(gif);  // set while animate is on
  EXPECT_FALSE(renderer.HasPicture());
  EXPECT_EQ(renderer.HeldBytes(), 0u);
}

// Starts `gif` playing and returns the milliseconds until `frames` frames were shown, or -1 when
// they were not within 10 s. Frames never come faster than their delays, however busy the machine
// is, so the time measures the delays from below; a slow machine only makes it longer.
std::int64_t MillisecondsToPlay(const Bytes& gif, std::uint64_t frames) {
  const auto start = std::chrono::steady_clock::now();
  PictureBoxRenderer renderer;
  renderer.SetAnimate(true);
  renderer.SetPicture(gif);
  EXPECT_TRUE(renderer.Playing());
  for (int i = 0; i < 1000 && renderer.FramesPlayed() < frames; ++i) {
    Wait(10);
  }
  if (renderer.FramesPlayed() < frames) {
    return -1;
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

TEST(Renderer, GifDelaysAreHundredthsAndZeroPlaysAtFiftyMilliseconds) {
  // Five frames of delay 0 take four times 50 ms (a delay taken as 0 would take none); three of
  // 20 hundredths take twice 200 ms (taken as milliseconds, 40 ms).
  EXPECT_GE(MillisecondsToPlay(RedBlueGif(0), 5), 200);
  EXPECT_GE(MillisecondsToPlay(RedBlueGif(20), 3), 400);
}

TEST(Renderer, AnimationShowsItsLatestFrameAndStopsWhenSwitchedOff) {
  PictureBoxRenderer renderer;
  renderer.SetPicture(RedBlueGif(5));
  renderer.SetAnimate(true);
  ASSERT_TRUE(renderer.Playing());
  GdiCanvas canvas(4, 4);
  bool saw_blue = false;
  for (int i = 0; i < 100 && !saw_blue; ++i) {
    Paint(renderer, canvas);
    saw_blue = canvas.At(1, 1) == RGB(0, 0, 255);
    Wait(10);
  }
  EXPECT_TRUE(saw_blue);
  renderer.SetAnimate(false);
  EXPECT_FALSE(renderer.Playing());
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(1, 1), RGB(255, 0, 0));  // the still again
  // Replacing the picture stops playback before the old one goes.
  renderer.SetAnimate(true);
  EXPECT_TRUE(renderer.Playing());
  renderer.SetPicture(PlainBmp(2, 2, {0, 255, 0}));
  EXPECT_FALSE(renderer.Playing());
  Paint(renderer, canvas);
  EXPECT_EQ(canvas.At(1, 1), RGB(0, 255, 0));
}

TEST(Renderer, DestroyingWhilePlayingJoinsTheThread) {
  for (int i = 0; i < 5; ++i) {
    PictureBoxRenderer renderer;
    renderer.SetAnimate(true);
    renderer.SetPicture(RedBlueGif(100));  // a second a frame: the wait is interrupted
  }
  SUCCEED();
}

// A plain window whose WM_PAINT draws through a renderer.
struct PaintedWindow {
  PictureBoxRenderer* renderer = nullptr;
  int paints = 0;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<PaintedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && self != nullptr) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      self->renderer->Paint(dc, client);
      EndPaint(window, &paint);
      ++self->paints;
      return 0;
    }
    if (message == WM_ERASEBKGND) {
      return 1;
    }
    return DefWindowProcW(window, message, w, l);
  }
};

void PumpFor(int milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (GetTickCount() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

TEST(Renderer, RepaintsARealWindow) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = PaintedWindow::Procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"LqPictureTestBox";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(0, L"LqPictureTestBox", L"", WS_POPUP | WS_VISIBLE, 50, 50, 155,
                                180, nullptr, nullptr, window_class.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  PictureBoxRenderer renderer(window);
  PaintedWindow painted{&renderer};
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&painted));
  renderer.SetBackground(RGB(0, 0, 0));
  renderer.SetDisplayMode(2);
  renderer.SetPicture(PlainBmp(600, 400, {250, 250, 250}));
  PumpFor(200);
  EXPECT_GE(painted.paints, 1);

  GdiCanvas canvas(155, 180);
  canvas.CopyFrom(window);
  EXPECT_EQ(canvas.At(77, 20), RGB(0, 0, 0));
  EXPECT_GT(GetRValue(canvas.At(77, 90)), 200);
  EXPECT_EQ(canvas.At(77, 160), RGB(0, 0, 0));

  // An animation invalidates the window for every frame.
  renderer.SetPicture(RedBlueGif(0));
  renderer.SetAnimate(true);
  const int before = painted.paints;
  PumpFor(400);
  EXPECT_GE(painted.paints - before, 2);
  renderer.SetAnimate(false);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  UnregisterClassW(L"LqPictureTestBox", window_class.hInstance);
}

}  // namespace
}  // namespace lq::pictures
