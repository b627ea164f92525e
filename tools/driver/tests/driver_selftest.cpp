// The driver against its test program: the scenario runner, the library calls an end-to-end test
// makes, failure messages and the command-line program.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "tests/support/endpoint_client.h"
#include "tools/driver/lib/controls.h"
#include "tools/driver/lib/message_boxes.h"
#include "tools/driver/lib/round_trip.h"
#include "tools/driver/lib/scenario.h"
#include "tools/driver/lib/target_process.h"
#include "tools/driver/lib/wide.h"

namespace lq::driver {
namespace {

std::string AppPath() { return test::HostPath(LQ_DRIVER_TESTAPP); }

std::wstring Scenario(const char* name) {
  return Utf8ToWide(test::HostPath(std::string(LQ_DRIVER_SCENARIOS) + "/" + name));
}

ScenarioOptions Options(std::vector<std::string>* log = nullptr) {
  ScenarioOptions o;
  o.variables["APP"] = AppPath();
  if (log) o.log = [log](const std::string& line) { log->push_back(line); };
  return o;
}

constexpr std::uint32_t kEdit = 0x16000001, kShowButton = 0x16000002, kResult = 0x16000003,
                        kNestedButton = 0x16000030;

TEST(DriverScenario, WalksTheTestProgram) {
  std::vector<std::string> log;
  const ScenarioResult r = RunScenarioFile(Scenario("selftest.txt"), Options(&log));
  ASSERT_TRUE(r.passed) << r.message;
  // Tab pages are selected by a click on the tab, located through the program's memory.
  EXPECT_NE(std::find(log.begin(), log.end(), "  (mouse click on the tab)"), log.end());
}

TEST(DriverScenario, HiddenWindowStillTakesTrayActions) {
  const ScenarioResult r = RunScenarioFile(Scenario("hide_on_close.txt"), Options());
  EXPECT_TRUE(r.passed) << r.message;
}

TEST(DriverScenario, FailureNamesTheLineAndWhatWasSeen) {
  ScenarioOptions o = Options();
  o.source_name = "inline";
  const ScenarioResult r = RunScenario(U8(u8"# a comment\n"
                                          u8"start ${APP}\n"
                                          u8"\n"
                                          u8"wait-window title=\"驱动测试窗口\"\n"
                                          u8"expect-text 0x16000001 \"别的\" timeout=300\n"
                                          u8"close\n"),
                                       o);
  EXPECT_FALSE(r.passed);
  EXPECT_EQ(r.failed_line, 5);
  EXPECT_EQ(r.message.rfind("inline:5: expect-text 0x16000001", 0), 0u) << r.message;
  EXPECT_NE(r.message.find(U8(u8"the text is \"初始文字\"")), std::string::npos) << r.message;
}

TEST(DriverScenario, BadStepsFailClearly) {
  struct Case {
    const char* text;
    const char* reason;
  } cases[] = {
      {"frobnicate 1", "unknown step frobnicate"},
      {"click 0x1", "no program"},
      {"start ${NOPE}", "unknown variable ${NOPE}"},
      {"start Z:\\no\\such\\program.exe", "starting the program failed"},
      {"expect-text \"x", "unclosed quote"},
  };
  for (const Case& c : cases) {
    const ScenarioResult r = RunScenario(c.text, Options());
    EXPECT_FALSE(r.passed) << c.text;
    EXPECT_EQ(r.failed_line, 1) << c.text;
    EXPECT_NE(r.message.find(c.reason), std::string::npos) << r.message;
  }
}

TEST(DriverLibrary, DrivesTheProgramFromCpp) {
  std::string error;
  auto app = TargetProcess::Start(Utf8ToWide(AppPath()), L"--exit-code 5", L"", &error);
  ASSERT_TRUE(app) << error;
  HWND edit = nullptr;
  for (int i = 0; i < 200 && !edit; ++i, Sleep(50))
    edit = FindControl(app->TopLevelWindows(), kEdit);
  ASSERT_TRUE(edit);
  EXPECT_EQ(ReadText(edit), L"初始文字");
  ASSERT_TRUE(WriteText(edit, L"第一行"));
  Click(FindControl(app->TopLevelWindows(), kShowButton));
  std::vector<MessageBoxView> boxes;
  for (int i = 0; i < 200 && boxes.empty(); ++i, Sleep(50)) boxes = OpenMessageBoxes(*app);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"第一行");
  EXPECT_EQ(boxes[0].caption, L"信息：");
  EXPECT_FALSE(PressMessageBoxButton(boxes[0].box, IDNO));
  EXPECT_TRUE(PressMessageBoxButton(boxes[0].box, IDOK));
  HWND result = FindControl(app->TopLevelWindows(), kResult);
  for (int i = 0; i < 200 && ReadText(result) != L"已确认"; ++i) Sleep(50);
  EXPECT_EQ(ReadText(result), L"已确认");
  CloseAsUser(GetAncestor(edit, GA_ROOT));
  EXPECT_EQ(app->WaitExit(10000), 5u);
}

// A posted click has been handled once the round trip is over, whatever it did: a text written
// by its handler is there at once, a message box it opened is open. (A sent message alone would
// often come back before the click was taken.)
TEST(DriverLibrary, ARoundTripComesAfterThePostedClicks) {
  std::string error;
  auto app = TargetProcess::Start(Utf8ToWide(AppPath()), L"", L"", &error);
  ASSERT_TRUE(app) << error;
  HWND result = nullptr;
  for (int i = 0; i < 200 && !result; ++i, Sleep(50)) {
    result = FindControl(app->TopLevelWindows(), kResult);
  }
  ASSERT_TRUE(result);
  HWND window = GetAncestor(result, GA_ROOT);
  const auto controls = ControlsById(window);
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(WriteText(result, L""));
    Click(controls.at(kNestedButton));
    ASSERT_TRUE(RoundTrip(window));
    ASSERT_EQ(ReadText(result), L"nested") << "round trip " << i;
  }
  Click(controls.at(kShowButton));
  ASSERT_TRUE(RoundTrip(window));
  const std::vector<MessageBoxView> boxes = OpenMessageBoxes(*app);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"初始文字");
  // The box's own thread is the window's: the round trip goes through the box's message loop.
  EXPECT_TRUE(RoundTrip(window));
  PressMessageBoxButton(boxes[0].box, IDOK);
}

