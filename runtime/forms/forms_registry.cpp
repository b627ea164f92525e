#include "runtime/forms/forms_registry.h"

#include <vector>

#include "runtime/errors/runtime_error.h"
#include "runtime/forms/forms_messages.h"
#include "runtime/forms/template_check.h"

namespace lq {
namespace {

std::vector<WindowRecord>& Records() {
  static std::vector<WindowRecord> records;
  return records;
}

}  // namespace

void ReadWindowTemplates(std::span<const WindowTemplate> windows) {
  if (!FindTemplateProblem(windows).empty()) FormsFatal(forms_messages::kTemplatesUnreadable);
  auto& records = Records();
  records.clear();
  records.reserve(windows.size());
  for (const WindowTemplate& w : windows) records.emplace_back(w);
}

void ForgetWindowTemplates() { Records().clear(); }

WindowRecord* FindWindowRecord(WindowId id) {
  for (WindowRecord& r : Records()) {
    if (r.tmpl->window_id == id) return &r;
  }
  return nullptr;
}

std::span<WindowRecord> WindowRecords() { return Records(); }

void FormsFatal(std::string_view gbkMessage) { ReportRuntimeError(gbkMessage, 0); }

}  // namespace lq
