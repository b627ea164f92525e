// The GUI queue: posted jobs run on the GUI thread, in order, only when it runs the queue; a
// waiting call from another thread runs there and brings its exception back; dropped jobs never
// run and release their callers; every worker started runs.
#include "runtime/forms/gui_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "runtime/errors/program_end.h"

namespace lq {
namespace {

std::atomic<int> g_wakes{0};
void CountWake() { ++g_wakes; }

void WaitFor(const std::atomic<int>& count, int value) {
  while (count.load() < value) std::this_thread::yield();
}

class GuiQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramEndState();
    SetGuiThread(std::this_thread::get_id());
    g_wakes = 0;
    SetGuiWaker(&CountWake);
  }
  void TearDown() override {
    SetGuiWaker(nullptr);
    DropGuiJobs();
    ResetProgramEndState();
  }
};

TEST_F(GuiQueue, PostedJobsRunInOrderWhenTheGuiThreadRunsTheQueue) {
  std::vector<int> ran;
  std::thread worker([&ran] {
    PostToGuiThread([&ran] {
      ran.push_back(1);
      PostToGuiThread([&ran] { ran.push_back(4); });  // posted while the queue runs
    });
    PostToGuiThread([] { throw std::runtime_error("a job's own failure"); });
    PostToGuiThread([&ran] { ran.push_back(2); });
    PostToGuiThread([&ran] { ran.push_back(3); });
  });
  worker.join();  // posting never waits for the GUI thread
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(g_wakes, 4);
  EXPECT_EQ(RunGuiJobs(), 5u);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(RunGuiJobs(), 0u);
}

TEST_F(GuiQueue, AWaitingCallRunsOnTheGuiThreadAndBringsBackItsException) {
  std::thread::id ran_on;
  std::string caught;
  std::atomic<int> stage{0};
  std::thread worker([&] {
    OnGuiThread([&] { ran_on = std::this_thread::get_id(); });
    stage = 1;
    try {
      OnGuiThread([] { throw std::runtime_error("refused"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    stage = 2;
  });
  WaitFor(g_wakes, 1);
  EXPECT_EQ(stage, 0);  // the worker waits for its job
  // Released by the end of its first job, the worker may post its second before this run of the
  // queue looks again: the two jobs are run by one run or by two.
  std::size_t ran = RunGuiJobs();
  WaitFor(g_wakes, 2);
  ran += RunGuiJobs();
  EXPECT_EQ(ran, 2u);
  worker.join();
  EXPECT_EQ(stage, 2);
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  EXPECT_EQ(caught, "refused");
}

TEST_F(GuiQueue, DroppedJobsNeverRunAndReleaseTheirCallers) {
  std::atomic<bool> ran{false};
  std::thread worker([&ran] { OnGuiThread([&ran] { ran = true; }); });
  WaitFor(g_wakes, 1);
  PostToGuiThread([&ran] { ran = true; });
  DropGuiJobs();
  worker.join();  // released
  EXPECT_EQ(RunGuiJobs(), 0u);
  EXPECT_FALSE(ran);
}

TEST_F(GuiQueue, CallsRunAtOnceOnTheGuiThreadOrWithoutAWakerAndNothingWhileSuspended) {
  int ran = 0;
  OnGuiThread([&ran] { ++ran; });
  EXPECT_EQ(ran, 1);
  PostToGuiThread([&ran] { ++ran; });
  EnterErrorReport();  // an error report is on screen: the job waits
  EXPECT_EQ(RunGuiJobs(), 0u);
  ResetProgramEndState();
  SetGuiThread(std::this_thread::get_id());
  EXPECT_EQ(RunGuiJobs(), 1u);
  SetGuiWaker(nullptr);
  std::thread([&ran] { OnGuiThread([&ran] { ++ran; }); }).join();
  EXPECT_EQ(ran, 3);
}

// Every worker started runs its work, however many start in a row (a thread that is created but
// never runs would leave an installation or a preview waiting for ever).
TEST(WorkerThreads, EveryStartedWorkerRuns) {
  constexpr int kWorkers = 400;
  std::atomic<int> ran{0};
  for (int i = 0; i < kWorkers; ++i) {
    ASSERT_TRUE(StartWorkerThread([&ran] { ++ran; }));
  }
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (ran.load() < kWorkers && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(ran.load(), kWorkers);
}

}  // namespace
}  // namespace lq
