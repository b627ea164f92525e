// Files no one here wrote, decoded as an independent decoder (ImageMagick) decodes them: PngSuite,
// libjpeg-turbo's test images, and files ImageMagick writes at test time. The list and the
// reference pixels come from conformance/generate.py (run once per test run by a CTest fixture).
// Under Windows, icons and cursors are compared as the system draws them, and one file of each
// format is also drawn in a real picture box and read back from the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/pictures/decoders.h"
#include "runtime/pictures/geometry.h"
#include "tests/pictures/fixtures.h"
#include "tests/pictures/picture_pixels.h"

#ifdef _WIN32
#include "runtime/pictures/win32/icon_handle.h"
#include "runtime/pictures/win32/picture_box_renderer.h"
#include "runtime/platform/unique_handle.h"
#include "tests/pictures/win32/gdi_canvas.h"
#endif

namespace lq::pictures {
namespace {

using fixtures::Bytes;

struct Entry {
  std::string name;
  std::string check;  // rgb, rgb-inverted, rgba, icon or refused
  std::string file;
  std::string reference;
  int width = 0;
  int height = 0;
  int tolerance = 0;
  std::string flags;  // "screen", or for refused files the reason
};

std::string ConformanceDir() {
  const char* dir = std::getenv("LQ_CONFORMANCE_DIR");
  return dir != nullptr ? dir : LQ_CONFORMANCE_DIR;
}

// The generator writes Linux paths; under Wine they lie on drive Z:.
std::string LocalPath(const std::string& path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') {
    return "Z:" + path;
  }
#endif
  return path;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(LocalPath(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Entry> ReadList() {
  std::vector<Entry> entries;
  std::ifstream in(LocalPath(ConformanceDir() + "/files.tsv"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Entry e;
    std::string width, height, tolerance;
    std::getline(fields, e.name, '\t');
    std::getline(fields, e.check, '\t');
    std::getline(fields, e.file, '\t');
    std::getline(fields, e.reference, '\t');
    std::getline(fields, width, '\t');
    std::getline(fields, height, '\t');
    std::getline(fields, tolerance, '\t');
    std::getline(fields, e.flags, '\t');
    e.width = std::atoi(width.c_str());
    e.height = std::atoi(height.c_str());
    e.tolerance = std::atoi(tolerance.c_str());
    entries.push_back(e);
  }
  return entries;
}

struct Rgba {
  int red = 0, green = 0, blue = 0, alpha = 255;
};

Rgba DecodedPixel(const Picture& picture, int x, int y) {
  const fixtures::Rgb rgb = fixtures::PixelAt(picture, x, y);
  const int alpha =
      picture.layout == PixelLayout::kBgra32TopDown ? fixtures::AlphaAt(picture, x, y) : 255;
  return {rgb.red, rgb.green, rgb.blue, alpha};
}

Rgba ReferencePixel(const Bytes& reference, const Entry& e, int x, int y) {
  const std::uint8_t* p = reference.data() + (static_cast<std::size_t>(y) * e.width + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

// Over a background, as the picture box blends it (truncating).
[[maybe_unused]] Rgba Over(Rgba p, Rgba background) {
  auto blend = [&](int colour, int under) {
    return p.alpha == 255 ? colour : (p.alpha * colour + (255 - p.alpha) * under) / 255;
  };
  return {blend(p.red, background.red), blend(p.green, background.green),
          blend(p.blue, background.blue), 255};
}

// The largest difference of a channel, comparing colours weighted by alpha when `with_alpha`.
int Difference(Rgba a, Rgba b, bool with_alpha) {
  if (!with_alpha) {
    return std::max(
        {std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue)});
  }
  auto weighted = [](int colour, int alpha) { return (colour * alpha + 127) / 255; };
  return std::max({std::abs(weighted(a.red, a.alpha) - weighted(b.red, b.alpha)),
                   std::abs(weighted(a.green, a.alpha) - weighted(b.green, b.alpha)),
                   std::abs(weighted(a.blue, a.alpha) - weighted(b.blue, b.alpha)),
                   std::abs(a.alpha - b.alpha)});
}

// What one file's check found: the worst difference and where.
struct Outcome {
  int worst = 0;
  int x = 0, y = 0;
  Rgba got, wanted;
  void Note(Rgba seen, Rgba expected, bool with_alpha, int px, int py) {
    const int difference = Difference(seen, expected, with_alpha);
    if (difference > worst) {
      worst = difference, x = px, y = py, got = seen, wanted = expected;
    }
  }
  friend std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    auto print = [&](const Rgba& p) {
      out << "(" << p.red << "," << p.green << "," << p.blue << "," << p.alpha << ")";
    };
    out << "at " << o.x << "," << o.y << ": ";
    print(o.got);
    out << " for ";
    print(o.wanted);
    return out;
  }
};

// The file decoded: a failure, or a size other than the listed one, is reported and gives
// nothing to compare.
Decoded<Picture> DecodeAtListedSize(const Entry& e, const Bytes& bytes) {
  Decoded<Picture> picture = DecodePicture(bytes);
  EXPECT_TRUE(picture.has_value()) << DecodeFailureName(picture.failure());
  if (picture) {
    EXPECT_EQ(picture->width, e.width);
    EXPECT_EQ(picture->height, e.height);
  }
  return picture;
}

bool HasListedSize(const Decoded<Picture>& picture, const Entry& e) {
  return picture && picture->width == e.width && picture->height == e.height;
}

#ifdef _WIN32
constexpr Rgba kBoxBackground{40, 90, 160, 255};
constexpr COLORREF kBoxColour = RGB(40, 90, 160);

Rgba FromColour(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c), 255}; }

void FillWithBoxColour(testing::GdiCanvas& canvas) {
  const UniqueBrush brush(CreateSolidBrush(kBoxColour));
  const RECT rect = canvas.rect();
  FillRect(canvas.dc(), &rect, brush.get());
}

// The icon the picture box would show, drawn by the system at its size over the background.
Outcome CheckIcon(const Entry& e, const Bytes& bytes, const Bytes& reference) {
  Outcome outcome;
  const Decoded<Picture> picture = DecodeAtListedSize(e, bytes);
  if (!HasListedSize(picture, e)) {
    return outcome;
  }
  UniqueIcon icon = CreateIconFromImage(picture->icon);
  EXPECT_TRUE(static_cast<bool>(icon));
  testing::GdiCanvas canvas(e.width, e.height);
  FillWithBoxColour(canvas);
  DrawIconEx(canvas.dc(), 0, 0, icon.get(), e.width, e.height, 0, nullptr, DI_NORMAL);
  for (int y = 0; y < e.height; ++y) {
    for (int x = 0; x < e.width; ++x) {
      const Rgba expected = Over(ReferencePixel(reference, e, x, y), kBoxBackground);
      outcome.Note(FromColour(canvas.At(x, y)), expected, false, x, y);
    }
  }
  return outcome;
}

struct BoxWindow {
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* renderer =
        reinterpret_cast<PictureBoxRenderer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && renderer != nullptr) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      renderer->Paint(dc, client);
      EndPaint(window, &paint);
      return 0;
    }
    if (message == WM_ERASEBKGND) {
      return 1;
    }
    return DefWindowProcW(window, message, w, l);
  }
};

