#include "app/version_notice.h"

#include <utility>

#include "app/main_window.h"
#include "app/shell_system.h"
#include "runtime/commands/conversions.h"
#include "runtime/commands/text_commands.h"
#include "runtime/forms/gui_queue.h"
#include "runtime/forms/unit_properties.h"
#include "runtime/platform/gbk.h"
#include "web/text_markers.h"
#include "web/utf8_to_gbk.h"

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

Text CapGbkCharacters(const Text& text, std::size_t cap) {
  const std::string_view bytes = text.view();
  std::size_t end = 0;
  for (std::size_t characters = 0; characters < cap && end < bytes.size(); ++characters) {
    const auto lead = static_cast<unsigned char>(bytes[end]);
    const auto trail = end + 1 < bytes.size() ? static_cast<unsigned char>(bytes[end + 1]) : 0u;
    const bool pair = gbk::IsCodePageLeadByte(lead) && gbk::IsCodePageTrailByte(trail);
    end += pair ? 2 : 1;
  }
  return Text(bytes.substr(0, end));
}

Text VersionNotice(const Text& latestVersion) {
  return ConcatTexts(kVersionNoticePrefix, CapGbkCharacters(latestVersion, kLatestVersionCap),
                     kVersionNoticeSuffix);
}

void ShowVersionNotice(const Text& latestVersion) {
  WriteTextProperty(kMainWindowId, kOwnUnit, kWindowTitle, VersionNotice(latestVersion));
}

}  // namespace lq
