#include "skins/installation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "skins/archive_list.h"
#include "skins/game_files.h"
#include "skins/package_store.h"
#include "skins/zip_check.h"

namespace lq {
namespace {

constexpr std::string_view kPackageExtension = ".zip";
// Room kept free beside a package for the list and the file system's own needs.
constexpr std::uint64_t kListRoom = 1u << 20;
// A package whose length the host does not announce may grow this far, no further.
constexpr std::uint64_t kUnknownLengthCap = std::uint64_t{4} << 30;
// Tries after the first that go on with a transfer that broke or stalled.
constexpr int kResumes = 2;

// Takes the body of a package into a staged file as it arrives, over one or more tries, and
// tells the progress. A try that answers 206 for the bytes already staged goes on with them; a
// 200 starts the file again from nothing.
class PackageSink final : public BodySink {
 public:
  PackageSink(GameFolder& folder, const CaptionSink& caption)
      : folder_(folder), caption_(caption) {}

  bool Begin(const ResponseHead& head) override {
    head_ = head;
    if (head.status == kHttpNotModified) {
      return true;  // no body follows
    }
    std::optional<std::uint64_t> remaining;
    if (head.status == kHttpPartial && staged_ && head.range_first == staged_->size()) {
      remaining = head.length;
      length_ = head.range_total;
      if (!length_ && head.length) length_ = staged_->size() + *head.length;
    } else if (head.status == kHttpOk) {
      staged_.reset();  // what an earlier try left goes
      remaining = length_ = head.length;
    } else {
      return false;
    }
    if (remaining) {
      const std::optional<std::uint64_t> free = folder_.FreeSpace();
      if (free && *free < *remaining + kListRoom) {
        no_space_ = true;
        return false;
      }
    }
    if (!staged_) {
      staged_ = StagedFile::Create(folder_);
      check_ = std::make_unique<ZipStreamCheck>();
      if (!staged_) {
        write_failed_ = true;
        return false;
      }
    }
    validators_ = head;
    Report();
    return true;
  }

  bool Take(std::span<const std::uint8_t> bytes) override {
    if (!length_ && staged_->size() + bytes.size() > kUnknownLengthCap) {
      return false;
    }
    if (!staged_->Write(bytes)) {
      (staged_->OutOfSpace() ? no_space_ : write_failed_) = true;
      return false;
    }
    check_->Take(bytes);
    Report();
    return true;
  }

  // The head of the last try's response.
  const ResponseHead& head() const { return head_; }
  // The head of the response the staged bytes came from.
  const ResponseHead& validators() const { return validators_; }
  bool not_modified() const { return head_.status == kHttpNotModified; }
  bool write_failed() const { return write_failed_; }
  bool no_space() const { return no_space_; }
  std::unique_ptr<StagedFile>& staged() { return staged_; }
  // The entries verified as the bytes arrived.
  const ZipStreamCheck& check() const { return *check_; }

  // Whether a try that ended so may be followed by one that goes on: some bytes are staged and
  // the transfer broke, stalled or lost its host.
  bool MayResume(TransferEnd end) const {
    const bool lost = end == TransferEnd::kBroken || end == TransferEnd::kStalled ||
                      end == TransferEnd::kTimedOut || end == TransferEnd::kUnreachable ||
                      end == TransferEnd::kNoResponse;
    return lost && staged_ && staged_->size() > 0 && !no_space_ && !write_failed_;
  }

  // The next try: the rest of the staged bytes' response, as long as it is still the same one
  // (If-Range with a strong validator); without one, the whole package again.
  RequestConditions ResumeConditions() const {
    RequestConditions next;
    const std::string& etag = validators_.etag;
    const std::string& validator =
        !etag.empty() && !etag.starts_with("W/") ? etag : validators_.last_modified;
    if (!validator.empty()) {
      next.range_from = staged_->size();
      next.if_range = validator;
    }
    return next;
  }

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
  std::unique_ptr<ZipStreamCheck> check_;
  std::optional<std::uint64_t> length_;  // of the whole package
  ResponseHead head_;
  ResponseHead validators_;
  std::string shown_;
  bool write_failed_ = false;
  bool no_space_ = false;
};

// A package file read in place, for checking it again.
class FolderBytes final : public ZipBytes {
 public:
  FolderBytes(std::unique_ptr<FolderFile> file, std::uint64_t size)
      : file_(std::move(file)), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    return file_->ReadAt(offset, out);
  }

