// Game folders for tests: one in memory, and a fault injector that makes one step of any folder
// fail (or every step from it on, as when the process ends there), counting hold, create, write,
// flush, close, rename, link and delete.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "skins/game_folder.h"

namespace lq::test {

// The files of a folder in memory. Two names of one file (a link) share its content.
struct MemoryDisk {
  std::map<std::string, std::shared_ptr<std::string>> files;
  std::set<std::string> read_only;
  // Files held open as a HeldFile holds them, by a folder here or by a test that stands for
  // another process: they can be neither deleted nor renamed, nor replaced by a move.
  std::set<std::string> held;
  // Names whose lookup fails: Find answers as the Windows folder answers a failed lookup.
  std::set<std::string> lookup_errors;
  bool links = true;  // whether the file system has links
  // The bytes free on the volume; unset: unknown, and writes never run out of room.
  std::optional<std::uint64_t> free_space;
  std::uint32_t process_id = 4242;
  std::mutex mutex;

  // Every name with its content.
  std::map<std::string, std::string> Contents();
  void Put(const std::string& name, std::string content);
};

std::unique_ptr<GameFolder> OpenMemoryFolder(MemoryDisk& disk);

// Step `fail_at` (1-based, in the order the steps are taken) fails, and with `sticky` every step
// after it too. 0 fails nothing; `steps` counts what was taken, and `log` tells each step, e.g.
// "rename a > b" (hold, create, write, flush, close, rename, link, delete; a file's own steps
// name the file).
struct FaultPlan {
  int fail_at = 0;
  bool sticky = false;
  int steps = 0;
  std::vector<std::string> log;
  std::mutex mutex;

  // Takes the next step; false when it is to fail.
  bool Next(std::string step);
  // The 1-based number of the first step in `log` that begins with `prefix` and ends with
  // `suffix`; 0 when none does.
  int Find(std::string_view prefix, std::string_view suffix = {});
};

std::unique_ptr<GameFolder> OpenFaultyFolder(std::unique_ptr<GameFolder> folder, FaultPlan& plan);

}  // namespace lq::test
