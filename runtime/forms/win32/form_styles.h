// Window and control styles from unit properties.
#pragma once

#include <cstdint>

#include "runtime/forms/win32/windows_ui.h"
#include "runtime/forms/window_model.h"

namespace lq {

struct Styles {
  DWORD style = 0;
  DWORD ex_style = 0;
};

// The window's frame from its border, control box and minimise/maximise buttons.
Styles WindowStyles(const UnitState& window);
// Borders 1, 3 and 5 can be resized (and maximised).
bool ResizableBorder(std::int32_t border);
// How the window is first shown: minimised for position 2, maximised for position 3 with a
// resizable border, normally otherwise.
int ShowCommandAtLoad(const UnitState& window);

// A control's class, styles (WS_VISIBLE when `show`) and the border of its kind's border pick:
// 0 none, 1 sunken edge, 2 raised (dialog-frame) edge, 3 thin sunken edge, 4 sunken and raised,
// 5 single line.
const wchar_t* ControlClass(UnitKind kind);
Styles ControlStyles(const UnitState& unit, bool show);

// The colour of a colour property: kSystemButtonFace is the system's button-face colour.
COLORREF ToColorRef(std::uint32_t colour);

inline constexpr wchar_t kFormClass[] = L"LQForm";
inline constexpr wchar_t kPicBoxClass[] = L"LQPicBox";

}  // namespace lq
