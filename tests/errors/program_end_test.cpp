// The orderly end: clean-ups, end hooks by stage, the ending state and the hand-over from a
// worker thread.
#include "runtime/errors/program_end.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "runtime/errors/runtime_error.h"
#include "tests/support/report_capture.h"

namespace lq {
namespace {

using test::ProgramEnded;
using test::ReportCapture;

std::vector<std::string>& Journal() {
  static std::vector<std::string> journal;
  return journal;
}

void Note(char routine, int position) {
  std::string entry(1, routine);
  entry += std::to_string(position);
  Journal().push_back(entry);
}
void CleanupA(int position) { Note('A', position); }
void CleanupB(int position) { Note('B', position); }
void CleanupC(int position) { Note('C', position); }

class ProgramEndTest : public ::testing::Test {
 protected:
  ProgramEndTest() { Journal().clear(); }
  ReportCapture capture_;
};

TEST_F(ProgramEndTest, CleanupsRunOnceInRegistrationOrderWithTheirPositions) {
  RegisterCleanup(&CleanupB);
  RegisterCleanup(&CleanupA);
  RegisterCleanup(&CleanupB);  // already there: kept once, at its first place
  RegisterCleanup(&CleanupC);
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { EndProgram(0); }), 0);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"B0", "A1", "C2"}));

  RunEndSteps();  // the list was emptied
  EXPECT_EQ(Journal().size(), 3u);
}

TEST_F(ProgramEndTest, EndRaisesTheNestingCountAndSetsTheEndingFlagBeforeTheCleanups) {
  static int count_seen = -1;
  static bool ending_seen = false;
  RegisterCleanup([](int) {
    count_seen = ErrorNestingCount();
    ending_seen = IsProgramEnding();
  });
  EXPECT_FALSE(IsProgramEnding());
  RunEndSteps();
  EXPECT_EQ(count_seen, 1);
  EXPECT_TRUE(ending_seen);
  EXPECT_TRUE(EventDispatchSuspended());
}

TEST_F(ProgramEndTest, EndHooksRunByStageThenInRegistrationOrderAfterTheCleanups) {
  RegisterCleanup(&CleanupA);
  AddEndHook(EndStage::kShutDownPlatform, [] { Journal().push_back("ole"); });
  AddEndHook(EndStage::kReleaseObjects, [] { Journal().push_back("objects"); });
  AddEndHook(EndStage::kUnloadDeclaredModules, [] { Journal().push_back("modules"); });
  AddEndHook(EndStage::kNotifyLibraries, [] { Journal().push_back("library 1"); });
  AddEndHook(EndStage::kNotifyLibraries, [] { Journal().push_back("library 2"); });
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { EndProgram(5); }), 5);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"A0", "library 1", "library 2", "modules",
                                                 "objects", "ole"}));
}

TEST_F(ProgramEndTest, AReportDropsTheCleanupsButStillTellsTheLibraries) {
  RegisterCleanup(&CleanupA);
  AddEndHook(EndStage::kNotifyLibraries, [] { Journal().push_back("told"); });
  AddEndHook(EndStage::kUnloadDeclaredModules, [] { Journal().push_back("modules"); });
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { ReportRuntimeError("x", 0); }), -1);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"told", "modules"}));
}

TEST_F(ProgramEndTest, AReportFromACleanupEndsTheProgramOnceWithMinusOne) {
  RegisterCleanup([](int) { RaiseRuntimeError(ErrorCode::kTypeMismatch); });
  RegisterCleanup(&CleanupB);  // taken off the list before the first routine ran
  AddEndHook(EndStage::kNotifyLibraries, [] { Journal().push_back("told"); });
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { EndProgram(0); }), -1);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"told"}));
  EXPECT_EQ(ReportCapture::Reports().size(), 1u);
}

TEST_F(ProgramEndTest, OnTheGuiThreadTheForwarderIsNotUsed) {
  SetGuiThread(std::this_thread::get_id());
  static bool forwarded = false;
  SetEndProgramForwarder([](int) { return forwarded = true; });
  RegisterCleanup(&CleanupA);
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { EndProgram(0); }), 0);
  EXPECT_FALSE(forwarded);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"A0"}));
}

// Makes the calling thread the GUI thread, whose windows take every end handed to them; the exit
// codes handed over.
const std::vector<int>& ForwardEndsToThisThread() {
  SetGuiThread(std::this_thread::get_id());
  static std::vector<int> forwarded;
  forwarded.clear();
  SetEndProgramForwarder([](int exitCode) {
    forwarded.push_back(exitCode);
    return true;
  });
  return forwarded;
}

// Runs EndProgram(code) on a new thread and returns the exit code the process ended with.
int EndOnWorker(int code) {
  int exit_code = 0x7fffffff;
  std::thread worker([&] {
    try {
      EndProgram(code);
    } catch (const ProgramEnded& ended) {
      exit_code = ended.exit_code;
    }
  });
  worker.join();
  return exit_code;
}

