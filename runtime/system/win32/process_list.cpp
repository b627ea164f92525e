#include "runtime/system/process_list.h"

#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"
#include "runtime/system/win32/process_walk.h"

namespace lq {

std::vector<ProcessRecord> ListProcesses() {
  std::vector<ProcessRecord> list;
  const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return list;
  WalkProcesses(snapshot.get(), FirstProcessEntry::kByFirst, [&list](const PROCESSENTRY32W& entry) {
    ProcessRecord r;
    r.process_id = entry.th32ProcessID;
    r.exe_file = Text(WideToGbk(entry.szExeFile));
    r.module_id = entry.th32ModuleID;
    r.parent_process_id = entry.th32ParentProcessID;
    r.base_priority = entry.pcPriClassBase;
    r.thread_count = entry.cntThreads;
    list.push_back(std::move(r));
    return list.size() < kMaxProcessRecords;
  });
  return list;
}

}  // namespace lq
