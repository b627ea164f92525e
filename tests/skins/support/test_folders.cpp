#include "tests/skins/support/test_folders.h"

#include <cstring>
#include <functional>
#include <string_view>
#include <utility>

namespace lq::test {
namespace {

class MemoryFile final : public FolderFile {
 public:
  MemoryFile(MemoryDisk& disk, std::shared_ptr<std::string> content)
      : disk_(disk), content_(std::move(content)) {}

  bool Write(std::span<const std::uint8_t> bytes) override {
    std::lock_guard lock(disk_.mutex);
    if (!open_ || read_only_) return false;
    if (disk_.free_space) {
      if (*disk_.free_space < bytes.size()) {
        out_of_space_ = true;
        return false;
      }
      *disk_.free_space -= bytes.size();
    }
    content_->append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return true;
  }
  bool OutOfSpace() const override { return out_of_space_; }
  void MakeReadOnly() { read_only_ = true; }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    std::lock_guard lock(disk_.mutex);
    if (!open_ || offset > content_->size() || out.size() > content_->size() - offset) {
      return false;
    }
    std::memcpy(out.data(), content_->data() + offset, out.size());
    return true;
  }
  bool Flush() override { return open_; }
  bool Close() override { return std::exchange(open_, false); }

 private:
  MemoryDisk& disk_;
  std::shared_ptr<std::string> content_;
  bool open_ = true;
  bool read_only_ = false;
  bool out_of_space_ = false;
};

class MemoryHeldFile final : public HeldFile {
 public:
  MemoryHeldFile(MemoryDisk& disk, std::string name) : disk_(disk), name_(std::move(name)) {}
  ~MemoryHeldFile() override {
    std::lock_guard lock(disk_.mutex);
    disk_.held.erase(name_);
    disk_.files.erase(name_);
  }

 private:
  MemoryDisk& disk_;
  std::string name_;
};

class MemoryFolder final : public GameFolder {
 public:
  explicit MemoryFolder(MemoryDisk& disk) : disk_(disk) {}

  std::unique_ptr<FolderFile> Create(std::string_view name) override {
    std::lock_guard lock(disk_.mutex);
    auto [it, made] = disk_.files.emplace(name, std::make_shared<std::string>());
    if (!made) return nullptr;
    return std::make_unique<MemoryFile>(disk_, it->second);
  }
  bool Rename(std::string_view from, std::string_view to, bool replace) override {
    std::lock_guard lock(disk_.mutex);
    const std::string f(from), t(to);
    auto it = disk_.files.find(f);
    if (it == disk_.files.end() || (!replace && disk_.files.contains(t)) ||
        disk_.read_only.contains(t) || disk_.held.contains(f) || disk_.held.contains(t)) {
      return false;
    }
    if (f == t) return true;
    disk_.files[t] = it->second;
    disk_.files.erase(f);
    if (disk_.read_only.erase(f) > 0) disk_.read_only.insert(t);
    return true;
  }
  bool Link(std::string_view name, std::string_view link) override {
    std::lock_guard lock(disk_.mutex);
    auto it = disk_.files.find(std::string(name));
    if (!disk_.links || it == disk_.files.end() || disk_.files.contains(std::string(link))) {
      return false;
    }
    disk_.files[std::string(link)] = it->second;
    return true;
  }
  bool Delete(std::string_view name) override {
    std::lock_guard lock(disk_.mutex);
    if (disk_.read_only.contains(std::string(name)) || disk_.held.contains(std::string(name))) {
      return false;
    }
    return disk_.files.erase(std::string(name)) > 0;
  }
  FolderEntry Find(std::string_view name) override {
    std::lock_guard lock(disk_.mutex);
    if (disk_.lookup_errors.contains(std::string(name))) return FolderEntry::kOther;
    if (!disk_.files.contains(std::string(name))) return FolderEntry::kMissing;
    return disk_.read_only.contains(std::string(name)) ? FolderEntry::kReadOnlyFile
                                                       : FolderEntry::kFile;
  }
  std::optional<std::vector<std::string>> List() override {
    std::lock_guard lock(disk_.mutex);
    std::vector<std::string> names;
    for (const auto& [name, content] : disk_.files) names.push_back(name);
    return names;
  }
  std::unique_ptr<HeldFile> Hold(std::string_view name) override {
    std::lock_guard lock(disk_.mutex);
    if (!disk_.files.emplace(name, std::make_shared<std::string>()).second) return nullptr;
    disk_.held.emplace(name);
    return std::make_unique<MemoryHeldFile>(disk_, std::string(name));
  }
  std::uint32_t ProcessId() override { return disk_.process_id; }

