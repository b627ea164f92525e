// The one walk over a Tool Help process snapshot, under the process list and the program's own
// look-ups of processes.
#pragma once

#include <windows.h>
// windows.h first: the Tool Help header builds on its types.
#include <tlhelp32.h>

namespace lq {

// How the walk reads the snapshot's first entry: with Process32FirstW, or with Process32NextW as
// it reads every later one (on a fresh snapshot that too gives the first entry).
enum class FirstProcessEntry { kByFirst, kByNext };

// Calls `visit` with each entry of the snapshot in the system's order until `visit` returns false
// or the entries end.
template <class Visit>
void WalkProcesses(HANDLE snapshot, FirstProcessEntry first, Visit&& visit) {
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  BOOL more = first == FirstProcessEntry::kByFirst ? Process32FirstW(snapshot, &entry)
                                                   : Process32NextW(snapshot, &entry);
  while (more && visit(static_cast<const PROCESSENTRY32W&>(entry))) {
    entry.dwSize = sizeof(entry);
    more = Process32NextW(snapshot, &entry);
  }
}

}  // namespace lq