void Pump(int milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (GetTickCount() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

// Sets the file as the picture of a real window painted by the picture box's renderer in display
// mode 0, then reads the window's pixels back from the screen and compares them with the decoded
// pixels over the background (icons: with the system's drawing of the icon). The window sits in
// the screen's bottom right corner, topmost, away from the windows other tests show at the same
// time; should one pass over it all the same, the screen is read again, a few times at most.
Outcome CheckOnScreen(const Entry& e, const Bytes& bytes) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = BoxWindow::Procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"LqConformanceBox";
  RegisterClassW(&window_class);
  const int width = e.width + 8, height = e.height + 8;
  const int left = GetSystemMetrics(SM_CXSCREEN) - width - 16;
  const int top = GetSystemMetrics(SM_CYSCREEN) - height - 16;
  HWND window =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"LqConformanceBox", L"", WS_POPUP, left,
                      top, width, height, nullptr, nullptr, window_class.hInstance, nullptr);
  EXPECT_NE(window, nullptr);
  PictureBoxRenderer renderer(window);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&renderer));
  renderer.SetBackground(kBoxColour);
  renderer.SetDisplayMode(0);
  renderer.SetPicture(std::span<const std::uint8_t>(bytes));
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);

  // What the box should show: the decoded pixels (or the icon drawn alone) over the background.
  const auto picture = DecodePicture(bytes);
  EXPECT_TRUE(picture.has_value());
  testing::GdiCanvas icon_canvas(e.width, e.height);
  if (picture && picture->layout == PixelLayout::kIconResource) {
    FillWithBoxColour(icon_canvas);
    UniqueIcon icon = CreateIconFromImage(picture->icon);
    DrawIconEx(icon_canvas.dc(), 0, 0, icon.get(), e.width, e.height, 0, nullptr, DI_NORMAL);
  }
  Outcome outcome;
  for (int attempt = 0; picture && attempt < 5; ++attempt) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
    Pump(attempt == 0 ? 300 : 200);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    testing::GdiCanvas screen(width, height);
    HDC screen_dc = GetDC(nullptr);
    BitBlt(screen.dc(), 0, 0, width, height, screen_dc, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen_dc);
    outcome = Outcome();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        Rgba expected = kBoxBackground;
        if (x < e.width && y < e.height) {
          expected = picture->layout == PixelLayout::kIconResource
                         ? FromColour(icon_canvas.At(x, y))
                         : Over(DecodedPixel(*picture, x, y), kBoxBackground);
        }
        outcome.Note(FromColour(screen.At(x, y)), expected, false, x, y);
      }
    }
    if (outcome.worst == 0) {
      break;
    }
  }
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  UnregisterClassW(L"LqConformanceBox", window_class.hInstance);
  return outcome;
}
#endif

