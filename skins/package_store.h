// What the program remembers of the packages it wrote, between runs: for each package file of a
// Game folder, the address it came from, the host's validators for it and the identity of the
// file as it was written. A later load of the same address asks the host whether the package
// changed and may use the file again, but only while it is still that file (and it passes the
// zip check again). One record per file: two skins whose packages share a file name never let
// one's address stand for the other's bytes, as the file's record names the last address written.
//
// The records are one small file of the user's own folder, read and rewritten whole. A store that
// is missing, damaged or cannot be written only costs a download: a damaged record is dropped,
// never used.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skins/game_folder.h"

namespace lq {

struct PackageRecord {
  std::string directory;  // the Game folder, GBK, as the installation was given it
  std::string file_name;  // "<name>.zip"
  std::string url;        // the address the package came from
  std::string etag;       // the host's validators; either may be empty
  std::string last_modified;
  FileIdentity identity;  // of the file as it was written
  friend bool operator==(const PackageRecord&, const PackageRecord&) = default;
};

// The text form of the records, and back; records that do not parse whole are left out.
std::string FormatPackageRecords(const std::vector<PackageRecord>& records);
std::vector<PackageRecord> ParsePackageRecords(std::string_view text);

class PackageStore {
 public:
  // The store's file, read whole (nothing when missing or unreadable) and written whole (false
  // when it cannot be).
  using ReadFile = std::function<std::optional<std::string>()>;
  using WriteFile = std::function<bool(std::string_view bytes)>;
  // At most `max_records` are kept (enough for every skin of the catalogue); the oldest written
  // go first.
  PackageStore(ReadFile read, WriteFile write, std::size_t max_records = 512);

  std::optional<PackageRecord> Find(std::string_view directory, std::string_view file_name);
  // Replaces the record of the record's file.
  void Remember(const PackageRecord& record);
  void Forget(std::string_view directory, std::string_view file_name);

 private:
  ReadFile read_;
  WriteFile write_;
  std::size_t max_records_;
  std::mutex mutex_;  // installations of this process take turns; another process may still race
};

}  // namespace lq
