// A fatal report really ends the process with exit code -1, after the report and without the
// program's clean-ups; an orderly end runs them and ends with its own code.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/errors/allocation.h"
#include "runtime/errors/runtime_error.h"
#include "tests/errors/child_process.h"

namespace lq {
namespace {

using test::FatalChild;
using test::MinusOneExitStatus;
using test::ReadFile;

// A scratch file in the working directory, named after the running test.
class ChildOutput {
 public:
  ChildOutput()
      : path_(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
              ".out") {
    std::remove(path_.c_str());
  }
  ~ChildOutput() { std::remove(path_.c_str()); }
  ChildOutput(const ChildOutput&) = delete;
  ChildOutput& operator=(const ChildOutput&) = delete;
  const std::string& path() const { return path_; }
  std::string Read() const { return ReadFile(path_); }

 private:
  std::string path_;
};

std::optional<std::uint32_t> RunChild(const std::string& mode, const ChildOutput& output) {
  FatalChild child({mode, output.path()});
  if (!child.started()) {
    ADD_FAILURE() << "errors_fatal_child did not start";
    return std::nullopt;
  }
  return child.Wait(30000);
}

TEST(FatalChild, ARaisedErrorEndsWithMinusOneAfterItsReportWithoutTheCleanups) {
  ChildOutput output;
  EXPECT_EQ(RunChild("raise6", output), MinusOneExitStatus());
  EXPECT_EQ(output.Read(),
            "report:" + RuntimeErrorReportText(RuntimeErrorMessage(6), 6) + "told\n");
}

TEST(FatalChild, AFailedBlockAllocationReportsItsSize) {
  ChildOutput output;
  EXPECT_EQ(RunChild("alloc", output), MinusOneExitStatus());
  EXPECT_EQ(
      output.Read(),
      "report:" + RuntimeErrorReportText("分配 1152921504606846976 字节内存失败!", 0) + "told\n");
}

TEST(FatalChild, TheOrderlyEndRunsTheCleanupsAndEndsWithItsCode) {
  ChildOutput output;
  EXPECT_EQ(RunChild("end", output), 7u);
  EXPECT_EQ(output.Read(), "cleanup 0\ntold\n");
}

#ifdef _WIN32
TEST(FatalChild, TheProgramsOperatorNewReportsAFailedAllocationWithItsSize) {
  ChildOutput output;
  EXPECT_EQ(RunChild("new", output), MinusOneExitStatus());
  EXPECT_EQ(
      output.Read(),
      "report:" + RuntimeErrorReportText("分配 1152921504606846976 字节内存失败!", 0) + "told\n");
}

TEST(FatalChild, AReportStillUnloadsTheDeclaredModules) {
  ChildOutput output;
  EXPECT_EQ(RunChild("unload", output), MinusOneExitStatus());
  EXPECT_EQ(output.Read(), "loaded\nreport:" + RuntimeErrorReportText(RuntimeErrorMessage(6), 6) +
                               "told\nunloaded\n");
}
#else
TEST(FatalChild, WithoutAMessageBoxTheReportGoesToStderr) {
  ChildOutput output;
  FatalChild child({"box"}, output.path());
  ASSERT_TRUE(child.started());
  EXPECT_EQ(child.Wait(30000), MinusOneExitStatus());
  EXPECT_EQ(output.Read(), RuntimeErrorReportText(RuntimeErrorMessage(6), 6));
}
#endif

}  // namespace
}  // namespace lq
