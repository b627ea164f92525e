// A fresh directory for one test, removed with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lq::test {

class ScratchDir {
 public:
  // Created under the system's temporary directory; `tag` becomes part of its name.
  explicit ScratchDir(std::string_view tag);
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir();

  const std::filesystem::path& path() const { return path_; }
  // The directory, or `name` inside it, as the GBK bytes the program's commands take.
  std::string Gbk(std::wstring_view name = {}) const;

 private:
  std::filesystem::path path_;
};

// A path as GBK bytes (code page 936 on Windows; the path's own bytes elsewhere).
std::string GbkPath(const std::filesystem::path& path);

}  // namespace lq::test
