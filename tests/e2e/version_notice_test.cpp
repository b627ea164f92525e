// The version notice in the main window's title: the latest version as the share page at the
// build's address names it, written once the page has been read. That address is the local
// endpoint's /share/latest (tools/endpoint/install_routes.py); each test chooses the page it serves
// through
// /__share/latest before starting the program, and the tests hold a lock so that no other test
// changes the page meanwhile.
#include <gtest/gtest.h>
#include <windows.h>

#include <charconv>
#include <string>
#include <string_view>

#include "runtime/system/http_read.h"
#include "tests/e2e/main_window_harness.h"

namespace lq::e2e {
namespace {

constexpr std::wstring_view kPrefix = L"Moriba  目前版本：V2.2  最新版本：";
constexpr std::wstring_view kSuffix = L" 如果您不是最新版本请联系作者更新";
// The shared item's name on the endpoint's pages.
constexpr std::wstring_view kItemName = L"LOLQuillet V2.3 皮肤合集";

std::wstring Notice(std::wstring_view latest) {
  return std::wstring(kPrefix) + std::wstring(latest) + std::wstring(kSuffix);
}

// The endpoint's answer to /__share/latest with `query`: {"variant": ..., "served": n}.
HttpReadResult ShareControl(std::string_view query) {
  return HttpReadWithStatus(Text(LQ_E2E_SHARE_CONTROL + std::string(query)));
}

::testing::AssertionResult ChooseSharePage(std::string_view variant) {
  const HttpReadResult answer = ShareControl("?variant=" + std::string(variant));
  if (answer.status != 200) {
    return ::testing::AssertionFailure()
           << "the endpoint did not take share page " << variant << " (status " << answer.status
           << "); is tools/endpoint/install_routes.py serving " << LQ_E2E_SHARE_CONTROL << "?";
  }
  return ::testing::AssertionSuccess();
}

// How many requests /share/latest has answered since the page was chosen; -1 when unknown.
int SharePagesServed() {
  const HttpReadResult answer = ShareControl("");
  const std::string_view body = answer.body.view();
  constexpr std::string_view kKey = "\"served\": ";
  const std::size_t at = body.find(kKey);
  int served = -1;
  if (answer.status == 200 && at != std::string_view::npos) {
    const char* first = body.data() + at + kKey.size();
    std::from_chars(first, body.data() + body.size(), served);
  }
  return served;
}

// Whether the endpoint has answered /share/latest and is done with it.
bool SharePageAnswered() {
  const HttpReadResult answer = HttpReadWithStatus(Text(LQ_E2E_SHARE_CONNECTIONS));
  const std::string_view body = answer.body.view();
  return answer.status == 200 && body.find("\"open\": 0") != std::string_view::npos &&
         body.find("\"seen\": 0") == std::string_view::npos;
}

class VersionNotice : public ProgramCopyTest {
 protected:
  // The usual page again for whoever runs next.
  void TearDown() override { EXPECT_TRUE(ChooseSharePage("ok")); }

  // With /share/latest serving `variant`, the main window's title ends as the notice naming
  // `latest`. The window shows at once; the title changes when the page has been read.
  void ExpectNoticeWith(std::string_view variant, std::wstring_view latest) {
    EXPECT_TRUE(ChooseSharePage(variant));
    Program program(exe);
    const std::wstring expected = Notice(latest);
    if (!latest.empty()) {
      WaitUntil([&] { return program.Text(0) == expected; });
    } else {
      // The form of a failed read is there from the start: once the page was answered and the
      // program took what it posted itself, no other title may follow.
      EXPECT_TRUE(WaitUntil(SharePageAnswered)) << "no answer to /share/latest";
      EXPECT_TRUE(program.RoundTrip());
    }
    const std::wstring title = program.Text(0);
    EXPECT_EQ(title, expected) << "title: \"" << Utf8(title) << "\"\nexpected: \"" << Utf8(expected)
                               << "\"";
    // The program asked for the page; without this a failure form would also come from an
    // endpoint that is not there.
    EXPECT_GE(SharePagesServed(), 1) << "no request for /share/latest";
    EXPECT_TRUE(program.Running());
  }
};

TEST_F(VersionNotice, NamesTheSharedItemOfTheUsualPage) { ExpectNoticeWith("ok", kItemName); }

TEST_F(VersionNotice, KeepsSpacesAndLineBreakInsideThePageTitle) {
  ExpectNoticeWith("spaces", L" " + std::wstring(kItemName) + L"\r\n");
}

TEST_F(VersionNotice, TakesTheFirstOfTwoTitles) { ExpectNoticeWith("two-titles", L"第一"); }

// Pages without a title of the expected form: the notice names no version.
TEST_F(VersionNotice, NoVersionWhenThePageIsMissing) { ExpectNoticeWith("missing", L""); }

TEST_F(VersionNotice, NoVersionWhenThePageHasNoTitle) { ExpectNoticeWith("no-title", L""); }

TEST_F(VersionNotice, NoVersionWhenTheTitleIsInCapitals) { ExpectNoticeWith("caps", L""); }

TEST_F(VersionNotice, NoVersionWhenTheSuffixComesOnlyBeforeTheTitle) {
  ExpectNoticeWith("suffix-before", L"");
}

}  // namespace
}  // namespace lq::e2e
