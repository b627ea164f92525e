// Raising events: finding and calling the handler bound to (window id, unit id, event number).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "runtime/forms/event_numbers.h"
#include "runtime/forms/handler.h"
#include "runtime/forms/unit_id.h"
#include "runtime/forms/window_model.h"

namespace lq {

struct EventResult {
  bool handled = false;   // a handler ran
  bool answered = false;  // an answer was wanted and the handler gave one
  bool answer = false;
};

// Raises an event on the GUI thread:
// 1. While a runtime error is being reported (or the program ends), nothing is dispatched.
// 2. The window must be one of the program's: else the fatal "未找到引发事件的窗口".
// 3. The unit must be in that window (kOwnUnit is the window): else "未找到引发事件的窗口组件".
// 4. A unit of a kind that raises no events: "引发事件的窗口组件无效".
// 5. A menu item calls its single handler; other units their first binding of that number.
// 6. While the handler runs, (window, unit) is the current event source.
EventResult RaiseEvent(WindowId window, UnitId unit, int event,
                       std::span<const std::int32_t> args = {}, bool wantAnswer = false);

// "A handler answered false": what makes the close queries keep a window.
inline bool Refused(const EventResult& r) { return r.answered && !r.answer; }

struct EventSource {
  WindowId window = 0;
  UnitId unit = 0;
  friend bool operator==(const EventSource&, const EventSource&) = default;
};

// The unit whose handler is running (the innermost one when handlers nest).
std::optional<EventSource> CurrentEventSource();

// The handler a unit has for an event: a menu item's single handler, otherwise the first binding
// with that number (a binding without a handler gives none).
Handler FindEventHandler(const UnitState& unit, int event);

}  // namespace lq
