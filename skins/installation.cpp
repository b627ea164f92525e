#include "skins/installation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "skins/archive_list.h"
#include "skins/game_files.h"
#include "skins/zip_check.h"

namespace lq {
namespace {

constexpr int kHttpOk = 200;
constexpr std::string_view kPackageExtension = ".zip";

// Takes the body of a status-200 response into a staged file as it arrives, and tells the
// progress.
class PackageSink final : public BodySink {
 public:
  PackageSink(GameFolder& folder, const CaptionSink& caption)
      : folder_(folder), caption_(caption) {}

  bool Begin(const ResponseHead& head) override {
    if (head.status != kHttpOk) {
      return false;
    }
    staged_ = StagedFile::Create(folder_);
    if (!staged_) {
      write_failed_ = true;
      return false;
    }
    length_ = head.length;
    Report();
    return true;
  }

  bool Take(std::span<const std::uint8_t> bytes) override {
    if (!staged_->Write(bytes)) {
      write_failed_ = true;
      return false;
    }
    check_.Take(bytes);
    Report();
    return true;
  }

  bool write_failed() const { return write_failed_; }
  std::unique_ptr<StagedFile>& staged() { return staged_; }
  // The entries verified as the bytes arrived.
  const ZipStreamCheck& check() const { return check_; }

 private:
  void Report() {
    std::string text = DownloadCaption(staged_->size(), length_);
    if (caption_ && text != shown_) {
      caption_(text);
      shown_ = std::move(text);
    }
  }

  GameFolder& folder_;
  const CaptionSink& caption_;
  std::unique_ptr<StagedFile> staged_;
  ZipStreamCheck check_;
  std::optional<std::uint64_t> length_;
  std::string shown_;
  bool write_failed_ = false;
};

// The package in place, then the list naming it. When the list cannot be replaced the package
// file is put back as it was, so a failure changes nothing, or says that it did.
InstallationResult PutInPlace(GameFolder& folder, StagedFile& package,
                              const InstallationInputs& inputs) {
  const std::string package_name = std::string(inputs.name.view()) + std::string(kPackageExtension);
  const ByteSet list = ArchiveListContentWithPackage(inputs.name);

  // One change, made by the move of the list: until then it can be undone, here or, should the
  // process end in the middle, by the next resolving of leftovers.
  Replacement change(folder);
  if (!change.StageCommit(kArchiveListFileName, list.bytes())) {
    return InstallationResult::kWriteFailed;
  }
  if (!change.Replace(package_name, package) || !change.Commit()) {
    return change.Undo() ? InstallationResult::kWriteFailed : InstallationResult::kNotRestored;
  }
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
    case InstallationResult::kNotRestored:
      return kNotRestoredMessage;
  }
  return kDownloadFailedMessage;
}

std::string DownloadCaption(std::uint64_t received, std::optional<std::uint64_t> length) {
  char figure[32];
  if (length && *length > 0) {
    // Whole percents, rounded down: 100% only once every byte is there.
    const double share = static_cast<double>(received) / static_cast<double>(*length);
    const unsigned percent =
        received >= *length ? 100u : std::min(99u, static_cast<unsigned>(share * 100));
    std::snprintf(figure, sizeof figure, " %u%%", percent);
  } else {
    const double tenths = std::floor(static_cast<double>(received) * 10.0 / (1024.0 * 1024.0));
    std::snprintf(figure, sizeof figure, " %.1fMB", tenths / 10.0);
  }
  return std::string(kDownloadingCaption) + figure;
}

InstallationResult InstallSkinPackage(const InstallationEnvironment& env,
                                      const InstallationInputs& inputs,
                                      const CaptionSink& caption) {
  if (inputs.game_directory.empty()) {
    return InstallationResult::kNoGameDirectory;
  }
  const std::string file_name = std::string(inputs.name.view()) + std::string(kPackageExtension);
  if (inputs.name.empty() || !IsPlainFileName(file_name) || inputs.package_url.empty()) {
    return InstallationResult::kNoPackage;
  }
  const std::unique_ptr<GameFolder> folder =
      env.open_folder ? env.open_folder(inputs.game_directory) : nullptr;
  if (!folder) {
    return InstallationResult::kWriteFailed;
  }
  {
    const auto turn = LockGameFileSteps();
    ResolveLeftovers(*folder);
  }

  PackageSink sink(*folder, caption);
  const TransferEnd end =
      env.download ? env.download(inputs.package_url, sink) : TransferEnd::kNoResponse;
  if (sink.write_failed()) {
    return InstallationResult::kWriteFailed;
  }
  std::unique_ptr<StagedFile>& staged = sink.staged();
  if (end != TransferEnd::kComplete || !staged ||
      CheckZipArchive(*staged, &sink.check()) != ZipVerdict::kArchive) {
    return InstallationResult::kNoPackage;
  }
  if (!staged->Finish()) {
    return InstallationResult::kWriteFailed;
  }
  if (caption) {
    caption(kWritingCaption);
  }
  const auto turn = LockGameFileSteps();
  return PutInPlace(*folder, *staged, inputs);
}

bool WriteStockArchiveList(const InstallationEnvironment& env, const Text& directory) {
  const std::unique_ptr<GameFolder> folder = env.open_folder ? env.open_folder(directory) : nullptr;
  if (!folder) {
    return false;
  }
  const ByteSet list = StockArchiveListContent();
  const auto turn = LockGameFileSteps();
  ResolveLeftovers(*folder);
  return ReplaceFileContent(*folder, kArchiveListFileName, list.bytes());
}

InstallationResult RunInstallation(const InstallationEnvironment& env,
                                   const InstallationInputs& inputs, InstallationView& view) {
  if (inputs.game_directory.empty()) {
    view.ShowMessage(kNoGameDirectoryMessage);
    return InstallationResult::kNoGameDirectory;
  }
  view.SetCaption(kDownloadingCaption);
  const InstallationResult result = InstallSkinPackage(
      env, inputs, [&view](std::string_view caption) { view.SetCaption(caption); });
  view.ShowMessage(InstallationMessage(result));
  view.SetCaption(kIdleCaption);
  if (result == InstallationResult::kInstalled) {
    view.CloseWindow();
  }
  return result;
}

}  // namespace lq
