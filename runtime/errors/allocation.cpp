#include "runtime/errors/allocation.h"

#include <atomic>
#include <cstdlib>

#include "runtime/errors/program_end.h"
#include "runtime/errors/runtime_error.h"

namespace lq {
namespace {

std::atomic<bool> g_reporting{false};

// Cleared again if a test's process terminator unwinds out of the report.
struct ReportingFlag {
  ReportingFlag() = default;
  ReportingFlag(const ReportingFlag&) = delete;
  ReportingFlag& operator=(const ReportingFlag&) = delete;
  ~ReportingFlag() { g_reporting = false; }
};

}  // namespace

std::string AllocationFailureMessage(std::size_t bytes) {
  return "分配 " + std::to_string(bytes) + " 字节内存失败!";
}

void ReportAllocationFailure(std::size_t bytes) {
  // The report builds texts on the heap; a failure while it does so must not recurse.
  if (g_reporting.exchange(true)) EndProcess(-1);
  ReportingFlag flag;
  ReportRuntimeError(AllocationFailureMessage(bytes), 0);
}

void* AllocateBlock(std::size_t bytes) {
  if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) return block;
  ReportAllocationFailure(bytes);
}

void FreeBlock(void* block) { std::free(block); }

}  // namespace lq
