// The version notice in the main window's title: this version and the latest one, as the title of
// a public share page names it.
#pragma once

#include "runtime/commands/values.h"

namespace lq {

inline constexpr const char* kVersionNoticePrefix = "Moriba  目前版本：V2.2  最新版本：";
inline constexpr const char* kVersionNoticeSuffix = " 如果您不是最新版本请联系作者更新";

// The latest version's name from the share page (LQ_SHARE_LISTING_ADDRESS), exactly as found; empty
// when the page cannot be fetched or holds no title of the expected form. Blocks the calling thread
// while it fetches.
Text FetchLatestVersionText();

// The prefix, the latest version text and the suffix.
Text VersionNotice(const Text& latestVersion);

// Writes the notice into the main window's title.
void ShowVersionNotice(const Text& latestVersion);

}  // namespace lq
