#include "app/version_notice.h"

#include "app/main_window.h"
#include "runtime/commands/text_commands.h"
#include "runtime/forms/unit_properties.h"

namespace lq {

Text FetchLatestVersionText() {
  // The share-page request is not wired yet: every run shows the notice without a latest version.
  return Text();
}

Text VersionNotice(const Text& latestVersion) {
  return ConcatTexts(kVersionNoticePrefix, latestVersion, kVersionNoticeSuffix);
}

void ShowVersionNotice(const Text& latestVersion) {
  WriteTextProperty(kMainWindowId, kOwnUnit, kWindowTitle, VersionNotice(latestVersion));
}

}  // namespace lq
