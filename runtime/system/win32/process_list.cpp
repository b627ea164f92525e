#include "runtime/system/process_list.h"

#include <windows.h>
// windows.h first: the Tool Help header builds on its types.
#include <tlhelp32.h>

#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"

namespace lq {

std::vector<ProcessRecord> ListProcesses() {
  std::vector<ProcessRecord> list;
  UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return list;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry);
       more && list.size() < kMaxProcessRecords; more = Process32NextW(snapshot.get(), &entry)) {
    ProcessRecord r;
    r.process_id = entry.th32ProcessID;
    r.exe_file = Text(WideToGbk(entry.szExeFile));
    r.module_id = entry.th32ModuleID;
    r.parent_process_id = entry.th32ParentProcessID;
    r.base_priority = entry.pcPriClassBase;
    r.thread_count = entry.cntThreads;
    list.push_back(std::move(r));
  }
  return list;
}

}  // namespace lq