Outcome CheckPixels(const Entry& e, const Bytes& bytes, const Bytes& reference) {
  Outcome outcome;
  const Decoded<Picture> picture = DecodeAtListedSize(e, bytes);
  if (!HasListedSize(picture, e)) {
    return outcome;
  }
  for (int y = 0; y < e.height; ++y) {
    for (int x = 0; x < e.width; ++x) {
      Rgba expected = ReferencePixel(reference, e, x, y);
      if (e.check == "rgb-inverted") {
        expected = {255 - expected.red, 255 - expected.green, 255 - expected.blue, 255};
      }
      outcome.Note(DecodedPixel(*picture, x, y), expected, e.check == "rgba", x, y);
    }
  }
  return outcome;
}

TEST(Conformance, EveryFileAsTheIndependentDecoderShowsItOrRefusedOnPurpose) {
  const std::vector<Entry> entries = ReadList();
  ASSERT_GT(entries.size(), 90u) << "no file list in " << ConformanceDir();
  int refused = 0, screens = 0;
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.name);
    const Bytes bytes = ReadFile(e.file);
    ASSERT_FALSE(bytes.empty()) << e.file;
    if (e.check == "refused") {
      const auto picture = DecodePicture(bytes);
      EXPECT_FALSE(picture.has_value());
      EXPECT_STREQ(DecodeFailureName(picture.failure()), e.flags.c_str());
      ++refused;
      continue;
    }
    const Bytes reference = ReadFile(e.reference);
    ASSERT_EQ(reference.size(), static_cast<std::size_t>(e.width) * e.height * 4);
    Outcome outcome;
    if (e.check == "icon") {
#ifdef _WIN32
      outcome = CheckIcon(e, bytes, reference);
#else
      // The pixels of an icon are the system's to make; here only the choice of the image.
      const auto picture = DecodePicture(bytes);
      ASSERT_TRUE(picture.has_value());
      EXPECT_EQ(picture->width, e.width);
      EXPECT_EQ(picture->height, e.height);
#endif
    } else {
      outcome = CheckPixels(e, bytes, reference);
    }
    EXPECT_LE(outcome.worst, e.tolerance) << outcome;
#ifdef _WIN32
    if (e.flags == "screen") {
      const Outcome shown = CheckOnScreen(e, bytes);
      EXPECT_EQ(shown.worst, 0) << "on screen " << shown;
      ++screens;
    }
#endif
  }
  std::printf("%zu files, %d refused on purpose, %d read back from the screen\n", entries.size(),
              refused, screens);
}

}  // namespace
}  // namespace lq::pictures
