// A round trip through the program: what a test waits for before it checks that something did
// NOT happen (no message box, no window, a text unchanged), instead of sleeping for a while.
#pragma once

#include <windows.h>

namespace lq::driver {

inline constexpr DWORD kRoundTripTimeoutMs = 10000;

// Waits until the thread that owns `window` has taken every message posted to it before this
// call and has answered a message sent to `window`. Whatever the program did by then in answer to
// a posted click, key or tray action, or to the work it posted to itself, has happened: a window
// or message box it opened is shown, a text it wrote is there. False when the thread did not get
// there within `timeoutMs` or the window is gone.
//
// A sent message alone proves nothing about posted ones: a thread takes the messages sent to it
// before those posted. But it paints only when no posted message waits, so a part of one of its
// visible windows is marked for painting, and once the mark is gone every message posted before
// has been taken. A thread that shows no window at all can only answer the sent message.
bool RoundTrip(HWND window, DWORD timeoutMs = kRoundTripTimeoutMs);

}  // namespace lq::driver