// The order a round trip keeps, shown where it cannot happen by chance: a window's thread is busy
// while a message is posted to it and the round trip starts, so when it takes its messages again
// the round trip's sent message is already waiting too, and a thread takes sent messages first.
TEST(DriverLibrary, ARoundTripWaitsForWhatWasPostedBeforeIt) {
  static std::atomic<bool> handled{false};
  handled = false;
  constexpr UINT kPosted = WM_APP + 1;
  WNDCLASSW cls{};
  cls.lpfnWndProc = [](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == kPosted) handled = true;
    return DefWindowProcW(w, msg, wp, lp);
  };
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = L"LqRoundTripTest";
  RegisterClassW(&cls);
  struct Shared {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE posted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> done{false};
    ~Shared() {
      CloseHandle(ready);
      CloseHandle(posted);
    }
  } shared;
  std::thread owner([&shared] {
    HWND w = CreateWindowExW(0, L"LqRoundTripTest", L"round trip", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    shared.window = w;
    SetEvent(shared.ready);
    WaitForSingleObject(shared.posted, 10000);
    Sleep(300);  // busy while the round trip starts
    MSG msg;
    while (!shared.done) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    DestroyWindow(w);
  });
  ASSERT_EQ(WaitForSingleObject(shared.ready, 10000), WAIT_OBJECT_0);
  HWND window = shared.window;
  PostMessageW(window, kPosted, 0, 0);
  SetEvent(shared.posted);
  const bool answered = RoundTrip(window);
  const bool handled_first = handled;
  shared.done = true;
  owner.join();
  UnregisterClassW(L"LqRoundTripTest", nullptr);
  EXPECT_TRUE(answered);
  EXPECT_TRUE(handled_first);
}

