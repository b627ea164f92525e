#include "runtime/system/folder_paths.h"

#include <windows.h>
// windows.h first: the shell header builds on its types.
#include <shlobj.h>

#include <string>

#include "runtime/platform/code_pages.h"

namespace lq {

namespace {

std::wstring QueryFolder(const FolderQuery& query) {
  wchar_t buffer[MAX_PATH + 1] = {};
  UINT n = 0;
  switch (query.source) {
    case FolderSource::kShell:
      if (!SHGetSpecialFolderPathW(nullptr, buffer, query.shellFolderId, FALSE)) return {};
      return buffer;
    case FolderSource::kWindowsDirectory:
      n = GetWindowsDirectoryW(buffer, MAX_PATH);
      break;
    case FolderSource::kSystemDirectory:
      n = GetSystemDirectoryW(buffer, MAX_PATH);
      break;
    case FolderSource::kTempDirectory:
      n = GetTempPathW(MAX_PATH, buffer);
      break;
  }
  if (n == 0 || n >= MAX_PATH) return {};
  return std::wstring(buffer, n);
}

}  // namespace

Text SpecialFolderPath(int number) {
  const auto query = SpecialFolderQuery(number);
  if (!query) return Text();
  std::wstring path = QueryFolder(*query);
  if (path.empty()) return Text();
  // Tested on UTF-16: in GBK a backslash byte can also be the second byte of a character.
  if (path.back() != L'\\') path += L'\\';
  return Text(WideToGbk(path));
}

}  // namespace lq
