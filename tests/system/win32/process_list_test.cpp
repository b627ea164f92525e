#include "runtime/system/process_list.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/scratch_dir.h"

namespace lq {
namespace {

TEST(ListProcesses, SeesThisProcessWithItsRecord) {
  const auto list = ListProcesses();
  ASSERT_FALSE(list.empty());
  EXPECT_LE(list.size(), kMaxProcessRecords);
  const auto self = std::find_if(list.begin(), list.end(), [](const ProcessRecord& r) {
    return r.process_id == GetCurrentProcessId();
  });
  ASSERT_NE(self, list.end());
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::string exe = test::GbkPath(std::filesystem::path(path).filename());
  EXPECT_EQ(self->exe_file.view(), exe);
  EXPECT_EQ(self->exe_file.view().find('\\'), std::string_view::npos);
  EXPECT_GE(self->thread_count, 1u);
  EXPECT_NE(self->parent_process_id, self->process_id);
}

TEST(ListProcesses, SeesAChildStartedMeanwhile) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  wchar_t cmd[] = L"cmd.exe /c ping -n 30 127.0.0.1 >nul";
  ASSERT_TRUE(CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &si, &pi));
  const auto list = ListProcesses();
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  const auto child = std::find_if(list.begin(), list.end(), [&](const ProcessRecord& r) {
    return r.process_id == pi.dwProcessId;
  });
  ASSERT_NE(child, list.end());
  EXPECT_EQ(child->parent_process_id, GetCurrentProcessId());
  EXPECT_EQ(child->exe_file.view(), "cmd.exe");
}

}  // namespace
}  // namespace lq
