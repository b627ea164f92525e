// The common dialog control: the system's open-file and save-file dialogs.

#include <string>
#include <vector>

#include "runtime/forms/dialog_filter.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/platform/code_pages.h"

namespace lq {
namespace {

constexpr std::size_t kFileBufferChars = 4096;

// "description|pattern|...||" as the dialog's list of zero-separated strings. The bars are found
// in the GBK text, character by character, and each piece is converted on its own.
std::wstring FilterList(std::string_view gbk) {
  const std::string filter = TerminatedFilter(gbk);
  std::wstring list;
  std::size_t from = 0;
  for (std::size_t bar : FilterBars(filter)) {
    list += GbkToWide(std::string_view(filter).substr(from, bar - from));
    list += L'\0';
    from = bar + 1;
  }
  return list;
}

const wchar_t* OrNull(const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); }

}  // namespace

bool FormWindow::OpenCommonDialog(UnitState& dialog) {
  const std::int32_t type = dialog.Integer(kDialogType);
  if (type != 0 && type != 1) return false;  // font and help dialogs: none in this runtime

  const std::wstring title = GbkToWide(dialog.TextAt(kDialogTitle).view());
  const std::wstring initial_dir = GbkToWide(dialog.TextAt(kDialogInitialDir).view());
  const std::wstring default_ext = GbkToWide(dialog.TextAt(kDialogDefaultExt).view());
  const Text& filter_text = dialog.TextAt(kDialogFilter);
  const std::wstring filter = filter_text.empty() ? std::wstring() : FilterList(filter_text.view());
  std::vector<wchar_t> file(kFileBufferChars, L'\0');
  const std::wstring initial = GbkToWide(dialog.TextAt(kDialogFileName).view());
  initial.copy(file.data(), kFileBufferChars - 1);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(DialogFilterNumber(dialog.Integer(kDialogFilterIndex)));
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = OrNull(initial_dir);
  ofn.lpstrTitle = OrNull(title);
  ofn.lpstrDefExt = OrNull(default_ext);
  ofn.Flags = OFN_HIDEREADONLY;

  const UnitId unit = dialog.id();
  const auto alive = alive_;
  const BOOL confirmed = type == 0 ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!confirmed || !*alive) return false;
  // The dialog's own loop may have run handlers: look the unit up again.
  if (UnitState* again = model_.Find(unit)) {
    again->Set(kDialogFileName, PropertyValue(Text(WideToGbk(file.data()))));
  }
  return true;
}

}  // namespace lq
