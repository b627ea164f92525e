// The skin window as the user sees it open, under Wine against the local download host serving the
// demo content (run_skin_window_bench.sh starts both):
//
//   skin_window_bench.exe [rounds, default 5]
//
// Starts LOLQuillet.exe with a LOCALAPPDATA of its own and, in each round, opens one champion's
// window twice: first with nothing kept, then again with its previews kept in the user's folder.
// For each opening it times, from the click on the champion button, the window's own face painted
// (the magenta reminder line on the screen) and the three boxes painted with their pictures (the
// screen's pixels against the decoded previews), polling the screen as fast as it can. Then it
// opens every champion's window once and reports what the user's preview folder holds.
//
// Prints one line per opening, the medians, and the folder's size.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "runtime/pictures/decoders.h"
#include "runtime/system/http_read.h"
#include "skins/catalogue.h"
#include "skins/skin_window.h"
#include "tools/driver/lib/controls.h"
#include "tools/driver/lib/target_process.h"

namespace {

namespace fs = std::filesystem;
using lq::pictures::Picture;

constexpr const char* kChampion = "时间刺客";
constexpr DWORD kOpeningLimitMs = 15000;

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

fs::path HostPath(const char* linux_path) {
  std::string path = linux_path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return fs::path("Z:" + path);
}

// The colour of a decoded preview's pixel as 0xRRGGBB (the previews decode bottom-up, BGR).
std::uint32_t PixelOf(const Picture& picture, int x, int y) {
  const std::uint8_t* p = picture.pixels.data() +
                          static_cast<std::size_t>(picture.height - 1 - y) * picture.stride + x * 3;
  return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

bool Near(std::uint32_t a, std::uint32_t b) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) >
        2) {
      return false;
    }
  }
  return true;
}

// One capture of a screen rectangle, reused from poll to poll.
class ScreenGrab {
 public:
  ScreenGrab() : screen_(GetDC(nullptr)), memory_(CreateCompatibleDC(screen_)) {}
  ~ScreenGrab() {
    if (bitmap_) DeleteObject(bitmap_);
    DeleteDC(memory_);
    ReleaseDC(nullptr, screen_);
  }

