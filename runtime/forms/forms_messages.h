// The fatal messages of the window model (shown through ReportRuntimeError, code 0).
#pragma once

#include <string_view>

namespace lq::forms_messages {

inline constexpr std::string_view kTemplatesUnreadable = "载入窗口模板数据段出错!";
inline constexpr std::string_view kStartupWindowFailed = "载入启动窗口失败";
inline constexpr std::string_view kWindowNotInProgram = "未载入欲访问窗口组件所在的窗口";
inline constexpr std::string_view kWindowNotLoaded = "指定窗口尚未载入";
inline constexpr std::string_view kNoSuchWindowOrUnit = "指定窗口或窗口组件不存在或尚未载入";
inline constexpr std::string_view kEventWindowMissing = "未找到引发事件的窗口";
inline constexpr std::string_view kEventUnitMissing = "未找到引发事件的窗口组件";
inline constexpr std::string_view kEventUnitInvalid = "引发事件的窗口组件无效";
inline constexpr std::string_view kKindUnavailable = "因所在支持库载入出错而无法创建";

}  // namespace lq::forms_messages
