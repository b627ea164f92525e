#include "app/version_notice.h"

#include <utility>

#include "app/main_window.h"
#include "app/shell_system.h"
#include "runtime/commands/conversions.h"
#include "runtime/commands/text_commands.h"
#include "runtime/forms/gui_queue.h"
#include "runtime/forms/unit_properties.h"
#include "web/code_pages.h"
#include "web/text_markers.h"

namespace lq {

Text TitleBetweenMarkers(const ByteSet& page, const Text& start, const Text& suffix) {
  const Text text = ToText(Value(Utf8ToGbk(ToText(Value(page)))));
  std::int32_t position = 0;
  return TextBetweenFrom(text, start, suffix, position);
}

Text LatestVersionFromPage(const ByteSet& page) {
  return TitleBetweenMarkers(page, Text(kShareTitleStart), Text(kShareTitleSuffix));
}

Text FetchLatestVersionText() {
  return LatestVersionFromPage(Shell().FetchPage(Text(LQ_SHARE_LISTING_ADDRESS)));
}

void StartVersionCheck() {
  Shell().RunInBackground([] {
    Text latest = FetchLatestVersionText();
    PostToGuiThread([latest = std::move(latest)] {
      if (IsWindowLoaded(kMainWindowId)) ShowVersionNotice(latest);
    });
  });
}

Text VersionNotice(const Text& latestVersion) {
  return ConcatTexts(kVersionNoticePrefix, latestVersion, kVersionNoticeSuffix);
}

void ShowVersionNotice(const Text& latestVersion) {
  WriteTextProperty(kMainWindowId, kOwnUnit, kWindowTitle, VersionNotice(latestVersion));
}

}  // namespace lq
