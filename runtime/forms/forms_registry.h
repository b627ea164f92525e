// The program's windows: their templates as read at start-up, what the next load of each will
// use, and the loaded window when there is one.
#pragma once

#include <span>
#include <string_view>

#include "runtime/forms/gui_queue.h"
#include "runtime/forms/property_value.h"
#include "runtime/forms/window_model.h"
#include "runtime/forms/window_template.h"

namespace lq {

// A window that exists (the platform backend implements it).
class LoadedWindow {
 public:
  virtual WindowModel& Model() = 0;
  // The property's current value (a normalised index of the unit's kind).
  virtual PropertyValue ReadProperty(UnitState& unit, int index) = 0;
  // Sets the property (a normalised value of the property's type) and makes it take effect.
  virtual void WriteProperty(UnitState& unit, int index, const PropertyValue& value) = 0;

 protected:
  ~LoadedWindow() = default;
};

struct WindowRecord {
  explicit WindowRecord(const WindowTemplate& t) : tmpl(&t), stored(t) {}
  const WindowTemplate* tmpl;
  WindowModel stored;  // the template with the common properties written while not loaded
  LoadedWindow* loaded = nullptr;
};

// Reads the program's templates, replacing any read before. A template that breaks one of the
// rules of window_template.h is the fatal "载入窗口模板数据段出错!". The templates must outlive
// the runtime (they are constant data).
void ReadWindowTemplates(std::span<const WindowTemplate> windows);
// Forgets the templates and everything stored with them.
void ForgetWindowTemplates();

WindowRecord* FindWindowRecord(WindowId id);
std::span<WindowRecord> WindowRecords();

// The fatal report of a window-model message (forms_messages.h). Never returns.
[[noreturn]] void FormsFatal(std::string_view gbkMessage);

}  // namespace lq
