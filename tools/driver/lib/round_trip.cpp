#include "tools/driver/lib/round_trip.h"

#include <vector>

#include "tools/driver/lib/controls.h"

namespace lq::driver {

namespace {

// The visible top-level windows of `thread`, the root of `window` first, each followed by its
// visible descendants: where a mark for painting may be made.
std::vector<HWND> PaintableWindows(HWND window, DWORD thread) {
  std::vector<HWND> tops{GetAncestor(window, GA_ROOT)};
  EnumThreadWindows(
      thread,
      [](HWND w, LPARAM p) -> BOOL {
        auto* found = reinterpret_cast<std::vector<HWND>*>(p);
        if (w != found->front()) found->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tops));
  std::vector<HWND> paintable;
  for (HWND top : tops) {
    if (!IsWindowVisible(top)) continue;
    paintable.push_back(top);
    for (HWND child : Descendants(top)) {
      if (IsWindowVisible(child)) paintable.push_back(child);
    }
  }
  return paintable;
}

// Marks the part of a window that none of its children covers for painting; false when there is
// no such part (or the window is hidden), so nothing is left to paint.
bool MarkForPainting(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
  return GetUpdateRect(window, nullptr, FALSE) != FALSE;
}

}  // namespace

bool RoundTrip(HWND window, DWORD timeoutMs) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread == 0) return false;
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  if (thread != GetCurrentThreadId()) {
    // A mark that goes with its window (closed by a message posted before) is made again on
    // another one.
    HWND marked = nullptr;
    while (true) {
      if (!marked || !IsWindow(marked)) {
        marked = nullptr;
        for (HWND candidate : PaintableWindows(window, thread)) {
          if (MarkForPainting(candidate)) {
            marked = candidate;
            break;
          }
        }
        if (!marked) break;  // nothing shown: the sent message alone
      }
      if (!GetUpdateRect(marked, nullptr, FALSE) && IsWindow(marked)) break;
      if (GetTickCount64() >= until) return false;
      Sleep(2);
    }
  }
  const ULONGLONG now = GetTickCount64();
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL,
                             static_cast<UINT>(now < until ? until - now : 1), &ignored) != 0;
}

}  // namespace lq::driver
