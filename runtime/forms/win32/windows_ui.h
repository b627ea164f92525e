// The Windows headers of the window layer, in the order they need: <windows.h> first.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <shellapi.h>
#include <windowsx.h>
// clang-format on
