#include "skins/installation.h"

#include <mutex>
#include <optional>
#include <string>

#include "runtime/system/http_read.h"
#include "skins/archive_list.h"
#include "skins/game_files.h"
#include "skins/zip_check.h"

namespace lq {
namespace {

constexpr int kHttpOk = 200;
constexpr std::string_view kPackageExtension = ".zip";

// The file steps that change the game directory, taken in turn by concurrent installations.
std::mutex& FileStepsMutex() {
  static std::mutex mutex;
  return mutex;
}

// The package in place, then the list naming it. When the list cannot be replaced the package
// file is put back as it was, so a failure changes nothing.
InstallationResult PutInPlace(StagedFile& package, const InstallationInputs& inputs) {
  const std::wstring directory = GameFilePath(inputs.game_directory, "");
  const std::wstring package_path =
      GameFilePath(inputs.game_directory, std::string(inputs.name.view()) + ".zip");
  const std::wstring list_path = GameFilePath(inputs.game_directory, kArchiveListFileName);
  const ByteSet list = ArchiveListContentWithPackage(inputs.name);

  std::lock_guard lock(FileStepsMutex());
  SetAside previous;
  if (!previous.Take(directory, package_path)) {
    return InstallationResult::kWriteFailed;
  }
  if (!package.MoveOver(package_path)) {
    previous.Abandon();
    return InstallationResult::kWriteFailed;
  }
  if (!ReplaceFileContent(directory, list_path, list.bytes())) {
    previous.Restore();
    return InstallationResult::kWriteFailed;
  }
  previous.Discard();
  return InstallationResult::kInstalled;
}

}  // namespace

std::string_view InstallationMessage(InstallationResult result) {
  switch (result) {
    case InstallationResult::kInstalled:
      return kInstalledMessage;
    case InstallationResult::kNoGameDirectory:
      return kNoGameDirectoryMessage;
    case InstallationResult::kNoPackage:
      return kDownloadFailedMessage;
    case InstallationResult::kWriteFailed:
      return kWriteFailedMessage;
  }
  return kDownloadFailedMessage;
}

InstallationResult InstallSkinPackage(const InstallationInputs& inputs,
                                      const std::function<void()>& writing) {
  if (inputs.game_directory.empty()) {
    return InstallationResult::kNoGameDirectory;
  }
  const std::string file_name = std::string(inputs.name.view()) + std::string(kPackageExtension);
  if (inputs.name.empty() || !IsPlainFileName(file_name) || inputs.package_url.empty()) {
    return InstallationResult::kNoPackage;
  }

  std::optional<StagedFile> staged;
  {
    // The body lives only until it is in the temporary file: the package is never held twice.
    HttpReadResult download = HttpReadWithStatus(inputs.package_url);
    if (download.status != kHttpOk || CheckZipArchive(std::span<const std::uint8_t>(
                                          download.body.bytes())) != ZipVerdict::kArchive) {
      return InstallationResult::kNoPackage;
    }
    std::optional<StagedFile> created = StagedFile::Create(GameFilePath(inputs.game_directory, ""));
    if (!created || !created->Write(download.body.bytes())) {
      return InstallationResult::kWriteFailed;
    }
    staged.emplace(std::move(*created));
  }
  if (!staged->Finish()) {
    return InstallationResult::kWriteFailed;
  }
  if (writing) {
    writing();
  }
  return PutInPlace(*staged, inputs);
}

InstallationResult RunInstallation(const InstallationInputs& inputs, InstallationView& view) {
  if (inputs.game_directory.empty()) {
    view.ShowMessage(kNoGameDirectoryMessage);
    return InstallationResult::kNoGameDirectory;
  }
  view.SetCaption(kDownloadingCaption);
  const InstallationResult result =
      InstallSkinPackage(inputs, [&view] { view.SetCaption(kWritingCaption); });
  view.ShowMessage(InstallationMessage(result));
  view.SetCaption(kIdleCaption);
  if (result == InstallationResult::kInstalled) {
    view.CloseWindow();
  }
  return result;
}

}  // namespace lq
