// A user folder in memory for tests, with the faults of one on a disk: a folder that cannot be
// written (a read-only profile), a disk that fills up, and writes cut short by the end of the
// process, which leave their staged file behind, half written.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "skins/user_folder.h"

namespace lq::test {

struct MemoryUserDisk {
  struct File {
    std::string bytes;
    std::int64_t last_use = 0;
  };
  std::map<std::string, File> files;
  bool read_only = false;                 // writes, deletes and touches fail
  std::optional<std::uint64_t> capacity;  // what all files may hold; a write beyond it fails
  int cut_writes = 0;                     // the next writes that the process's end cuts short
  std::int64_t clock = 0;                 // advanced by every write and touch
  int staged_count = 0;
  int reads = 0;  // of files that are there
  std::mutex mutex;

  // Every name with its bytes.
  std::map<std::string, std::string> Contents();
  std::uint64_t TotalBytes();
  void Put(const std::string& name, std::string bytes);
};

std::unique_ptr<UserFolder> OpenMemoryUserFolder(MemoryUserDisk& disk);

}  // namespace lq::test
