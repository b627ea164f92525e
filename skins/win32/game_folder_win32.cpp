#include "skins/win32/game_folder_win32.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"
#include "skins/win32/file_pieces.h"

namespace lq {
namespace {

class Win32File final : public FolderFile {
 public:
  explicit Win32File(UniqueKernelHandle file) : file_(std::move(file)) {}

  bool Write(std::span<const std::uint8_t> bytes) override {
    if (!file_) return false;
    const std::size_t wrote = WriteWhole(file_.get(), bytes);
    end_ += wrote;
    if (wrote < bytes.size()) {
      const DWORD error = GetLastError();
      out_of_space_ = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
      return false;
    }
    return true;
  }

  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (!file_ || !ReadWhole(file_.get(), offset, out)) {
      return false;
    }
    // A positioned read moves the file pointer: writing goes on at the end.
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(end_);
    return SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) != 0;
  }

  bool Flush() override { return file_ && FlushFileBuffers(file_.get()) != 0; }

  bool Close() override {
    if (!file_) {
      return false;
    }
    file_.Reset();
    return true;
  }

  bool OutOfSpace() const override { return out_of_space_; }

 private:
  UniqueKernelHandle file_;
  std::uint64_t end_ = 0;
  bool out_of_space_ = false;
};

// An existing file opened to be read: its writes fail.
class Win32ReadFile final : public FolderFile {
 public:
  explicit Win32ReadFile(UniqueKernelHandle file) : file_(std::move(file)) {}

  bool Write(std::span<const std::uint8_t> /*bytes*/) override { return false; }

  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    return file_ && ReadWhole(file_.get(), offset, out);
  }

  bool Flush() override { return false; }
  bool Close() override {
    file_.Reset();
    return true;
  }

 private:
  UniqueKernelHandle file_;
};

// Open without delete sharing, the file can be neither deleted nor renamed by anyone, this
// process included: every such open asks for delete access. Deleted on close, it goes with the
// handle, which the system closes however the process ends.
class Win32HeldFile final : public HeldFile {
 public:
  explicit Win32HeldFile(UniqueKernelHandle file) : file_(std::move(file)) {}

 private:
  UniqueKernelHandle file_;
};

class Win32Folder final : public GameFolder {
 public:
  explicit Win32Folder(std::wstring directory) : directory_(std::move(directory)) {
    if (!directory_.empty() && directory_.back() != L'\\' && directory_.back() != L'/') {
      directory_ += L'\\';
    }
  }

  std::unique_ptr<FolderFile> Create(std::string_view name) override {
    UniqueKernelHandle file(CreateFileW(Path(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      return nullptr;
    }
    return std::make_unique<Win32File>(std::move(file));
  }

  bool Rename(std::string_view from, std::string_view to, bool replace) override {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExW(Path(from).c_str(), Path(to).c_str(), flags) != 0;
  }

  bool Link(std::string_view name, std::string_view link) override {
    return CreateHardLinkW(Path(link).c_str(), Path(name).c_str(), nullptr) != 0;
  }

  bool Delete(std::string_view name) override { return DeleteFileW(Path(name).c_str()) != 0; }

  FolderEntry Find(std::string_view name) override {
    const DWORD attributes = GetFileAttributesW(Path(name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FolderEntry::kMissing
                                                                            : FolderEntry::kOther;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return FolderEntry::kOther;
    }
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? FolderEntry::kReadOnlyFile
                                                       : FolderEntry::kFile;
  }

  std::optional<std::vector<std::string>> List() override {
    std::error_code error;
    std::filesystem::directory_iterator it(std::filesystem::path(directory_), error);
    if (error) {
      return std::nullopt;
    }
    std::vector<std::string> names;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
      names.push_back(WideToGbk(it->path().filename().wstring()));
    }
    if (error) {
      return std::nullopt;
    }
    return names;
  }

  std::unique_ptr<HeldFile> Hold(std::string_view name) override {
    UniqueKernelHandle file(
        CreateFileW(Path(name).c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) {
      return nullptr;
    }
    return std::make_unique<Win32HeldFile>(std::move(file));
  }

  std::uint32_t ProcessId() override { return GetCurrentProcessId(); }

  std::unique_ptr<FolderFile> OpenToRead(std::string_view name) override {
    UniqueKernelHandle file(CreateFileW(Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      return nullptr;
    }
    return std::make_unique<Win32ReadFile>(std::move(file));
  }

  std::optional<FileIdentity> Identity(std::string_view name) override {
    // Opened without any access: the identity is read even while another process writes it.
    UniqueKernelHandle file(CreateFileW(Path(name).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return std::nullopt;
    }
    FileIdentity identity;
    identity.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.last_write = (std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                          info.ftLastWriteTime.dwLowDateTime;
    identity.file_id = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.volume = info.dwVolumeSerialNumber;
    return identity;
  }

  std::optional<std::uint64_t> FreeSpace() override {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(directory_.c_str(), &available, nullptr, nullptr)) {
      return std::nullopt;
    }
    return available.QuadPart;
  }

 private:
  std::wstring Path(std::string_view name) const { return directory_ + GbkToWide(name); }

  std::wstring directory_;
};

}  // namespace

std::unique_ptr<GameFolder> OpenWin32GameFolder(const Text& directory) {
  return std::make_unique<Win32Folder>(GbkToWide(directory.view()));
}

}  // namespace lq