TEST_F(ProgramEndTest, AWorkerHandsTheEndToTheGuiThreadAndEndsAtOnceWhenThatReturns) {
  const std::vector<int>& forwarded = ForwardEndsToThisThread();
  RegisterCleanup(&CleanupA);
  AddEndHook(EndStage::kNotifyLibraries, [] { Journal().push_back("told"); });

  EXPECT_EQ(EndOnWorker(3), 3);
  EXPECT_EQ(forwarded, std::vector<int>{3});
  EXPECT_TRUE(Journal().empty());  // nothing else is done on the worker
  EXPECT_FALSE(IsProgramEnding());
}

TEST_F(ProgramEndTest, AWorkerWithoutAnOwnerWindowEndsTheProgramItself) {
  SetGuiThread(std::this_thread::get_id());
  SetEndProgramForwarder([](int) { return false; });
  RegisterCleanup(&CleanupA);
  EXPECT_EQ(EndOnWorker(2), 2);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"A0"}));
  EXPECT_TRUE(IsProgramEnding());
}

TEST_F(ProgramEndTest, AReportOnAWorkerShowsThereAndHandsTheEndOver) {
  const std::vector<int>& forwarded = ForwardEndsToThisThread();
  RegisterCleanup(&CleanupA);
  int exit_code = 0;
  std::thread worker([&] {
    exit_code =
        ReportCapture::ExitCodeOf([] { RaiseRuntimeError(ErrorCode::kArrayIndexTooLarge); });
  });
  worker.join();
  EXPECT_EQ(exit_code, -1);
  EXPECT_EQ(forwarded, std::vector<int>{-1});
  ASSERT_EQ(ReportCapture::Reports().size(), 1u);
  // The GUI thread's end that follows finds the clean-ups already dropped.
  EXPECT_EQ(ReportCapture::ExitCodeOf([] { EndProgram(-1); }), -1);
  EXPECT_TRUE(Journal().empty());
}

TEST_F(ProgramEndTest, UntilAGuiThreadIsSetEveryThreadEndsTheProgramItself) {
  static bool forwarded = false;
  SetEndProgramForwarder([](int) { return forwarded = true; });
  RegisterCleanup(&CleanupA);
  EXPECT_EQ(EndOnWorker(4), 4);
  EXPECT_FALSE(forwarded);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"A0"}));
}

// The end hold runs first, on the thread that ends the program, on every path of the end.
TEST_F(ProgramEndTest, TheEndHoldRunsFirstOnTheThreadThatEnds) {
  static std::thread::id gui;
  gui = std::this_thread::get_id();
  struct Case {
    const char* what;
    bool on_worker;
    bool owner_window;  // whether a worker can hand the end over
    void (*end)();
    std::vector<std::string> journal;
  };
  const std::vector<Case> cases = {
      // Also the end that a worker hands over, when it arrives on the GUI thread.
      {"an end on the GUI thread", false, true, [] { EndProgram(0); }, {"hold gui", "A0"}},
      {"the message loop returned",
       false,
       true,
       [] {
         RunEndSteps();
         throw ProgramEnded{0};
       },
       {"hold gui", "A0"}},
      {"a report on the GUI thread",
       false,
       true,
       [] { ReportRuntimeError("x", 0); },
       {"report", "hold gui"}},
      {"an end on a worker", true, true, [] { EndProgram(3); }, {"hold worker", "hand over"}},
      {"a report on a worker",
       true,
       true,
       [] { RaiseRuntimeError(ErrorCode::kTypeMismatch); },
       {"report", "hold worker", "hand over"}},
      {"an end on a worker without owner window",
       true,
       false,
       [] { EndProgram(2); },
       {"hold worker", "A0"}},
  };
  for (const Case& c : cases) {
    ResetProgramEndState();
    Journal().clear();
    ReportCapture::Reports().clear();
    SetGuiThread(gui);
    SetEndHold([] {
      for (std::size_t i = 0; i < ReportCapture::Reports().size(); ++i)
        Journal().push_back("report");
      ReportCapture::Reports().clear();
      Journal().push_back(std::this_thread::get_id() == gui ? "hold gui" : "hold worker");
    });
    static bool owner_window = false;
    owner_window = c.owner_window;
    SetEndProgramForwarder([](int) {
      if (owner_window) Journal().push_back("hand over");
      return owner_window;
    });
    RegisterCleanup(&CleanupA);
    if (c.on_worker) {
      std::thread worker([&] { ReportCapture::ExitCodeOf(c.end); });
      worker.join();
    } else {
      ReportCapture::ExitCodeOf(c.end);
    }
    EXPECT_EQ(Journal(), c.journal) << c.what;
  }
}

}  // namespace
}  // namespace lq
