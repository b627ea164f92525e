// ListProcesses: a snapshot of the running processes.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/commands/values.h"

namespace lq {

struct ProcessRecord {
  std::uint32_t process_id = 0;
  Text exe_file;  // file name without directory, GBK
  std::uint32_t module_id = 0;
  std::uint32_t parent_process_id = 0;
  std::int32_t base_priority = 0;
  std::uint32_t thread_count = 0;
};

// The list holds at most this many records; processes beyond it are left out.
inline constexpr std::size_t kMaxProcessRecords = 1020;

// Empty when no snapshot can be taken.
std::vector<ProcessRecord> ListProcesses();

}  // namespace lq