  bool Take(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    if (width != width_ || height != height_) {
      if (bitmap_) DeleteObject(bitmap_);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = width;
      info.bmiHeader.biHeight = -height;  // top-down
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      bitmap_ = CreateDIBSection(screen_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      bits_ = static_cast<const std::uint32_t*>(bits);
      width_ = width;
      height_ = height;
      if (!bitmap_) return false;
    }
    origin_ = {area.left, area.top};
    HGDIOBJ old = SelectObject(memory_, bitmap_);
    const bool ok = BitBlt(memory_, 0, 0, width, height, screen_, area.left, area.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory_, old);
    return ok;
  }
  // 0xRRGGBB at a screen point inside the last capture.
  std::uint32_t At(int x, int y) const {
    return bits_[static_cast<std::size_t>(y - origin_.y) * width_ + (x - origin_.x)] & 0xFFFFFF;
  }

 private:
  HDC screen_;
  HDC memory_;
  HBITMAP bitmap_ = nullptr;
  const std::uint32_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
  POINT origin_{};
};

RECT ScreenRect(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  POINT origin{0, 0};
  ClientToScreen(control, &origin);
  return {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

// The box shows the picture from its top-left corner: sampled points have the picture's colour.
bool BoxShows(const ScreenGrab& grab, const RECT& box, const Picture& picture) {
  const int width = std::min<int>(box.right - box.left, picture.width);
  const int height = std::min<int>(box.bottom - box.top, picture.height);
  for (int y = 0; y < height; y += 9) {
    for (int x = 0; x < width; x += 9) {
      if (!Near(grab.At(box.left + x, box.top + y), PixelOf(picture, x, y))) return false;
    }
  }
  return true;
}

// The reminder line is drawn in magenta.
bool LabelPainted(const ScreenGrab& grab, const RECT& label) {
  for (int y = label.top; y < label.bottom; ++y) {
    for (int x = label.left; x < label.right; ++x) {
      const std::uint32_t c = grab.At(x, y);
      if ((c >> 16) > 200 && ((c >> 8) & 0xff) < 80 && (c & 0xff) > 200) return true;
    }
  }
  return false;
}

class Bench {
 public:
  explicit Bench(lq::driver::TargetProcess& program) : program_(program) {}

  HWND Find(std::uint32_t id) const {
    return lq::driver::FindControl(program_.TopLevelWindows(), id);
  }

  bool WaitMainWindow() {
    const double start = NowMs();
    while (NowMs() - start < 30000) {
      if (HWND last = Find(lq::GridButtonId(8, 19)); last && IsWindowVisible(Find(lq::kPageTab))) {
        return true;
      }
      Sleep(20);
    }
    return false;
  }

  HWND SkinWindow() const {
    for (HWND top : program_.TopLevelWindows()) {
      if (IsWindowVisible(top) && lq::driver::FindControl({top}, lq::kLoadButton1)) return top;
    }
    return nullptr;
  }

  struct Opening {
    double visible = -1;  // the window is visible
    double face = -1;     // its reminder line is on the screen
    double boxes = -1;    // the three boxes show their pictures
    int polls = 0;        // screen captures taken after the window showed
  };

  // Clicks the champion's button and times the window until its boxes show `pictures` (a box
  // whose picture is missing is not waited for); then closes the window.
  std::optional<Opening> Open(const lq::ChampionEntry& champion,
                              const std::vector<std::optional<Picture>>& pictures) {
    HWND tab = Find(lq::kPageTab);
    std::string how;
    if (!lq::driver::SelectTab(program_, tab, champion.page, &how)) {
      std::printf("cannot select page %d: %s\n", champion.page, how.c_str());
      return std::nullopt;
    }
    HWND button = Find(lq::GridButtonId(champion.page, champion.position));
    if (!button) return std::nullopt;
    Opening opening;
    HWND window = nullptr;
    RECT area{}, label{}, boxes[3]{};
    ScreenGrab grab;
    const double start = NowMs();
    lq::driver::Click(button);
    while (NowMs() - start < kOpeningLimitMs) {
      if (!window) {
        window = SkinWindow();
        if (!window) continue;
        opening.visible = NowMs() - start;
        GetWindowRect(window, &area);
        label = ScreenRect(lq::driver::FindControl({window}, lq::kReminderLabel));
        const std::uint32_t ids[3] = {lq::kPreviewBox1, lq::kPreviewBox2, lq::kPreviewBox3};
        for (int i = 0; i < 3; ++i)
          boxes[i] = ScreenRect(lq::driver::FindControl({window}, ids[i]));
      }
      if (!grab.Take(area)) continue;
      ++opening.polls;
      const double seen = NowMs() - start;
      if (opening.face < 0 && LabelPainted(grab, label)) opening.face = seen;
      bool all = opening.face >= 0;
      for (int i = 0; i < 3 && all; ++i) {
        all = !pictures[i] || BoxShows(grab, boxes[i], *pictures[i]);
      }
      if (all) {
        opening.boxes = seen;
        break;
      }
    }
    if (window) {
      lq::driver::CloseAsUser(window);
      const double closing = NowMs();
      while (SkinWindow() && NowMs() - closing < 10000) Sleep(5);
    }
    if (opening.boxes < 0) {
      std::printf("the window of %d did not show its previews (visible %.1f, face %.1f)\n",
                  champion.index, opening.visible, opening.face);
      return std::nullopt;
    }
    return opening;
  }

 private:
  lq::driver::TargetProcess& program_;
};

std::vector<std::optional<Picture>> HostPictures(const lq::ChampionEntry& champion) {
  std::vector<std::optional<Picture>> pictures;
  for (const lq::SkinRecord& skin : champion.skins) {
    std::optional<Picture> picture;
    if (!skin.preview_url.empty()) {
      const lq::HttpReadResult answer = lq::HttpReadWithStatus(skin.preview_url);
      auto decoded = lq::pictures::DecodeJpeg(
          std::span<const std::uint8_t>(answer.body.data(), answer.body.size()));
      if (answer.status == 200 && decoded) picture = std::move(*decoded);
    }
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

struct FolderSize {
  std::uint64_t bytes = 0;
  int files = 0;
};
FolderSize SizeOf(const fs::path& folder) {
  FolderSize size;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) {
      size.bytes += entry.file_size();
      ++size.files;
    }
  }
  return size;
}

void Empty(const fs::path& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) fs::remove(entry.path(), error);
}

// Waits until the folder holds `files` files (what the program keeps after an opening is
// written on its own threads).
bool WaitFiles(const fs::path& folder, int files) {
  const double start = NowMs();
  while (NowMs() - start < 10000) {
    if (SizeOf(folder).files >= files) return true;
    Sleep(10);
  }
  return false;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  const fs::path app_data =
      fs::path(temp) / (L"lq-skin-window-bench-" + std::to_wstring(GetCurrentProcessId()));
  std::error_code ignored;
  fs::remove_all(app_data, ignored);
  fs::create_directories(app_data);
  const fs::path kept = app_data / L"LOLQuillet" / L"previews";
  SetEnvironmentVariableW(L"LOCALAPPDATA", app_data.c_str());

  const fs::path exe = HostPath(LQ_PROGRAM_EXE);
  std::string error;
  auto program = lq::driver::TargetProcess::Start(exe.native(), L"", L"", &error);
  if (!program) {
    std::printf("%s\n", error.c_str());
    return 1;
  }
  Bench bench(*program);
  if (!bench.WaitMainWindow()) {
    std::printf("the main window did not show\n");
    return 1;
  }

  const lq::ChampionEntry* champion = nullptr;
  for (const lq::ChampionEntry& entry : lq::Catalogue()) {
    if (entry.caption.view() == kChampion) champion = &entry;
  }
  const auto pictures = HostPictures(*champion);
  std::set<std::string> urls;
  for (const lq::SkinRecord& skin : champion->skins)
    urls.insert(std::string(skin.preview_url.view()));

  std::vector<double> first_face, first_boxes, second_face, second_boxes, ratios;
  // A first opening ever warms the program's own code paths.
  if (!bench.Open(*champion, pictures) || !WaitFiles(kept, static_cast<int>(urls.size()))) return 1;
  for (int round = 1; round <= rounds; ++round) {
    Empty(kept);
    const auto first = bench.Open(*champion, pictures);
    if (!first || !WaitFiles(kept, static_cast<int>(urls.size()))) return 1;
    const auto second = bench.Open(*champion, pictures);
    if (!second) return 1;
    std::printf(
        "round %d  first: visible %.1f face %.1f boxes %.1f ms  second: visible %.1f face %.1f "
        "boxes %.1f ms (a capture every %.1f ms)\n",
        round, first->visible, first->face, first->boxes, second->visible, second->face,
        second->boxes, (second->boxes - second->visible) / std::max(1, second->polls));
    first_face.push_back(first->face);
    first_boxes.push_back(first->boxes);
    second_face.push_back(second->face);
    second_boxes.push_back(second->boxes);
    ratios.push_back(second->boxes / second->face);
  }
  std::printf("medians over %d rounds, from the click:\n", rounds);
  std::printf("  first opening:  window %.1f ms, three previews %.1f ms (%.2fx)\n",
              Median(first_face), Median(first_boxes), Median(first_boxes) / Median(first_face));
  std::printf(
      "  second opening: window %.1f ms, three previews %.1f ms (%.2fx; median of the "
      "rounds %.2fx; target 1.10)\n",
      Median(second_face), Median(second_boxes), Median(second_boxes) / Median(second_face),
      Median(ratios));

  // Every champion's window once, from an empty folder.
  Empty(kept);
  std::set<std::string> all_urls;
  for (const lq::ChampionEntry& entry : lq::Catalogue()) {
    if (!bench.Open(entry, HostPictures(entry))) return 1;
    for (const lq::SkinRecord& skin : entry.skins) {
      if (!skin.preview_url.empty()) all_urls.insert(std::string(skin.preview_url.view()));
    }
  }
  WaitFiles(kept, static_cast<int>(all_urls.size()));
  const FolderSize size = SizeOf(kept);
  std::printf("after all %zu champions: %d files, %llu bytes (%.2f MiB) for %zu previews\n",
              lq::Catalogue().size(), size.files, static_cast<unsigned long long>(size.bytes),
              static_cast<double>(size.bytes) / (1 << 20), all_urls.size());
  program.reset();
  fs::remove_all(app_data, ignored);
  return 0;
}
