#include "runtime/errors/win32/wide_text.h"

#include <windows.h>

namespace lq {

std::wstring WideFromGbk(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int size = static_cast<int>(gbk.size());
  const int wide = MultiByteToWideChar(936, 0, gbk.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(wide > 0 ? wide : 0), L'\0');
  if (wide > 0) MultiByteToWideChar(936, 0, gbk.data(), size, text.data(), wide);
  return text;
}

}  // namespace lq
