#include "tools/driver/lib/pixels.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "tools/driver/lib/controls.h"
#include "tools/driver/lib/round_trip.h"

namespace lq::driver {

std::size_t Pixels::DistinctColours() const {
  return std::unordered_set<std::uint32_t>(rgb.begin(), rgb.end()).size();
}

std::optional<Pixels> CaptureClient(HWND window) {
  if (!IsWindowVisible(window)) return std::nullopt;
  HWND top = GetAncestor(window, GA_ROOT);
  SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  // The program paints on its own thread: wait until no part of the window or its controls is
  // left to paint.
  std::vector<HWND> painted = Descendants(top);
  painted.push_back(top);
  const ULONGLONG until = GetTickCount64() + kRoundTripTimeoutMs;
  while (std::any_of(painted.begin(), painted.end(), [](HWND w) {
    return IsWindowVisible(w) && GetUpdateRect(w, nullptr, FALSE) != FALSE;
  })) {
    if (GetTickCount64() >= until) return std::nullopt;
    Sleep(2);
  }
  // And a round trip: the painting that began is done.
  if (!RoundTrip(window)) return std::nullopt;
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  Pixels p;
  p.width = client.right;
  p.height = client.bottom;
  if (p.width <= 0 || p.height <= 0) return std::nullopt;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = p.width;
  info.bmiHeader.biHeight = -p.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, p.width, p.height, screen, origin.x, origin.y, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, old);
    if (ok) {
      const auto* px = static_cast<const std::uint32_t*>(bits);
      p.rgb.assign(px, px + static_cast<std::size_t>(p.width) * p.height);
      for (auto& c : p.rgb) c &= 0xFFFFFF;  // BGRA in memory is 0x00RRGGBB as a number
    }
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!ok) return std::nullopt;
  return p;
}

bool SaveBmp(const Pixels& p, const std::wstring& path) {
  const int rowBytes = (p.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = p.width;
  info.biHeight = p.height;  // bottom-up rows
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(rowBytes) * p.height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(&file, sizeof(file), 1, f) == 1 && fwrite(&info, sizeof(info), 1, f) == 1;
  std::vector<unsigned char> row(static_cast<std::size_t>(rowBytes), 0);
  for (int y = p.height - 1; ok && y >= 0; --y) {
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t c = p.At(x, y);
      row[x * 3] = static_cast<unsigned char>(c);
      row[x * 3 + 1] = static_cast<unsigned char>(c >> 8);
      row[x * 3 + 2] = static_cast<unsigned char>(c >> 16);
    }
    ok = fwrite(row.data(), row.size(), 1, f) == 1;
  }
  return fclose(f) == 0 && ok;
}

}  // namespace lq::driver
