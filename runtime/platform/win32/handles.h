// Every kind of Windows handle the program owns, one line each, on the one owner template.
#pragma once

#include <windows.h>
// windows.h first: the WinInet header builds on its types.
#include <wininet.h>

#include "runtime/platform/unique_handle.h"

namespace lq {

// Kernel objects (files, mutexes, threads, Tool Help snapshots); creating functions report failure
// as a null handle or as INVALID_HANDLE_VALUE, and both mean none.
using UniqueKernelHandle = UniqueHandle<HANDLE, &::CloseHandle, 0, -1>;
using UniqueFindHandle = UniqueHandle<HANDLE, &::FindClose, -1, 0>;
using UniqueInternetHandle = UniqueHandle<HINTERNET, &::InternetCloseHandle>;
using UniqueModule = UniqueHandle<HMODULE, &::FreeLibrary>;
// Icons, and cursors made from resource data (DestroyIcon releases both).
using UniqueIconHandle = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueMenuHandle = UniqueHandle<HMENU, &::DestroyMenu>;
using UniqueWindowHandle = UniqueHandle<HWND, &::DestroyWindow>;
using UniqueFontHandle = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBrushHandle = UniqueHandle<HBRUSH, &::DeleteObject>;
using UniqueBitmapHandle = UniqueHandle<HBITMAP, &::DeleteObject>;

}  // namespace lq
