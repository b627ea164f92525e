// The share page as the version notice reads it: fetched with HttpRequest, converted from UTF-8
// to GBK, and cut between "<title>" and the share service's title suffix.
#include <gtest/gtest.h>

#include <string>

#include "runtime/commands/conversions.h"
#include "tests/support/endpoint_client.h"
#include "web/http_request.h"
#include "web/text_markers.h"
#include "web/utf8_to_gbk.h"

namespace lq {
namespace {

constexpr char kTitleStart[] = "<title>";
constexpr char kShareTitleSuffix[] = "_免费高速下载|百度云 网盘-分享无限制</title>";

Text LatestVersionOf(const std::string& url) {
  const ByteSet page = HttpRequest(Text(url));
  const Text text = ToText(Value(Utf8ToGbk(ToText(Value(page)))));
  std::int32_t position = 0;
  return TextBetweenFrom(text, kTitleStart, kShareTitleSuffix, position);
}

class SharePageTest : public testing::Test {
 protected:
  void SetUp() override {
    endpoint_ = test::FixtureEndpoint();
    ASSERT_TRUE(endpoint_.has_value()) << "the local endpoint is not running";
  }
  Text Latest(const char* variant) const {
    return LatestVersionOf(endpoint_->Url(std::string("/web/share/") + variant));
  }
  std::optional<test::TestEndpoint> endpoint_;
};

TEST_F(SharePageTest, TitleBeforeTheSuffix) {
  EXPECT_EQ(Latest("ok"), Text("LOLQuillet V2.3 皮肤合集"));
}

TEST_F(SharePageTest, SpacesAndLineBreaksInsideTheTitleAreKept) {
  EXPECT_EQ(Latest("spaces"), Text(" LOLQuillet V2.3 皮肤合集\r\n"));
}

TEST_F(SharePageTest, TwoTitlesGiveTheFirst) { EXPECT_EQ(Latest("two-titles"), Text("第一")); }

TEST_F(SharePageTest, PagesWithoutTheMarkersGiveNothing) {
  EXPECT_EQ(Latest("no-title"), Text());
  EXPECT_EQ(Latest("caps"), Text());
  EXPECT_EQ(Latest("suffix-before"), Text());
  EXPECT_EQ(Latest("missing"), Text());
}

TEST_F(SharePageTest, NoServerGivesNothing) {
  EXPECT_EQ(LatestVersionOf("http://127.0.0.1:1/web/share/ok"), Text());
}

}  // namespace
}  // namespace lq
