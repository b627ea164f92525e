#include "tests/forms/test_windows.h"

#include "runtime/forms/events.h"

namespace lq::test {
namespace {

void Log(const char* what, std::int32_t argument = 0) {
  const auto source = CurrentEventSource();
  EventLog().push_back({what, source ? source->window : 0, source ? source->unit : 0, argument});
}

void Call(void (*hook)()) {
  if (hook) hook();
}

void MainCreated() {
  Log("main.created");
  Call(Hooks().main_created);
}
bool MainCloseQuery() {
  Log("main.close_query");
  return MainAnswers().close_query;
}
bool MainMayClose() {
  Log("main.may_close");
  return MainAnswers().may_close;
}
bool SecondMayCloseBinding() {
  Log("main.may_close.second");
  return false;
}
void MainDestroying() { Log("main.destroying"); }
void MainMoved() {
  Log("main.moved");
  Call(Hooks().main_moved);
}
void MainResized() { Log("main.resized"); }
void MainActivated() { Log("main.activated"); }
void MainDeactivated() { Log("main.deactivated"); }
void MainFirstActivated() { Log("main.first_activated"); }
void MainShown() { Log("main.shown"); }
void MainHidden() { Log("main.hidden"); }
void MainTray(std::int32_t action) {
  Log("main.tray", action);
  if (Hooks().main_tray) Hooks().main_tray(action);
}

void Page0Clicked() {
  Log("page0.clicked");
  Call(Hooks().page0_button);
}
void GroupButtonClicked() { Log("group_button.clicked"); }
void Page1Clicked() { Log("page1.clicked"); }
void NeverCalled() { Log("never"); }
void OffTabClicked() { Log("off_tab.clicked"); }
void MenuShowSelected() { Log("menu.show"); }
void MenuExitSelected() { Log("menu.exit"); }
void MenuHiddenSelected() { Log("menu.hidden_item"); }
void MenuCheckSelected() { Log("menu.check"); }

void DialogCreated() {
  Log("dialog.created");
  Call(Hooks().dialog_created);
}
void DialogDestroying() {
  Log("dialog.destroying");
  Call(Hooks().dialog_destroying);
}
void DialogMoved() { Log("dialog.moved"); }
void DialogResized() { Log("dialog.resized"); }
void DialogButtonClicked() {
  Log("dialog_button.clicked");
  Call(Hooks().dialog_button);
}

namespace u = lq::unit;

constexpr FontSpec kSmallFont = MakeFont(-14);
constexpr std::string_view kPages[] = {"设置", "第二页", "图片"};

constexpr ControlTemplate kMainControls[] = {
    u::Tab(kTab, "选择夹1").At(0, 0, 390, 250).Pages(kPages),
    u::Label(kPage0Label, "标签1").At(10, 34, 60, 20).OnPage(kTab, 0).Caption("lo目录："),
    u::EditBox(kPage0Edit, "编辑框1")
        .At(80, 34, 200, 20)
        .OnPage(kTab, 0)
        .ReadOnly()
        .Align(1)
        .TextColour(0xff00ff)
        .BackColour(0xdbdbdb),
    u::Button(kPage0Button, "按钮1")
        .At(80, 62, 64, 24)
        .OnPage(kTab, 0)
        .Caption("自动获取")
        .TabOrder(2)
        .On(kEventClicked, &Page0Clicked),
    u::Button(kPage0Button2, "按钮2")
        .At(160, 62, 64, 24)
        .OnPage(kTab, 0)
        .Caption("手动获取")
        .TabOrder(1),
    u::CommonDlg(kPage0Dialog, "通用对话框1").At(300, 30, 26, 26).OnPage(kTab, 0),
    u::GroupBox(kPage0Group, "分组框1").At(3, 100, 380, 80).OnPage(kTab, 0).Caption("选择功能区"),
    u::Button(kGroupButton, "按钮163")
        .At(20, 20, 56, 24)
        .In(kPage0Group)
        .Caption("修复")
        .On(kEventClicked, &GroupButtonClicked),
    u::Button(kPage1Button, "按钮10")
        .At(10, 30, 64, 32)
        .OnPage(kTab, 1)
        .Caption("金克丝")
        .On(kEventClicked, &Page1Clicked),
    u::Button(kPage1HiddenButton, "按钮11")
        .At(90, 30, 64, 32)
        .OnPage(kTab, 1)
        .Hidden()
        .On(kEventClicked, Handler())
        .On(kEventClicked, &NeverCalled),
    u::Label(kPage1Label, "标签2")
        .At(170, 30, 120, 100)
        .OnPage(kTab, 1)
        .Caption("部分皮肤我没测试过，如果出现载入皮肤后游戏崩溃请到设置页修复下。\r\n\r\n")
        .Font(kSmallFont),
    u::PicBox(kPage2Pic, "图片框1").At(10, 30, 100, 100).OnPage(kTab, 2).Border(3).Animate(),
    u::Button(kOffTabButton, "按钮99")
        .At(10, 255, 64, 24)
        .Caption("窗口上")
        .On(kEventClicked, &OffTabClicked),
};

constexpr MenuItemTemplate kMainMenu[] = {
    u::MenuEntry(kMenuEntry, "菜单", "菜单"),
    u::MenuItem(kMenuShow, "显示", "显示").On(&MenuShowSelected),
    u::MenuItem(kMenuExit, "退出", "退出").On(&MenuExitSelected),
    u::MenuItem(kMenuHiddenItem, "隐藏项", "隐藏项").Hidden().On(&MenuHiddenSelected),
    u::MenuEntry(kMenuEntry2, "选项", "选项"),
    u::MenuItem(kMenuCheck, "勾选", "勾选").Checked().On(&MenuCheckSelected),
};

constexpr ControlTemplate kDialogControls[] = {
    u::PicBox(kDialogPic, "图片框1").At(2, 0, 155, 180).Border(3).DisplayMode(0).Animate(),
    u::Button(kDialogButton, "按钮1")
        .At(26, 190, 95, 24)
        .Caption("载入")
        .On(kEventClicked, &DialogButtonClicked),
    u::Label(kDialogLabel, "标签1")
        .At(27, 224, 336, 24)
        .Caption("提醒：载入新皮肤会卸载之前载入过的皮肤哦！")
        .TextColour(0xff00ff),
};

constexpr WindowTemplate kWindows[] = {
    u::Window(kMainId, kMainUnit, "主窗口")
        .At(50, 50, 400, 330)
        .Title("测试主窗口")
        .Border(2)
        .MaxButton(false)
        .Position(1)
        .Controls(kMainControls)
        .Menu(kMainMenu)
        .On(kEventCreated, &MainCreated)
        .On(kEventCloseQuery, &MainCloseQuery)
        .On(kEventMayClose, &MainMayClose)
        .On(kEventMayClose, &SecondMayCloseBinding)
        .On(kEventDestroying, &MainDestroying)
        .On(kEventMoved, &MainMoved)
        .On(kEventResized, &MainResized)
        .On(kEventActivated, &MainActivated)
        .On(kEventDeactivated, &MainDeactivated)
        .On(kEventFirstActivated, &MainFirstActivated)
        .On(kEventTray, &MainTray)
        .On(kEventShown, &MainShown)
        .On(kEventHidden, &MainHidden),
    u::Window(kDialogId, kDialogUnit, "皮肤窗口")
        .At(50, 50, 484, 285)
        .Controls(kDialogControls)
        .On(kEventCreated, &DialogCreated)
        .On(kEventDestroying, &DialogDestroying)
        .On(kEventMoved, &DialogMoved)
        .On(kEventResized, &DialogResized),
};

}  // namespace

std::vector<Recorded>& EventLog() {
  static std::vector<Recorded> log;
  return log;
}

std::vector<std::string> EventNames() {
  std::vector<std::string> names;
  for (const Recorded& r : EventLog()) names.push_back(r.what);
  return names;
}

Answers& MainAnswers() {
  static Answers answers;
  return answers;
}

HandlerHooks& Hooks() {
  static HandlerHooks hooks;
  return hooks;
}

void ResetTestHandlers() {
  EventLog().clear();
  MainAnswers() = {};
  Hooks() = {};
}

std::span<const WindowTemplate> TestWindows() { return kWindows; }

}  // namespace lq::test
