// The program's user folder on the Windows file system: names become UTF-16 paths through code
// page 936. A file is read with every kind of sharing, so a write of another thread or process
// can rename over it or delete it meanwhile (the reader keeps the file it opened); a staged file
// is held open without delete sharing while it is written, so nobody deletes it under its writer.
#include <windows.h>
// windows.h first: the shell header builds on its types.
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"
#include "skins/user_folder.h"
#include "skins/win32/file_pieces.h"

namespace lq {
namespace {

constexpr wchar_t kProgramFolder[] = L"LOLQuillet";

// The user's local application data folder, without a trailing backslash; empty when neither
// the environment nor the shell names one.
std::wstring LocalApplicationData() {
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) {
      break;  // not set, or set to nothing
    }
    if (n < value.size()) {
      value.resize(n);
      while (!value.empty() && (value.back() == L'\\' || value.back() == L'/')) value.pop_back();
      return value;
    }
    value.resize(n);  // n counts the terminating zero when the buffer is too small
  }
  wchar_t shell[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, shell, CSIDL_LOCAL_APPDATA, FALSE)) {
    return {};
  }
  std::wstring path = shell;
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

std::int64_t TimeValue(const FILETIME& time) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(time.dwHighDateTime) << 32 |
                                   time.dwLowDateTime);
}

class Win32UserFolder final : public UserFolder {
 public:
  explicit Win32UserFolder(std::wstring subfolder) : subfolder_(std::move(subfolder)) {}

  std::optional<ByteSet> Read(std::string_view name, std::uint64_t max_bytes) override {
    if (!Located()) {
      return std::nullopt;
    }
    UniqueKernelHandle file(CreateFileW(Path(name).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > max_bytes) {
      return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    if (!ReadWhole(file.get(), std::nullopt, bytes)) {
      return std::nullopt;
    }
    return ByteSet(std::move(bytes));
  }

  bool Write(std::string_view name, std::span<const std::uint8_t> bytes) override {
    if (!Located()) {
      return false;
    }
    const std::wstring staged =
        Path(std::string(name) + '.' + std::to_string(GetCurrentProcessId()) + '-' +
             std::to_string(++staged_count_) + std::string(kStagedSuffix));
    UniqueKernelHandle file = CreateStaged(staged);
    if (!file && GetLastError() == ERROR_PATH_NOT_FOUND && MakeFolder()) {
      file = CreateStaged(staged);
    }
    if (!file) {
      return false;
    }
    const bool written =
        WriteWhole(file.get(), bytes) == bytes.size() && FlushFileBuffers(file.get());
    file.Reset();
    if (written && MoveFileExW(staged.c_str(), Path(name).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DeleteFileW(staged.c_str());
    return false;
  }

  bool Delete(std::string_view name) override {
    return Located() && DeleteFileW(Path(name).c_str()) != 0;
  }

  bool Touch(std::string_view name) override {
    if (!Located()) {
      return false;
    }
    UniqueKernelHandle file(CreateFileW(Path(name).c_str(), FILE_WRITE_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return file && SetFileTime(file.get(), nullptr, nullptr, &now) != 0;
  }

  std::optional<std::vector<UserFileInfo>> List() override {
    if (!Located()) {
      return std::nullopt;
    }
    std::vector<UserFileInfo> files;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle find(FindFirstFileExW((folder_ + L'*').c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0));
    if (!find) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return files;  // not made yet
      }
      return std::nullopt;
    }
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        files.push_back({WideToGbk(found.cFileName),
                         static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow,
                         TimeValue(found.ftLastWriteTime)});
      }
    } while (FindNextFileW(find.get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
      return std::nullopt;
    }
    return files;
  }

 private:
  // Where the folder is, found at the first use: the shell's answer may take a while, and the
  // first use is never on the GUI thread.
  bool Located() {
    std::call_once(located_, [this] {
      const std::wstring base = LocalApplicationData();
      if (base.empty()) {
        return;
      }
      levels_.push_back(base + L'\\' + kProgramFolder);
      if (!subfolder_.empty()) levels_.push_back(levels_.back() + L'\\' + subfolder_);
      folder_ = levels_.back() + L'\\';
    });
    return !folder_.empty();
  }

  // The program's folder, then the subfolder, each made when missing.
  bool MakeFolder() const {
    for (const std::wstring& level : levels_) {
      if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
      }
    }
    return true;
  }

  static UniqueKernelHandle CreateStaged(const std::wstring& path) {
    return UniqueKernelHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  std::wstring Path(std::string_view name) const { return folder_ + GbkToWide(name); }

  std::wstring subfolder_;
  std::once_flag located_;
  std::vector<std::wstring> levels_;  // the folders to make, outermost first
  std::wstring folder_;               // ends with a backslash; empty when there is no such folder
  std::atomic<std::uint32_t> staged_count_{0};
};

}  // namespace

std::unique_ptr<UserFolder> OpenProgramUserFolder(std::string_view subfolder) {
  return std::make_unique<Win32UserFolder>(GbkToWide(subfolder));
}

}  // namespace lq
