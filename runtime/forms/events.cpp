#include "runtime/forms/events.h"

#include "runtime/errors/program_end.h"
#include "runtime/forms/forms_messages.h"
#include "runtime/forms/forms_registry.h"

namespace lq {
namespace {

std::optional<EventSource> g_source;

// Sets the current event source for one handler call and puts back the outer one afterwards,
// so a handler that runs a nested loop (a modal window) still finds its own source.
class SourceScope {
 public:
  explicit SourceScope(EventSource source) : outer_(g_source) { g_source = source; }
  ~SourceScope() { g_source = outer_; }
  SourceScope(const SourceScope&) = delete;
  SourceScope& operator=(const SourceScope&) = delete;

 private:
  std::optional<EventSource> outer_;
};

}  // namespace

Handler FindEventHandler(const UnitState& unit, int event) {
  if (unit.kind() == UnitKind::kMenuItem) return unit.menu_handler();
  for (const EventBinding& b : unit.bindings()) {
    if (b.event == event) return b.handler;
  }
  return {};
}

EventResult RaiseEvent(WindowId window, UnitId unit, int event, std::span<const std::int32_t> args,
                       bool wantAnswer) {
  if (EventDispatchSuspended()) return {};
  WindowRecord* record = FindWindowRecord(window);
  if (!record) FormsFatal(forms_messages::kEventWindowMissing);
  const UnitState* state = record->stored.Find(unit);
  if (!state) FormsFatal(forms_messages::kEventUnitMissing);
  if (!CanRaiseEvents(state->kind())) FormsFatal(forms_messages::kEventUnitInvalid);

  const Handler handler = FindEventHandler(*state, event);
  if (!handler) return {};

  EventResult result;
  result.handled = true;
  Handler::Outcome outcome;
  {
    SourceScope scope({window, state->id()});
    outcome = handler.Call(args);
  }
  if (wantAnswer && outcome.answered) {
    result.answered = true;
    result.answer = outcome.answer;
  }
  return result;
}

std::optional<EventSource> CurrentEventSource() { return g_source; }

}  // namespace lq
