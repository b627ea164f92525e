// The main window's template data.
#include "app/main_window.h"

#include <array>
#include <vector>

#include "app/champion_buttons.h"
#include "app/shell_handlers.h"
#include "skins/catalogue.h"

namespace lq {
namespace {

namespace u = unit;

// Column lefts and row tops of each role page's grid.
struct GridLayout {
  std::array<std::int32_t, 5> lefts;
  std::array<std::int32_t, 4> tops;
};
constexpr GridLayout kGridA = {{6, 86, 167, 248, 327}, {27, 65, 104, 144}};  // ADC
constexpr GridLayout kGridB = {{6, 85, 162, 241, 323}, {27, 66, 105, 144}};  // AP1页
constexpr GridLayout kGridC = {{8, 87, 164, 243, 325}, {27, 66, 105, 144}};  // AP2页, 上单2页, ...
constexpr GridLayout kGridD = {{9, 88, 165, 244, 326}, {25, 64, 103, 142}};  // 上单1页
constexpr GridLayout kGridE = {{8, 87, 164, 243, 325}, {25, 64, 103, 142}};  // 打野1页
constexpr std::array<const GridLayout*, 8> kGridLayouts = {&kGridA, &kGridB, &kGridC, &kGridD,
                                                           &kGridC, &kGridE, &kGridC, &kGridC};

// The "说明" group box of role pages 1 to 8.
constexpr std::array<std::string_view, 8> kRoleGroupNames = {
    "分组框9", "分组框8", "分组框7", "分组框6", "分组框5", "分组框2", "分组框4", "分组框3"};

constexpr FontSpec kNoteFont = MakeFont(-14, 400);

// Names 按钮3 .. 按钮162 and 标签2 .. 标签17, numbered in the source so that they stay readable.
constexpr std::array<std::string_view, kGridButtonCount> kGridButtonNames = {
    "按钮3",   "按钮4",   "按钮5",   "按钮6",   "按钮7",   "按钮8",   "按钮9",   "按钮10",
    "按钮11",  "按钮12",  "按钮13",  "按钮14",  "按钮15",  "按钮16",  "按钮17",  "按钮18",
    "按钮19",  "按钮20",  "按钮21",  "按钮22",  "按钮23",  "按钮24",  "按钮25",  "按钮26",
    "按钮27",  "按钮28",  "按钮29",  "按钮30",  "按钮31",  "按钮32",  "按钮33",  "按钮34",
    "按钮35",  "按钮36",  "按钮37",  "按钮38",  "按钮39",  "按钮40",  "按钮41",  "按钮42",
    "按钮43",  "按钮44",  "按钮45",  "按钮46",  "按钮47",  "按钮48",  "按钮49",  "按钮50",
    "按钮51",  "按钮52",  "按钮53",  "按钮54",  "按钮55",  "按钮56",  "按钮57",  "按钮58",
    "按钮59",  "按钮60",  "按钮61",  "按钮62",  "按钮63",  "按钮64",  "按钮65",  "按钮66",
    "按钮67",  "按钮68",  "按钮69",  "按钮70",  "按钮71",  "按钮72",  "按钮73",  "按钮74",
    "按钮75",  "按钮76",  "按钮77",  "按钮78",  "按钮79",  "按钮80",  "按钮81",  "按钮82",
    "按钮83",  "按钮84",  "按钮85",  "按钮86",  "按钮87",  "按钮88",  "按钮89",  "按钮90",
    "按钮91",  "按钮92",  "按钮93",  "按钮94",  "按钮95",  "按钮96",  "按钮97",  "按钮98",
    "按钮99",  "按钮100", "按钮101", "按钮102", "按钮103", "按钮104", "按钮105", "按钮106",
    "按钮107", "按钮108", "按钮109", "按钮110", "按钮111", "按钮112", "按钮113", "按钮114",
    "按钮115", "按钮116", "按钮117", "按钮118", "按钮119", "按钮120", "按钮121", "按钮122",
    "按钮123", "按钮124", "按钮125", "按钮126", "按钮127", "按钮128", "按钮129", "按钮130",
    "按钮131", "按钮132", "按钮133", "按钮134", "按钮135", "按钮136", "按钮137", "按钮138",
    "按钮139", "按钮140", "按钮141", "按钮142", "按钮143", "按钮144", "按钮145", "按钮146",
    "按钮147", "按钮148", "按钮149", "按钮150", "按钮151", "按钮152", "按钮153", "按钮154",
    "按钮155", "按钮156", "按钮157", "按钮158", "按钮159", "按钮160", "按钮161", "按钮162",
};
constexpr std::array<std::string_view, 16> kRoleLabelNames = {
    "标签2",  "标签3",  "标签4",  "标签5",  "标签6",  "标签7",  "标签8",  "标签9",
    "标签10", "标签11", "标签12", "标签13", "标签14", "标签15", "标签16", "标签17",
};

// The settings page, its buttons bound to the window's handlers.
std::array<ControlTemplate, 8> SettingsPage(MainWindow& window) {
  return {
      u::Tab(kPageTab, "选择夹1").At(0, 0, 552, 248).Pages(kMainPageCaptions),
      u::Label(kDirectoryLabel, "标签1").At(25, 34, 48, 24).OnPage(kPageTab, 0).Caption("lo目录："),
      u::EditBox(kDirectoryEdit, "编辑框1")
          .At(80, 37, 280, 20)
          .OnPage(kPageTab, 0)
          .ReadOnly()
          .Align(1)
          .Border(1)
          .TextColour(0xff00ff)
          .BackColour(0xdbdbdb),
      u::Button(kAutoDiscoverButton, "按钮1")
          .At(80, 65, 64, 24)
          .OnPage(kPageTab, 0)
          .Caption("自动获取")
          .On(kEventClicked, Handler::Bind<&MainWindow::Discover>(window, 0)),
      u::Button(kPickButton, "按钮2")
          .At(162, 65, 64, 24)
          .OnPage(kPageTab, 0)
          .Caption("手动获取")
          .On(kEventClicked, Handler::Bind<&MainWindow::Pick>(window, 0)),
      u::CommonDlg(kFileDialog, "通用对话框1").At(368, 32, 26, 26).OnPage(kPageTab, 0),
      u::GroupBox(kFunctionGroup, "分组框1")
          .At(3, 96, 545, 84)
          .OnPage(kPageTab, 0)
          .Caption("选择功能区"),
      u::Button(kRepairButton, "按钮163")
          .At(21, 19, 56, 24)
          .In(kFunctionGroup)
          .Caption("修复")
          .On(kEventClicked, Handler::Bind<&MainWindow::Repair>(window, 0)),
  };
}

constexpr int kControlsPerRolePage = 3 + kGridButtonsPerPage;  // group box, two labels, grid

// Pages 1 to 8: the "说明" group box with its two labels, then the grid of buttons. The catalogue
// places the champions on the grids (page by page, row by row); a cell without one is a blank
// button.
std::array<ControlTemplate, 8 * kControlsPerRolePage> BuildRolePages() {
  std::array<ControlTemplate, 8 * kControlsPerRolePage> all{};
  std::size_t at = 0;
  for (int page = 1; page <= 8; ++page) {
    const auto p = static_cast<std::size_t>(page - 1);
    all[at++] = u::GroupBox(RoleGroupId(page), kRoleGroupNames[p])
                    .At(408, 24, 136, 160)
                    .OnPage(kPageTab, page)
                    .Caption("说明");
    all[at++] = u::Label(NoteLabelId(page), kRoleLabelNames[2 * p])
                    .At(8, 16, 120, 104)
                    .In(RoleGroupId(page))
                    .Caption(kNoteText)
                    .TextColour(0x000000)
                    .Font(kNoteFont);
    all[at++] = u::Label(AuthorLabelId(page), kRoleLabelNames[2 * p + 1])
                    .At(8, 124, 120, 24)
                    .In(RoleGroupId(page))
                    .Caption(kAuthorText)
                    .TextColour(0xff00ff);
    const GridLayout& grid = *kGridLayouts[p];
    for (int cell = 0; cell < kGridButtonsPerPage; ++cell) {
      const auto c = static_cast<std::size_t>(cell);
      ControlTemplate button =
          u::Button(GridButtonId(page, cell), kGridButtonNames[p * kGridButtonsPerPage + c])
              .At(u::GridCell(grid.lefts, grid.tops, c, 64, 32))
              .OnPage(kPageTab, page);
      if (const ChampionEntry* champion = FindChampionButton(page, cell)) {
        button = button.Caption(champion->caption.view())
                     .On(kEventClicked, ChampionButtonHandler(champion->index));
      }
      all[at++] = button;
    }
  }
  return all;
}

std::vector<ControlTemplate> BuildControls(MainWindow& window) {
  std::vector<ControlTemplate> all;
  for (const ControlTemplate& c : SettingsPage(window)) all.push_back(c);
  for (const ControlTemplate& c : BuildRolePages()) all.push_back(c);
  return all;
}

const MenuItemTemplate kMenu[] = {
    u::MenuEntry(kTrayMenuEntry, "菜单", "菜单"),
    u::MenuItem(kShowMenuItem, "显示", "显示").On(&ShowMenuClicked),
    u::MenuItem(kExitMenuItem, "退出", "退出").On(&ExitMenuClicked),
};

}  // namespace

MainWindow::MainWindow(const InstallationEnvironment& env)
    : env_(env),
      controls_(BuildControls(*this)),
      template_(u::Window(kMainWindowId, kMainWindowUnit, "启动窗口")
                    .At(50, 50, 556, 226)
                    .Border(2)
                    .ControlBox(true)
                    .MinButton(true)
                    .MaxButton(false)
                    .Position(1)
                    .Movable(true)
                    .Topmost(false)
                    .Controls(controls_)
                    .Menu(kMenu)
                    .On(kEventCreated, &MainWindowCreated)
                    .On(kEventMayClose, &MainWindowMayClose)
                    .On(kEventTray, &MainWindowTray)
                    .On(kEventMoved, &MainWindowMoved)) {}

void MainWindow::Discover(std::int32_t /*unused*/) { DiscoverGameDirectory(env_); }
void MainWindow::Pick(std::int32_t /*unused*/) { PickGameDirectory(env_); }
void MainWindow::Repair(std::int32_t /*unused*/) { RepairArchiveList(env_); }

}  // namespace lq
