#include "tests/skins/support/memory_user_folder.h"

#include <string_view>
#include <utility>
#include <vector>

namespace lq::test {

std::map<std::string, std::string> MemoryUserDisk::Contents() {
  std::lock_guard lock(mutex);
  std::map<std::string, std::string> contents;
  for (const auto& [name, file] : files) contents[name] = file.bytes;
  return contents;
}

std::uint64_t MemoryUserDisk::TotalBytes() {
  std::lock_guard lock(mutex);
  std::uint64_t total = 0;
  for (const auto& [name, file] : files) total += file.bytes.size();
  return total;
}

void MemoryUserDisk::Put(const std::string& name, std::string bytes) {
  std::lock_guard lock(mutex);
  files[name] = {std::move(bytes), ++clock};
}

namespace {

class MemoryUserFolder final : public UserFolder {
 public:
  explicit MemoryUserFolder(MemoryUserDisk& disk) : disk_(disk) {}

  std::optional<ByteSet> Read(std::string_view name, std::uint64_t max_bytes) override {
    std::lock_guard lock(disk_.mutex);
    const auto it = disk_.files.find(std::string(name));
    if (it == disk_.files.end()) {
      return std::nullopt;
    }
    ++disk_.reads;
    if (it->second.bytes.size() > max_bytes) {
      return std::nullopt;
    }
    return ByteSet::FromString(it->second.bytes);
  }

  bool Write(std::string_view name, std::span<const std::uint8_t> bytes) override {
    std::lock_guard lock(disk_.mutex);
    if (disk_.read_only) {
      return false;
    }
    const std::string staged = std::string(name) + ".4242-" + std::to_string(++disk_.staged_count) +
                               std::string(kStagedSuffix);
    const std::string content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (disk_.cut_writes > 0) {
      --disk_.cut_writes;
      disk_.files[staged] = {content.substr(0, content.size() / 2), ++disk_.clock};
      return false;
    }
    if (disk_.capacity) {
      std::uint64_t total = content.size();
      for (const auto& [other, file] : disk_.files) {
        if (other != name) total += file.bytes.size();
      }
      if (total > *disk_.capacity) {
        return false;
      }
    }
    disk_.files[std::string(name)] = {content, ++disk_.clock};
    return true;
  }

  bool Delete(std::string_view name) override {
    std::lock_guard lock(disk_.mutex);
    return !disk_.read_only && disk_.files.erase(std::string(name)) == 1;
  }

  bool Touch(std::string_view name) override {
    std::lock_guard lock(disk_.mutex);
    const auto it = disk_.files.find(std::string(name));
    if (disk_.read_only || it == disk_.files.end()) {
      return false;
    }
    it->second.last_use = ++disk_.clock;
    return true;
  }

  std::optional<std::vector<UserFileInfo>> List() override {
    std::lock_guard lock(disk_.mutex);
    std::vector<UserFileInfo> files;
    for (const auto& [name, file] : disk_.files) {
      files.push_back({name, file.bytes.size(), file.last_use});
    }
    return files;
  }

 private:
  MemoryUserDisk& disk_;
};

}  // namespace

std::unique_ptr<UserFolder> OpenMemoryUserFolder(MemoryUserDisk& disk) {
  return std::make_unique<MemoryUserFolder>(disk);
}

}  // namespace lq::test
