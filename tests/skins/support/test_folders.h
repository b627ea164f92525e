// Game folders for tests: one in memory, and a fault injector that makes one step of any folder
// fail (or every step from it on), counting create, write, flush, close, rename, link and delete.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "skins/game_folder.h"

namespace lq::test {

// The files of a folder in memory. Two names of one file (a link) share its content.
struct MemoryDisk {
  std::map<std::string, std::shared_ptr<std::string>> files;
  std::set<std::string> read_only;
  bool links = true;  // whether the file system has links
  std::uint32_t process_id = 4242;
  std::set<std::uint32_t> running;  // other processes that are running
  std::mutex mutex;

  // Every name with its content.
  std::map<std::string, std::string> Contents();
  void Put(const std::string& name, std::string content);
};

std::unique_ptr<GameFolder> OpenMemoryFolder(MemoryDisk& disk);

// Step `fail_at` (1-based, in the order the steps are taken) fails, and with `sticky` every step
// after it too. 0 fails nothing; `steps` counts what was taken.
struct FaultPlan {
  int fail_at = 0;
  bool sticky = false;
  int steps = 0;
  std::mutex mutex;

  // Takes the next step; false when it is to fail.
  bool Next();
};

std::unique_ptr<GameFolder> OpenFaultyFolder(std::unique_ptr<GameFolder> folder, FaultPlan& plan);

}  // namespace lq::test
