// Which platform query answers each special folder number of SpecialFolderPath.
#pragma once

#include <optional>

namespace lq {

enum class FolderSource { kShell, kWindowsDirectory, kSystemDirectory, kTempDirectory };

struct FolderQuery {
  FolderSource source;
  int shellFolderId = 0;  // for kShell: the shell's special-folder identifier
};

// 1 documents, 2 favourites, 3 desktop directory, 4 fonts, 5 start menu, 6 programs, 7 start-up,
// 8 application data, 9 Windows directory, 10 system directory, 11 temporary files. Other numbers
// have no folder.
inline std::optional<FolderQuery> SpecialFolderQuery(int number) {
  static constexpr int kShellIds[] = {5, 6, 16, 20, 11, 2, 7, 26};
  if (number >= 1 && number <= 8) return FolderQuery{FolderSource::kShell, kShellIds[number - 1]};
  if (number == 9) return FolderQuery{FolderSource::kWindowsDirectory};
  if (number == 10) return FolderQuery{FolderSource::kSystemDirectory};
  if (number == 11) return FolderQuery{FolderSource::kTempDirectory};
  return std::nullopt;
}

}  // namespace lq