// A thread that took no message for more than five seconds counts as hung, and a box it has just
// shown answers only once its message loop runs: such a box is read then, not seen as empty.
TEST(DriverLibrary, ABoxShownAfterALongWaitIsReadOnceItAnswers) {
  struct Shown {
    HANDLE shown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Shown() {
      CloseHandle(shown);
      CloseHandle(done);
    }
  } events;
  const HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* p) -> DWORD {
        auto& e = *static_cast<Shown*>(p);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's message queue
        Sleep(5500);
        HWND box = CreateWindowExW(0, L"#32770", L"信息：", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0,
                                   0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        CreateWindowExW(0, L"STATIC", L"迟到的消息", WS_CHILD | WS_VISIBLE, 0, 0, 150, 20, box,
                        reinterpret_cast<HMENU>(0xFFFF), nullptr, nullptr);
        SetEvent(e.shown);
        Sleep(1000);  // shown, but no message taken yet
        while (MsgWaitForMultipleObjects(1, &e.done, FALSE, INFINITE, QS_ALLINPUT) !=
               WAIT_OBJECT_0) {
          while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        DestroyWindow(box);
        return 0;
      },
      &events, 0, nullptr);
  ASSERT_TRUE(thread);
  ASSERT_EQ(WaitForSingleObject(events.shown, 15000), WAIT_OBJECT_0);
  std::string error;
  auto self = TargetProcess::Attach(GetCurrentProcessId(), &error);
  ASSERT_TRUE(self) << error;
  const std::vector<MessageBoxView> boxes = OpenMessageBoxes(*self);
  SetEvent(events.done);
  WaitForSingleObject(thread, 15000);
  CloseHandle(thread);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"迟到的消息");
  EXPECT_EQ(boxes[0].caption, L"信息：");
}

TEST(DriverLibrary, AttachedProgramIsNeverEnded) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + Utf8ToWide(AppPath()) + L"\" --exit-code 4";
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  CloseHandle(pi.hThread);
  // Ends the program if a check below gives up early, so no window outlives the test.
  struct EndOnExit {
    HANDLE process;
    ~EndOnExit() {
      if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
      CloseHandle(process);
    }
  } guard{pi.hProcess};
  WaitForInputIdle(pi.hProcess, 10000);
  HWND edit = nullptr;
  {
    std::string error;
    auto attached = TargetProcess::Attach(pi.dwProcessId, &error);
    ASSERT_TRUE(attached) << error;
    EXPECT_FALSE(attached->Terminate());
    for (int i = 0; i < 200 && !edit; ++i, Sleep(50)) {
      edit = FindControl(attached->TopLevelWindows(), kEdit);
    }
    ASSERT_TRUE(edit);
  }
  // Still taking its messages after the attached object went.
  EXPECT_TRUE(RoundTrip(edit));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  std::string error;
  auto again = TargetProcess::Attach(pi.dwProcessId, &error);
  ASSERT_TRUE(again);
  for (HWND w : again->TopLevelWindows()) {
    if (ClassOf(w) == L"LqDriverTestApp") CloseAsUser(w);
  }
  EXPECT_EQ(again->WaitExit(10000), 4u);
}

DWORD RunDriver(const std::wstring& scenario) {
  std::wstring command = L"\"" + Utf8ToWide(test::HostPath(LQ_DRIVER_EXE)) + L"\" \"" + scenario +
                         L"\" --quiet --set APP=\"" + Utf8ToWide(AppPath()) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return 0xFFFF;
  }
  CloseHandle(pi.hThread);
  WaitForSingleObject(pi.hProcess, 90000);
  DWORD code = 0xFFFF;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  return code;
}

TEST(DriverProgram, ExitCodeTellsPassOrFail) {
  EXPECT_EQ(RunDriver(Scenario("hide_on_close.txt")), 0u);
  EXPECT_EQ(RunDriver(Scenario("no_such_scenario.txt")), 1u);
}

}  // namespace
}  // namespace lq::driver
