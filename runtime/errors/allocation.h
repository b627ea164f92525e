// Heap blocks and the report of an allocation that fails.
//
// How failures reach the report: in the Windows program every C++ allocation goes through the
// replaced global operator new of the lq_errors_new object library (allocation_new.cpp), which
// reports "分配 N 字节内存失败!" with the requested size instead of throwing std::bad_alloc. The
// program links it; test programs do not, except the one that checks it. Native builds keep the
// standard operator new, which the sanitizers intercept. Raw blocks come from AllocateBlock on
// every platform.
#pragma once

#include <cstddef>
#include <string>

namespace lq {

// "分配 N 字节内存失败!" with the byte count in decimal (GBK).
std::string AllocationFailureMessage(std::size_t bytes);

// Reports the failure with code 0 and ends the program. If the report itself runs out of memory,
// the process ends at once with exit code -1.
[[noreturn]] void ReportAllocationFailure(std::size_t bytes);

// A block of at least `bytes` bytes (a zero count gives a valid one-byte block); a failure is
// reported and never returns. Release it with FreeBlock.
void* AllocateBlock(std::size_t bytes);
void FreeBlock(void* block);

}  // namespace lq
