#include "tests/support/scratch_dir.h"

#include <atomic>
#include <ctime>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace lq::test {

namespace {

long ProcessId() {
#ifdef _WIN32
  return static_cast<long>(GetCurrentProcessId());
#else
  return static_cast<long>(getpid());
#endif
}

}  // namespace

std::string GbkPath(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::wstring& wide = path.native();
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(936, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string gbk(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(936, 0, wide.data(), size, gbk.data(), n, nullptr, nullptr);
  return gbk;
#else
  return path.native();
#endif
}

ScratchDir::ScratchDir(std::string_view tag) {
  static std::atomic<int> counter{0};
  const auto stamp = static_cast<long long>(std::time(nullptr));
  path_ = std::filesystem::temp_directory_path() /
          ("lq-" + std::string(tag) + "-" + std::to_string(ProcessId()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(stamp % 1000000));
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Gbk(std::wstring_view name) const {
  return GbkPath(name.empty() ? path_ : path_ / std::filesystem::path(std::wstring(name)));
}

}  // namespace lq::test
