// The main window: its window id, unit ids and template.
//
// One tab control of nine pages: the settings page 设置 (game directory and repair) and eight role
// pages with a 5 x 4 grid of champion buttons each, plus the menu 菜单 that the tray icon pops up.
//
// Ids of the role pages' controls follow one scheme (serials, role 1):
//   grid button  of page p (1..8), cell i (0..19, row by row): 0x100 + (p - 1) * 20 + i
//   group box "说明" of page p:                                0x1a0 + p
//   note label of page p / author label of page p:            0x1b0 + p / 0x1c0 + p
// and names: grid buttons 按钮3 .. 按钮162 in the same order, note and author labels 标签2 ..
// 标签17 (page p: 标签(2p) and 标签(2p+1)).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/forms/window_template.h"
#include "skins/installation_environment.h"

namespace lq {

inline constexpr WindowId kMainWindowId = 0x52010001;
inline constexpr UnitId kMainWindowUnit = 0x06010000;

// Settings page.
inline constexpr UnitId kPageTab = 0x1601002a;             // 选择夹1
inline constexpr UnitId kDirectoryLabel = 0x16010040;      // 标签1
inline constexpr UnitId kDirectoryEdit = 0x1601002b;       // 编辑框1
inline constexpr UnitId kAutoDiscoverButton = 0x1601002c;  // 按钮1 "自动获取"
inline constexpr UnitId kPickButton = 0x1601002e;          // 按钮2 "手动获取"
inline constexpr UnitId kFileDialog = 0x16010043;          // 通用对话框1
inline constexpr UnitId kFunctionGroup = 0x16010073;       // 分组框1 "选择功能区"
inline constexpr UnitId kRepairButton = 0x16010a84;        // 按钮163 "修复"

// The tray menu.
inline constexpr UnitId kTrayMenuEntry = 0x26010082;  // 菜单
inline constexpr UnitId kShowMenuItem = 0x26010083;   // 显示
inline constexpr UnitId kExitMenuItem = 0x26010084;   // 退出

inline constexpr int kMainPageCount = 9;
inline constexpr int kGridButtonsPerPage = 20;
inline constexpr int kGridButtonCount = 8 * kGridButtonsPerPage;

// Page captions in page order.
inline constexpr std::string_view kMainPageCaptions[kMainPageCount] = {
    "设置", "ADC", "AP1页", "AP2页", "上单1页", "上单2页", "打野1页", "打野2页", "中单"};

constexpr UnitId GridButtonId(int page, int cell) {
  return MakeUnitId(UnitRole::kControl,
                    0x10100 + static_cast<std::uint32_t>((page - 1) * 20 + cell));
}
constexpr UnitId RoleGroupId(int page) {
  return MakeUnitId(UnitRole::kControl, 0x101a0 + static_cast<std::uint32_t>(page));
}
constexpr UnitId NoteLabelId(int page) {
  return MakeUnitId(UnitRole::kControl, 0x101b0 + static_cast<std::uint32_t>(page));
}
constexpr UnitId AuthorLabelId(int page) {
  return MakeUnitId(UnitRole::kControl, 0x101c0 + static_cast<std::uint32_t>(page));
}

// Texts of the role pages.
inline constexpr std::string_view kNoteText =
    "部分皮肤我没测试过，如果出现载入皮肤后游戏崩溃请到设置页修复下。如部分皮肤使用无效请联系我更新"
    "下谢谢！！\r\n\r\n";
inline constexpr std::string_view kAuthorText = "作者：2851376419";

// The main window's template, the settings page's buttons bound to one environment. The object
// must outlive every window loaded from its template.
class MainWindow {
 public:
  explicit MainWindow(const InstallationEnvironment& env);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  const WindowTemplate& Template() const { return template_; }

  void Discover(std::int32_t unused);  // 按钮1 "自动获取"
  void Pick(std::int32_t unused);      // 按钮2 "手动获取"
  void Repair(std::int32_t unused);    // 按钮163 "修复"

 private:
  const InstallationEnvironment& env_;
  std::vector<ControlTemplate> controls_;
  WindowTemplate template_;
};

}  // namespace lq
