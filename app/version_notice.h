// The version notice in the main window's title: this version and the latest one, as the title of
// a public share page names it.
#pragma once

#include <cstddef>

#include "runtime/commands/values.h"

namespace lq {

inline constexpr const char* kVersionNoticePrefix = "Moriba  目前版本：V2.2  最新版本：";
inline constexpr const char* kVersionNoticeSuffix = " 如果您不是最新版本请联系作者更新";
// The share page's title: the shared item's name between these two markers.
inline constexpr const char* kShareTitleStart = "<title>";
inline constexpr const char* kShareTitleSuffix = "_免费高速下载|百度云 网盘-分享无限制</title>";

// The latest version's name from the share page (LQ_SHARE_LISTING_ADDRESS), exactly as found; empty
// when the page cannot be fetched in time or holds no title of the expected form. Blocks the
// calling thread while it fetches.
Text FetchLatestVersionText();

// Reads the share page on a worker thread and returns at once. When the page has been read, the
// GUI thread writes the notice with its latest version into the main window's title, unless the
// window is no longer loaded by then.
void StartVersionCheck();

// The text between "<title>" and the title suffix of a share page in UTF-8, exactly as found;
// empty when either marker is missing.
Text LatestVersionFromPage(const ByteSet& page);
// The same with the markers given (GBK): the text between `start` and the first `suffix` after
// it in the page converted from UTF-8.
Text TitleBetweenMarkers(const ByteSet& page, const Text& start, const Text& suffix);

// The most of a share page's title that reaches the window title, in characters: a title bar
// shows little more, and a page may put anything between the markers.
inline constexpr std::size_t kLatestVersionCap = 100;

// The first `cap` characters of a GBK text, a two-byte character counting as one and never cut
// in two; a lead byte without its trail byte counts as a character of its own.
Text CapGbkCharacters(const Text& text, std::size_t cap);

// The prefix, the latest version text (capped at kLatestVersionCap characters) and the suffix.
Text VersionNotice(const Text& latestVersion);

// Writes the notice into the main window's title.
void ShowVersionNotice(const Text& latestVersion);

}  // namespace lq