 private:
  std::unique_ptr<FolderFile> file_;
  std::uint64_t size_;
};

// Whether the package file `name` is still the file the record describes and a whole archive.
bool IsRecordedPackage(GameFolder& folder, std::string_view name, const PackageRecord& record) {
  const std::optional<FileIdentity> identity = folder.Identity(name);
  if (!identity || *identity != record.identity) {
    return false;
  }
  std::unique_ptr<FolderFile> file = folder.OpenToRead(name);
  if (!file) {
    return false;
  }
  FolderBytes bytes(std::move(file), identity->size);
  return CheckZipArchive(bytes) == ZipVerdict::kArchive;
}

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
  // Only a package that was there before can fail to come back.
  const FolderEntry before = folder.Find(package_name);
  const bool had_package = before == FolderEntry::kFile || before == FolderEntry::kReadOnlyFile;
  if (!change.Replace(package_name, package) || !change.Commit()) {
    return change.Undo() || !had_package ? InstallationResult::kWriteFailed
                                         : InstallationResult::kNotRestored;
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
    case InstallationResult::kNoSpace:
      return kNoSpaceMessage;
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
  if (!folder || !env.download) {
    return InstallationResult::kWriteFailed;
  }
  {
    const auto turn = LockGameFileSteps();
    ResolveLeftovers(*folder);
  }

  // The package this address wrote before, if the file is still the one written: the host is
  // asked whether it changed.
  const std::string directory(inputs.game_directory.view());
  std::optional<PackageRecord> local =
      env.packages ? env.packages->Find(directory, file_name) : std::nullopt;
  if (local &&
      (local->url != inputs.package_url.view() || folder->Identity(file_name) != local->identity)) {
    local.reset();
  }
  RequestConditions conditions;
  if (local) {
    conditions.if_none_match = local->etag;
    conditions.if_modified_since = local->last_modified;
  }

  PackageSink sink(*folder, caption);
  for (int tries = 0;; ++tries) {
    const TransferEnd end = env.download(inputs.package_url, conditions, sink);
    if (local && (sink.not_modified() || end == TransferEnd::kUnreachable)) {
      // Unchanged, or no host to ask: the file in place, checked whole again, is the package.
      const auto turn = LockGameFileSteps();
      if (IsRecordedPackage(*folder, file_name, *local)) {
        if (caption) {
          caption(kWritingCaption);
        }
        const ByteSet list = ArchiveListContentWithPackage(inputs.name);
        return ReplaceFileContent(*folder, kArchiveListFileName, list.bytes())
                   ? InstallationResult::kInstalled
                   : InstallationResult::kWriteFailed;
      }
      // Changed or damaged since: never loaded; the host sends it whole, if there is one.
      env.packages->Forget(directory, file_name);
      local.reset();
      if (end == TransferEnd::kUnreachable) {
        return InstallationResult::kNoPackage;
      }
      conditions = {};
      continue;
    }
    if (sink.no_space()) {
      return InstallationResult::kNoSpace;
    }
    if (sink.write_failed()) {
      return InstallationResult::kWriteFailed;
    }
    if (end == TransferEnd::kComplete && sink.staged() && !sink.not_modified()) {
      break;
    }
    if (tries == kResumes || !sink.MayResume(end)) {
      return InstallationResult::kNoPackage;
    }
    conditions = sink.ResumeConditions();
  }

  std::unique_ptr<StagedFile>& staged = sink.staged();
  switch (CheckZipArchive(*staged, &sink.check())) {
    case ZipVerdict::kArchive:
      break;
    case ZipVerdict::kUnreadable:  // the disk did not give back what it took
      return InstallationResult::kWriteFailed;
    default:
      return InstallationResult::kNoPackage;
  }
  if (!staged->Finish()) {
    return staged->OutOfSpace() ? InstallationResult::kNoSpace : InstallationResult::kWriteFailed;
  }
  if (caption) {
    caption(kWritingCaption);
  }
  const auto turn = LockGameFileSteps();
  if (env.packages) {
    // Whatever happens next, the old record no longer describes the file.
    env.packages->Forget(directory, file_name);
  }
  const InstallationResult result = PutInPlace(*folder, *staged, inputs);
  if (result == InstallationResult::kInstalled && env.packages) {
    if (const std::optional<FileIdentity> identity = folder->Identity(file_name)) {
      env.packages->Remember({directory, file_name, std::string(inputs.package_url.view()),
                              sink.validators().etag, sink.validators().last_modified, *identity});
    }
  }
  return result;
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
