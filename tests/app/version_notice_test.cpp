// The latest version as the share page's title names it, and the notice built around it.
#include "app/version_notice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/commands/conversions.h"
#include "web/utf8_to_gbk.h"

namespace lq {
namespace {

// Share pages arrive in UTF-8; the program's texts are GBK. The suffix in UTF-8:
constexpr char kSuffixUtf8[] =
    "_\xE5\x85\x8D\xE8\xB4\xB9\xE9\xAB\x98\xE9\x80\x9F\xE4\xB8\x8B\xE8\xBD\xBD|"  // _免费高速下载|
    "\xE7\x99\xBE\xE5\xBA\xA6\xE4\xBA\x91 \xE7\xBD\x91\xE7\x9B\x98-"         // 百度云 网盘-
    "\xE5\x88\x86\xE4\xBA\xAB\xE6\x97\xA0\xE9\x99\x90\xE5\x88\xB6</title>";  // 分享无限制</title>

ByteSet Page(const std::string& html) { return ByteSet::FromString(html); }

TEST(LatestVersionFromPage, KeepsTheTitleTextByteForByte) {
  // "皮肤 V3.1" in UTF-8, with spaces and a line break kept.
  const std::string name = " \xE7\x9A\xAE\xE8\x82\xA4 V3.1\r\n";
  const Text latest =
      LatestVersionFromPage(Page("<html><head><title>" + name + kSuffixUtf8 + "</head></html>"));
  EXPECT_EQ(latest.str(), " \xC6\xA4\xB7\xF4 V3.1\r\n");
}

TEST(LatestVersionFromPage, FailureFormsGiveTheEmptyText) {
  EXPECT_TRUE(LatestVersionFromPage(ByteSet()).empty());
  EXPECT_TRUE(LatestVersionFromPage(Page("<html>no title</html>")).empty());
  EXPECT_TRUE(LatestVersionFromPage(Page(std::string("<TITLE>V3") + kSuffixUtf8)).empty());
  EXPECT_TRUE(LatestVersionFromPage(Page(std::string("V3") + kSuffixUtf8 + "<title>V4")).empty());
  EXPECT_TRUE(LatestVersionFromPage(Page("<title>V3_other</title>")).empty());
}

TEST(LatestVersionFromPage, TwoTitlesUseTheFirst) {
  const std::string html = std::string("<title>A") + kSuffixUtf8 + "<title>B" + kSuffixUtf8;
  EXPECT_EQ(LatestVersionFromPage(Page(html)).str(), "A");
}

// Pages the fuzzer found or started from: whatever comes out stands in the converted page between
// the two markers.
TEST(LatestVersionFromPage, RegressionPagesGiveTextFromBetweenTheMarkers) {
  const std::filesystem::path folder =
      std::filesystem::path(LQ_APP_TEST_DIR) / "share_page_regressions";
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Text latest = LatestVersionFromPage(Page(bytes));
    const std::string text = ToText(Value(Utf8ToGbk(ToText(Value(Page(bytes)))))).str();
    if (!latest.empty()) {
      EXPECT_NE(text.find(kShareTitleStart + latest.str() + kShareTitleSuffix), std::string::npos);
    }
    ++pages;
  }
  EXPECT_GE(pages, 3);
}

TEST(VersionNotice, FrameTheLatestVersionExactly) {
  EXPECT_EQ(VersionNotice(Text("V3")).str(),
            "Moriba  目前版本：V2.2  最新版本：V3 如果您不是最新版本请联系作者更新");
  EXPECT_EQ(VersionNotice(Text()).str(),
            "Moriba  目前版本：V2.2  最新版本： 如果您不是最新版本请联系作者更新");
}

// The cap counts characters: a two-byte GBK character is one and is never cut in two.
TEST(VersionNotice, TheLatestVersionIsCappedAtAHundredCharacters) {
  const std::string pi = "\xC6\xA4";  // 皮
  auto times = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  // Appends in place: g++ 12 at -O3 warns falsely (-Wrestrict) on a literal + std::string.
  auto cat = [](std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string& part : parts) out += part;
    return out;
  };
  struct Case {
    const char* what;
    std::string latest;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"a hundred ASCII", times("v", 100), times("v", 100)},
      {"one ASCII over", times("v", 101), times("v", 100)},
      {"a hundred two-byte", times(pi, 100), times(pi, 100)},
      {"one two-byte over", times(pi, 101), times(pi, 100)},
      {"the hundredth is two-byte", cat({times("v", 99), pi, "v"}), cat({times("v", 99), pi})},
      {"the hundred-first is two-byte", cat({times("v", 100), pi}), times("v", 100)},
      {"after an odd byte count", cat({"v", times(pi, 120)}), cat({"v", times(pi, 99)})},
      // A trail byte may be the byte of a backslash or of a letter.
      {"trail bytes of ASCII value", cat({times("\xAC\x5C", 60), times("\x81\x41", 60)}),
       cat({times("\xAC\x5C", 60), times("\x81\x41", 40)})},
      // A lead byte followed by no trail byte is a character alone.
      {"a lead byte before a line break", times("\xC6\n", 51), times("\xC6\n", 50)},
      {"a lead byte at the end", cat({times("v", 99), "\xC6"}), cat({times("v", 99), "\xC6"})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionNotice(Text(c.latest)).str(),
              cat({kVersionNoticePrefix, c.shown, kVersionNoticeSuffix}))
        << c.what;
  }
}

}  // namespace
}  // namespace lq