  std::unique_ptr<FolderFile> OpenToRead(std::string_view name) override {
    std::lock_guard lock(disk_.mutex);
    auto it = disk_.files.find(std::string(name));
    if (it == disk_.files.end()) return nullptr;
    auto file = std::make_unique<MemoryFile>(disk_, it->second);
    file->MakeReadOnly();
    return file;
  }
  // The content's address stands for the file's id, its hash for its last write.
  std::optional<FileIdentity> Identity(std::string_view name) override {
    std::lock_guard lock(disk_.mutex);
    auto it = disk_.files.find(std::string(name));
    if (it == disk_.files.end() || disk_.lookup_errors.contains(std::string(name))) {
      return std::nullopt;
    }
    return FileIdentity{it->second->size(), std::hash<std::string>{}(*it->second),
                        reinterpret_cast<std::uintptr_t>(it->second.get()), 1};
  }
  std::optional<std::uint64_t> FreeSpace() override {
    std::lock_guard lock(disk_.mutex);
    return disk_.free_space;
  }

 private:
  MemoryDisk& disk_;
};

class FaultyFile final : public FolderFile {
 public:
  FaultyFile(std::unique_ptr<FolderFile> file, FaultPlan& plan, std::string name)
      : file_(std::move(file)), plan_(plan), name_(std::move(name)) {}
  bool Write(std::span<const std::uint8_t> bytes) override {
    return plan_.Next("write " + name_) && file_->Write(bytes);
  }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    return file_->ReadAt(offset, out);
  }
  bool Flush() override { return plan_.Next("flush " + name_) && file_->Flush(); }
  bool Close() override { return plan_.Next("close " + name_) && file_->Close(); }
  bool OutOfSpace() const override { return file_->OutOfSpace(); }

 private:
  std::unique_ptr<FolderFile> file_;
  FaultPlan& plan_;
  std::string name_;
};

std::string Step(std::string_view what, std::string_view name, std::string_view to = {}) {
  std::string step(what);
  step += ' ';
  step += name;
  if (!to.empty()) {
    step += " > ";
    step += to;
  }
  return step;
}

class FaultyFolder final : public GameFolder {
 public:
  FaultyFolder(std::unique_ptr<GameFolder> folder, FaultPlan& plan)
      : folder_(std::move(folder)), plan_(plan) {}

  std::unique_ptr<FolderFile> Create(std::string_view name) override {
    if (!plan_.Next(Step("create", name))) return nullptr;
    std::unique_ptr<FolderFile> file = folder_->Create(name);
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(std::move(file), plan_, std::string(name));
  }
  bool Rename(std::string_view from, std::string_view to, bool replace) override {
    return plan_.Next(Step("rename", from, to)) && folder_->Rename(from, to, replace);
  }
  bool Link(std::string_view name, std::string_view link) override {
    return plan_.Next(Step("link", name, link)) && folder_->Link(name, link);
  }
  bool Delete(std::string_view name) override {
    return plan_.Next(Step("delete", name)) && folder_->Delete(name);
  }
  FolderEntry Find(std::string_view name) override { return folder_->Find(name); }
  std::optional<std::vector<std::string>> List() override { return folder_->List(); }
  std::unique_ptr<HeldFile> Hold(std::string_view name) override {
    return plan_.Next(Step("hold", name)) ? folder_->Hold(name) : nullptr;
  }
  std::uint32_t ProcessId() override { return folder_->ProcessId(); }
  std::unique_ptr<FolderFile> OpenToRead(std::string_view name) override {
    return folder_->OpenToRead(name);
  }
  std::optional<FileIdentity> Identity(std::string_view name) override {
    return folder_->Identity(name);
  }
  std::optional<std::uint64_t> FreeSpace() override { return folder_->FreeSpace(); }

 private:
  std::unique_ptr<GameFolder> folder_;
  FaultPlan& plan_;
};

}  // namespace

std::map<std::string, std::string> MemoryDisk::Contents() {
  std::lock_guard lock(mutex);
  std::map<std::string, std::string> contents;
  for (const auto& [name, content] : files) contents[name] = *content;
  return contents;
}

void MemoryDisk::Put(const std::string& name, std::string content) {
  std::lock_guard lock(mutex);
  files[name] = std::make_shared<std::string>(std::move(content));
}

std::unique_ptr<GameFolder> OpenMemoryFolder(MemoryDisk& disk) {
  return std::make_unique<MemoryFolder>(disk);
}

bool FaultPlan::Next(std::string step) {
  std::lock_guard lock(mutex);
  ++steps;
  log.push_back(std::move(step));
  return fail_at == 0 || (sticky ? steps < fail_at : steps != fail_at);
}

int FaultPlan::Find(std::string_view prefix, std::string_view suffix) {
  std::lock_guard lock(mutex);
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (log[i].starts_with(prefix) && log[i].ends_with(suffix)) return static_cast<int>(i + 1);
  }
  return 0;
}

std::unique_ptr<GameFolder> OpenFaultyFolder(std::unique_ptr<GameFolder> folder, FaultPlan& plan) {
  return std::make_unique<FaultyFolder>(std::move(folder), plan);
}

}  // namespace lq::test
