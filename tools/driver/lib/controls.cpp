#include "tools/driver/lib/controls.h"

#include <commctrl.h>

namespace lq::driver {

namespace {

bool WaitForSelection(HWND tab, int index, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (SelectedTab(tab) != index) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

// Memory in the program's process, for messages that carry a pointer which must be valid there;
// freed when the object goes.
class RemoteBuffer {
 public:
  RemoteBuffer(const TargetProcess& process, SIZE_T size)
      : process_(process.handle()),
        at_(static_cast<char*>(
            VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
  ~RemoteBuffer() {
    if (at_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  // The address `offset` bytes into the buffer, as the program sees it.
  char* at(SIZE_T offset = 0) const { return at_ ? at_ + offset : nullptr; }
  bool Write(SIZE_T offset, const void* bytes, SIZE_T size) const {
    SIZE_T done = 0;
    return at_ && WriteProcessMemory(process_, at_ + offset, bytes, size, &done) && done == size;
  }
  bool Read(SIZE_T offset, void* bytes, SIZE_T size) const {
    SIZE_T done = 0;
    return at_ && ReadProcessMemory(process_, at_ + offset, bytes, size, &done) && done == size;
  }
  // Sends `message` to `window` with the buffer's address as lParam; true when the window
  // answered with a result other than 0.
  bool Send(HWND window, UINT message, WPARAM wParam) const {
    DWORD_PTR result = 0;
    return at_ &&
           SendMessageTimeoutW(window, message, wParam, reinterpret_cast<LPARAM>(at_),
                               SMTO_ABORTIFHUNG, 3000, &result) &&
           result;
  }

 private:
  HANDLE process_;
  char* at_;
};

// The item's rectangle in the tab's client area.
std::optional<RECT> RemoteItemRect(const TargetProcess& process, HWND tab, int index) {
  const RemoteBuffer remote(process, sizeof(RECT));
  RECT rect{};
  if (!remote.Send(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index)) ||
      !remote.Read(0, &rect, sizeof rect)) {
    return std::nullopt;
  }
  return rect;
}

std::optional<std::wstring> ReadTextWith(HWND window, UINT flags, UINT timeoutMs) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, flags, timeoutMs, &length)) {
    return std::nullopt;
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           flags, timeoutMs, &copied)) {
    return std::nullopt;
  }
  text.resize(copied < text.size() ? copied : text.size() - 1);
  return text;
}

}  // namespace

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::uint32_t ControlId(HWND window) {
  return static_cast<std::uint32_t>(GetWindowLongPtrW(window, GWLP_ID));
}

std::optional<std::wstring> ReadText(HWND window, UINT timeoutMs) {
  return ReadTextWith(window, SMTO_ABORTIFHUNG, timeoutMs);
}

std::optional<std::wstring> ReadTextOnceAnswering(HWND window, UINT timeoutMs) {
  return ReadTextWith(window, SMTO_NORMAL, timeoutMs);
}

bool WriteText(HWND window, const std::wstring& text, UINT timeoutMs) {
  DWORD_PTR ok = 0;
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, timeoutMs, &ok) != 0 &&
         ok != 0;
}

std::vector<HWND> Descendants(HWND top) {
  std::vector<HWND> found;
  EnumChildWindows(
      top,
      [](HWND w, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindControl(const std::vector<HWND>& tops, std::uint32_t id) {
  for (HWND top : tops) {
    for (HWND child : Descendants(top)) {
      if (ControlId(child) == id) return child;
    }
  }
  return nullptr;
}

std::map<std::uint32_t, HWND> ControlsById(HWND top) {
  std::map<std::uint32_t, HWND> controls;
  for (HWND child : Descendants(top)) controls.emplace(ControlId(child), child);
  return controls;
}

bool ShownToUser(HWND window) { return IsWindowVisible(window) != FALSE; }

bool Usable(HWND window) {
  return IsWindowEnabled(window) && IsWindowEnabled(GetAncestor(window, GA_ROOT));
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void CloseAsUser(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

namespace {

// The mouse message a tray action carries; 0 for another action number.
LPARAM TrayMouseMessage(int action) {
  switch (action) {
    case 1:
      return WM_LBUTTONUP;
    case 2:
      return WM_LBUTTONDBLCLK;
    case 3:
      return WM_RBUTTONUP;
    default:
      return 0;
  }
}

}  // namespace

bool PostTrayAction(HWND window, int action) {
  const LPARAM mouse = TrayMouseMessage(action);
  return mouse != 0 && PostMessageW(window, kTrayCallbackMessage, kTrayIconId, mouse) != FALSE;
}

bool SendTrayAction(HWND window, int action, UINT timeoutMs) {
  const LPARAM mouse = TrayMouseMessage(action);
  DWORD_PTR ignored = 0;
  return mouse != 0 && SendMessageTimeoutW(window, kTrayCallbackMessage, kTrayIconId, mouse,
                                           SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

int SelectedTab(HWND tab) {
  DWORD_PTR index = 0;
  if (!SendMessageTimeoutW(tab, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &index)) return -1;
  return static_cast<int>(static_cast<LRESULT>(index));
}

int TabCount(HWND tab) {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(tab, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &count)) return -1;
  return static_cast<int>(count);
}

std::optional<std::wstring> TabCaption(const TargetProcess& process, HWND tab, int index) {
  constexpr int kChars = 64;
  const RemoteBuffer remote(process, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(TCITEMW)));
  item.cchTextMax = kChars;
  wchar_t text[kChars] = {};
  if (!remote.Write(0, &item, sizeof item) ||
      !remote.Send(tab, TCM_GETITEMW, static_cast<WPARAM>(index)) ||
      !remote.Read(sizeof(TCITEMW), text, sizeof text - sizeof(wchar_t))) {
    return std::nullopt;
  }
  return std::wstring(text);
}

bool SelectTab(const TargetProcess& process, HWND tab, int index, std::string* how) {
  const int count = TabCount(tab);
  if (index < 0 || index >= count) {
    if (how) *how = "the tab control has " + std::to_string(count) + " pages";
    return false;
  }
  if (SelectedTab(tab) == index) {
    if (how) *how = "already selected";
    return true;
  }
  if (auto rect = RemoteItemRect(process, tab, index)) {
    const LPARAM at = MAKELPARAM((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tab, WM_LBUTTONUP, 0, at);
    if (WaitForSelection(tab, index, 2000)) {
      if (how) *how = "mouse click on the tab";
      return true;
    }
  }
  // Arrow keys move the selection one page at a time, with the same notifications.
  const int current = SelectedTab(tab);
  if (current >= 0) {
    const WPARAM key = index > current ? VK_RIGHT : VK_LEFT;
    for (int i = 0; i < (index > current ? index - current : current - index); ++i) {
      PostMessageW(tab, WM_KEYDOWN, key, 1);
      PostMessageW(tab, WM_KEYUP, key, 0xC0000001);
    }
    if (WaitForSelection(tab, index, 2000)) {
      if (how) *how = "arrow keys";
      return true;
    }
  }
  if (how) *how = "neither a click nor arrow keys selected the page";
  return false;
}

}  // namespace lq::driver
