// A window of the main window's size: a tab of nine pages, eight of them with a group box of two
// labels and a grid of 20 buttons, written as data with the grid helper. Loading it and switching
// its pages.
#include <cstdio>

#include "runtime/errors/program_end.h"
#include "runtime/forms/events.h"
#include "runtime/forms/forms_registry.h"
#include "runtime/forms/unit_properties.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/forms/win32/windows_ui.h"
#include "tests/forms/win32/forms_fixture.h"

namespace lq::test {
namespace {

namespace u = lq::unit;

constexpr WindowId kBigId = 0x52010077;
constexpr UnitId kBigTab = 0x16010100;
constexpr std::string_view kPages[] = {"设置",    "ADC",     "AP1页",   "AP2页", "上单1页",
                                       "上单2页", "打野1页", "打野2页", "中单"};
constexpr std::int32_t kLefts[] = {6, 86, 167, 248, 327};
constexpr std::int32_t kTops[] = {27, 65, 104, 144};
constexpr FontSpec kNoteFont = MakeFont(-14);
constexpr int kPerPage = 1 + 2 + 20;  // group box, two labels, 20 buttons
constexpr int kControls = 1 + 8 * kPerPage;

double Milliseconds() {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int g_clicks = 0;
void ChampionClicked() { ++g_clicks; }

// Unique names "u1", "u2", ... for the generated records.
constexpr auto kNames = [] {
  std::array<std::array<char, 8>, kControls> names{};
  for (int i = 0; i < kControls; ++i) {
    int n = i + 1;
    char digits[6] = {};
    int d = 0;
    while (n > 0) {
      digits[d++] = static_cast<char>('0' + n % 10);
      n /= 10;
    }
    names[i][0] = 'u';
    for (int k = 0; k < d; ++k) names[i][1 + k] = digits[d - 1 - k];
  }
  return names;
}();
constexpr std::string_view Name(int i) {
  std::size_t n = 0;
  while (kNames[i][n] != '\0') ++n;
  return {kNames[i].data(), n};
}

constexpr std::array<ControlTemplate, kControls> kBigControls = [] {
  std::array<ControlTemplate, kControls> all{};
  all[0] = u::Tab(kBigTab, Name(0)).At(0, 0, 552, 248).Pages(kPages);
  int at = 1;
  for (int page = 1; page <= 8; ++page) {
    const UnitId group = kBigTab + static_cast<UnitId>(at);
    all[at] =
        u::GroupBox(group, Name(at)).At(408, 24, 136, 160).OnPage(kBigTab, page).Caption("说明");
    ++at;
    all[at] = u::Label(kBigTab + static_cast<UnitId>(at), Name(at))
                  .At(8, 16, 120, 104)
                  .In(group)
                  .Caption("部分皮肤我没测试过。\r\n\r\n")
                  .Font(kNoteFont);
    ++at;
    all[at] = u::Label(kBigTab + static_cast<UnitId>(at), Name(at))
                  .At(8, 124, 120, 24)
                  .In(group)
                  .Caption("作者：")
                  .TextColour(0xff00ff);
    ++at;
    for (int cell = 0; cell < 20; ++cell, ++at) {
      all[at] = u::Button(kBigTab + static_cast<UnitId>(at), Name(at))
                    .At(u::GridCell(kLefts, kTops, static_cast<std::size_t>(cell), 64, 32))
                    .OnPage(kBigTab, page)
                    .Caption(cell % 3 == 2 ? "" : "金克丝")
                    .On(kEventClicked, cell % 3 == 2 ? Handler() : Handler(&ChampionClicked));
    }
  }
  return all;
}();

constexpr WindowTemplate kBig[] = {
    u::Window(kBigId, 0x06010077, "大窗口").At(50, 50, 556, 226).Position(1).Controls(kBigControls),
};

TEST(BigWindow, LoadsAndSwitchesItsNinePages) {
  ResetProgramEndState();
  StartFormsRuntime(kBig);
  const double started = Milliseconds();
  ASSERT_TRUE(LoadWindow(kBigId, 0, false));
  const double load_ms = Milliseconds() - started;
  std::printf("loading a window of %d controls: %.1f ms\n", kControls, load_ms);
  RecordProperty("load_ms", static_cast<int>(load_ms));

  HWND tab = UnitHandle(kBigId, kBigTab);
  const auto shown_on_tab = [&] {
    int shown = 0;
    for (HWND child = GetWindow(tab, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (IsWindowVisible(child)) ++shown;
    }
    return shown;
  };
  EXPECT_EQ(shown_on_tab(), 0);  // the settings page is empty here
  for (int page = 1; page <= 8; ++page) {
    const auto switched = std::chrono::steady_clock::now();
    WriteIntegerProperty(kBigId, kBigTab, kTabCurrentPage, page);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - switched)
            .count();
    if (page == 1) std::printf("switching to a page of 20 buttons: %.1f ms\n", ms);
    EXPECT_EQ(shown_on_tab(), 21) << page;  // its group box and 20 buttons
  }
  const UnitId first_button = kBigTab + 1 + 7 * kPerPage + 3;  // page 8, cell 0
  g_clicks = 0;
  SendMessageW(UnitHandle(kBigId, first_button), BM_CLICK, 0, 0);
  SendMessageW(UnitHandle(kBigId, first_button + 2), BM_CLICK, 0, 0);  // no caption, no handler
  EXPECT_EQ(g_clicks, 1);
  EXPECT_EQ(WindowTextOf(UnitHandle(kBigId, first_button)), L"金克丝");
  StopFormsRuntime();
  ResetProgramEndState();
}

}  // namespace
}  // namespace lq::test
