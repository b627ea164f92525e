// HttpRequest against the local endpoint, checked by what the endpoint received.
#include "web/http_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"
#include "tests/support/endpoint_client.h"
#include "tests/support/pattern.h"
#include "tests/web/endpoint_view.h"

namespace lq {
namespace {

using test::LastRequest;
using test::ReceivedRequest;

class HttpRequestTest : public testing::Test {
 protected:
  void SetUp() override {
    endpoint_ = test::FixtureEndpoint();
    ASSERT_TRUE(endpoint_.has_value()) << "the local endpoint is not running";
  }

  Text Url(std::string_view path) const { return Text(endpoint_->Url(path)); }
  std::string HostAndPort() const { return "127.0.0.1:" + std::to_string(endpoint_->port()); }

  ReceivedRequest Received(std::string_view path) const {
    auto received = LastRequest(*endpoint_, path);
    EXPECT_TRUE(received.has_value()) << "no request recorded for " << path;
    return received.value_or(ReceivedRequest{});
  }

  std::string JoinedCookieHeaders(std::string_view path) const {
    std::string joined;
    for (const std::string& line : Received(path).Headers("Cookie")) joined += line;
    return joined;
  }

  static std::string Str(const ByteSet& bytes) { return std::string(bytes.view()); }

  std::optional<test::TestEndpoint> endpoint_;
};

TEST_F(HttpRequestTest, UrlWithoutSchemeIsPlainHttp) {
  const ByteSet body = HttpRequest(Text(HostAndPort() + "/web/echo/schemeless?q=1"));
  EXPECT_EQ(Str(body), "ok GET");
  EXPECT_EQ(Received("/web/echo/schemeless").request_line, "GET /web/echo/schemeless?q=1 HTTP/1.1");
}

TEST_F(HttpRequestTest, EmptyExtraHeadersBecomeTheFourDefaultsInOrder) {
  const Text url = Url("/web/echo/defaults");
  HttpRequestArguments a;
  EXPECT_EQ(Str(HttpRequest(url, a)), "ok GET");
  EXPECT_EQ(a.extra_headers, ConcatTexts("Accept: */*\r\nReferer: ", url,
                                         "\r\nAccept-Language: zh-cn\r\n"
                                         "Content-Type: application/x-www-form-urlencoded"));
  const ReceivedRequest got = Received("/web/echo/defaults");
  const int accept = got.IndexOf("Accept: */*");
  const int referer = got.IndexOf("Referer: " + url.str());
  const int language = got.IndexOf("Accept-Language: zh-cn");
  const int type = got.IndexOf("Content-Type: application/x-www-form-urlencoded");
  ASSERT_GE(accept, 0);
  EXPECT_GT(referer, accept);
  EXPECT_GT(language, referer);
  EXPECT_GT(type, language);
  EXPECT_EQ(
      got.Headers("User-Agent"),
      std::vector<std::string>{"User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"});
  EXPECT_TRUE(got.Headers("Cookie").empty());
}

TEST_F(HttpRequestTest, LowerCaseAcceptStillGetsTheDefaultAccept) {
  const Text url = Url("/web/echo/lower-accept");
  HttpRequestArguments a;
  a.extra_headers = "accept: text/html";
  HttpRequest(url, a);
  EXPECT_EQ(a.extra_headers, ConcatTexts("accept: text/html\r\nAccept: */*\r\nReferer: ", url,
                                         "\r\nAccept-Language: zh-cn\r\n"
                                         "Content-Type: application/x-www-form-urlencoded"));
  EXPECT_GE(Received("/web/echo/lower-accept").IndexOf("Accept: */*"), 0);
}

TEST_F(HttpRequestTest, UserAgentComesFromTheExtraHeaders) {
  HttpRequestArguments a;
  a.extra_headers = "X-Probe: 1\r\nUser-Agent: LQ-Probe/2.0";
  HttpRequest(Url("/web/echo/agent"), a);
  const ReceivedRequest got = Received("/web/echo/agent");
  EXPECT_EQ(got.Headers("User-Agent"), std::vector<std::string>{"User-Agent: LQ-Probe/2.0"});
  EXPECT_GE(got.IndexOf("X-Probe: 1"), 0);
}

TEST_F(HttpRequestTest, MethodsOutsideTheTableSendGet) {
  HttpRequestArguments a;
  a.method = 7;
  EXPECT_EQ(Str(HttpRequest(Url("/web/echo/method7"), a)), "ok GET");
  EXPECT_EQ(Received("/web/echo/method7").request_line, "GET /web/echo/method7 HTTP/1.1");
}

TEST_F(HttpRequestTest, PostSendsTheBodyTextAndWritesTheBytesBack) {
  HttpRequestArguments a;
  a.method = 1;
  a.body_text = "name=\xC4\xE3&x=1";
  const ByteSet body = HttpRequest(Url("/web/echo/post"), a);
  EXPECT_EQ(Str(body), "ok POST");
  EXPECT_EQ(a.body_bytes, ByteSet::FromString("name=\xC4\xE3&x=1"));
  const ReceivedRequest got = Received("/web/echo/post");
  EXPECT_EQ(got.request_line, "POST /web/echo/post HTTP/1.1");
  EXPECT_EQ(got.body, "name=\xC4\xE3&x=1");
}

TEST_F(HttpRequestTest, PostPrefersTheBodyBytes) {
  HttpRequestArguments a;
  a.method = 1;
  a.body_text = "ignored";
  a.body_bytes = ByteSet::FromString(std::string_view("\x00\x01raw", 5));
  HttpRequest(Url("/web/echo/post-bytes"), a);
  EXPECT_EQ(Received("/web/echo/post-bytes").body, std::string("\x00\x01raw", 5));
  EXPECT_EQ(a.body_bytes, ByteSet::FromString(std::string_view("\x00\x01raw", 5)));
}

TEST_F(HttpRequestTest, GetSendsNoBodyAndLeavesTheBytesAlone) {
  HttpRequestArguments a;
  a.body_text = "text";
  HttpRequest(Url("/web/echo/get-body"), a);
  EXPECT_TRUE(a.body_bytes.empty());
  EXPECT_EQ(Received("/web/echo/get-body").body, "");
}

TEST_F(HttpRequestTest, HeadHasNoBody) {
  HttpRequestArguments a;
  a.method = 2;
  EXPECT_TRUE(HttpRequest(Url("/web/echo/head"), a).empty());
  EXPECT_EQ(Received("/web/echo/head").request_line, "HEAD /web/echo/head HTTP/1.1");
}

TEST_F(HttpRequestTest, ProxyCarriesTheRequest) {
  // The host does not exist: only the proxy (the endpoint) can answer.
  HttpRequestArguments a;
  a.proxy = Text(HostAndPort());
  const ByteSet body = HttpRequest("http://proxied.invalid/web/echo/proxy", a);
  EXPECT_EQ(Str(body), "ok GET");
  // The request reached the proxy in absolute form (with or without the default port).
  auto got = LastRequest(*endpoint_, "http://proxied.invalid/web/echo/proxy");
  if (!got) got = LastRequest(*endpoint_, "http://proxied.invalid:80/web/echo/proxy");
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->request_line.rfind("GET http://proxied.invalid", 0), 0u) << got->request_line;
  EXPECT_EQ(got->Headers("Host"), std::vector<std::string>{"Host: proxied.invalid"});
}

TEST_F(HttpRequestTest, RedirectFollowedOrReturnedAsItIs) {
  EXPECT_EQ(Str(HttpRequest(Url("/fault/redirect/302/web/echo/redirected"))), "ok GET");
  HttpRequestArguments a;
  a.no_redirect = true;
  const ByteSet own_body = HttpRequest(Url("/fault/redirect/302/web/echo/not-followed"), a);
  EXPECT_NE(Str(own_body).find("moved"), std::string::npos) << Str(own_body);
  EXPECT_EQ(a.response_headers.str().rfind("HTTP/1.0 302", 0), 0u) << a.response_headers.str();
  EXPECT_FALSE(LastRequest(*endpoint_, "/web/echo/not-followed").has_value());
}

TEST_F(HttpRequestTest, ReceivedCookiesFromSetCookieLinesInAnyCase) {
  HttpRequestArguments a;
  HttpRequest(Url("/web/set-cookie/two?c=a%3D1%3B%20path%3D%2F&lc=b%3D2"), a);
  EXPECT_EQ(a.received_cookies, Text("a=1; b=2"));
  EXPECT_NE(FindText(a.response_headers, "\r\nSet-Cookie: a=1; path=/\r\n", {}, false), -1);
  EXPECT_NE(FindText(a.response_headers, "\r\nSet-Cookie: b=2\r\n", {}, false), -1);
  EXPECT_EQ(FindText(a.response_headers, "set-cookie", {}, false), -1);
}

TEST_F(HttpRequestTest, SuppliedCookieTextIsSentAndMerged) {
  HttpRequestArguments a;
  a.cookies = "a=0; k=v";
  HttpRequest(Url("/web/set-cookie/merge?c=a%3D1%3B%20path%3D%2F&lc=b%3D2"), a);
  EXPECT_EQ(Received("/web/set-cookie/merge").Headers("Cookie"),
            std::vector<std::string>{"Cookie: a=0; k=v"});
  EXPECT_EQ(a.cookies, Text("a=1; b=2; k=v"));
  EXPECT_EQ(a.received_cookies, Text("a=1;b=2"));
}

TEST_F(HttpRequestTest, WithACookieTextWinInetKeepsNoCookiesOfItsOwn) {
  // Without a cookie text the session's own cookie handling is on: it stores this cookie ...
  HttpRequest(Url("/web/set-cookie/store?c=stored%3D1%3B%20path%3D%2F"));
  HttpRequest(Url("/web/echo/jar-on"));
  ASSERT_THAT(JoinedCookieHeaders("/web/echo/jar-on"), testing::HasSubstr("stored=1"));
  // ... but with a cookie text only that text is sent, and nothing received is stored.
  HttpRequestArguments a;
  a.cookies = "mine=2";
  HttpRequest(Url("/web/set-cookie/not-stored?c=other%3D3%3B%20path%3D%2F"), a);
  EXPECT_EQ(JoinedCookieHeaders("/web/set-cookie/not-stored"), "Cookie: mine=2");
  EXPECT_EQ(a.cookies, Text("other=3; mine=2"));
  HttpRequest(Url("/web/echo/jar-after"));
  EXPECT_THAT(JoinedCookieHeaders("/web/echo/jar-after"), testing::HasSubstr("stored=1"));
  EXPECT_THAT(JoinedCookieHeaders("/web/echo/jar-after"),
              testing::Not(testing::HasSubstr("other=3")));
}

TEST_F(HttpRequestTest, ResponseHeadersLongerThanTheBufferGiveSpacesAndNoCookies) {
  HttpRequestArguments a;
  a.response_headers = "before";
  a.received_cookies = "before";
  a.cookies = "q=1";
  const ByteSet body = HttpRequest(Url("/web/long-headers/6000"), a);
  EXPECT_EQ(Str(body), "long headers");
  EXPECT_EQ(a.response_headers, Text(std::string(5000, ' ')));
  EXPECT_EQ(a.received_cookies, Text());
  EXPECT_EQ(a.cookies, Text("q=1"));
}

TEST_F(HttpRequestTest, HeadersThatFitAreReturnedWhole) {
  HttpRequestArguments a;
  HttpRequest(Url("/web/long-headers/4000"), a);
  EXPECT_EQ(a.response_headers.str().rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
  EXPECT_GT(TextLength(a.response_headers), 4000);
  EXPECT_LT(TextLength(a.response_headers), 5000);
  EXPECT_EQ(a.received_cookies, Text("z=9"));
}

TEST_F(HttpRequestTest, BodiesOfAnySizeArriveWhole) {
  for (const char* size : {"0", "1", "1023", "1024", "1025", "300000"}) {
    const ByteSet body = HttpRequest(Url(std::string("/fault/pattern/") + size));
    ASSERT_EQ(body.size(), std::stoul(size));
    EXPECT_EQ(test::PatternMismatch(body.data(), body.size()), body.size()) << size;
  }
  const ByteSet unannounced = HttpRequest(Url("/fault/no-length/70000"));
  EXPECT_EQ(unannounced.size(), 70000u);
  EXPECT_EQ(test::PatternMismatch(unannounced.data(), unannounced.size()), unannounced.size());
}

TEST_F(HttpRequestTest, ErrorPagesAreReturnedLikeAnyBody) {
  const ByteSet body = HttpRequest(Url("/fault/status/404"));
  EXPECT_NE(Str(body).find("404"), std::string::npos);
}

TEST_F(HttpRequestTest, GbkBytesPassThroughUnderAChineseAnsiCodePage) {
  // The WinInet A functions read texts in the system's ANSI code page.
  if (GetACP() != 936) GTEST_SKIP() << "the system's ANSI code page is not 936";
  HttpRequestArguments a;
  a.extra_headers = "X-Name: 皮肤";
  a.cookies = "n=英雄";
  HttpRequest(Url("/web/set-cookie/中文?c=%D6%D0%3D1"), a);
  const ReceivedRequest got = Received("/web/set-cookie/中文");
  EXPECT_EQ(got.request_line, "GET /web/set-cookie/%D6%D0%CE%C4?c=%D6%D0%3D1 HTTP/1.1");
  EXPECT_GE(got.IndexOf("X-Name: 皮肤"), 0);
  EXPECT_EQ(got.Headers("Cookie"), std::vector<std::string>{"Cookie: n=英雄"});
  EXPECT_NE(FindText(a.response_headers, "Set-Cookie: 中=1", {}, false), -1);
  EXPECT_EQ(a.cookies, Text("中=1; n=英雄"));
}

TEST_F(HttpRequestTest, RequestThatCannotBeSentStillWritesItsVariablesBack) {
  HttpRequestArguments a;
  a.method = 1;
  a.body_text = "text";
  a.cookies = "c =1";
  a.received_cookies = "r";
  a.extra_headers = "h";
  a.response_headers = "rh";
  // Port 1 on the loopback refuses the connection at once: no response headers, no cookies.
  const ByteSet body = HttpRequest("http://127.0.0.1:1/x", a);
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(a.extra_headers, Text("h\r\nAccept: */*\r\nReferer: http://127.0.0.1:1/x\r\n"
                                  "Accept-Language: zh-cn\r\n"
                                  "Content-Type: application/x-www-form-urlencoded\r\n"
                                  "Cookie: c =1"));
  // No header line: the platform answers the query with spaces or an empty line.
  EXPECT_EQ(FindText(a.response_headers, ":", {}, false), -1) << a.response_headers.str();
  EXPECT_EQ(TrimSpaces(SubstituteText(a.response_headers, "\r\n", "", {}, {}, false)), Text());
  EXPECT_EQ(a.received_cookies, Text());
  EXPECT_EQ(a.cookies, Text("c=1"));
  EXPECT_EQ(a.body_bytes, ByteSet::FromString("text"));
}

TEST_F(HttpRequestTest, TransfersCutOffByTheirLimitsLeaveEverythingUntouched) {
  // The deadline while the host never answers (the engine's tests hold every other bound), and
  // a body past the cap.
  const std::pair<const char*, TransferLimits> cases[] = {
      {"/fault/silent", {2'000, 60'000, 800, 0, 0, 0}},
      {"/fault/no-length/300000", {2'000, 60'000, 0, 100'000, 0, 0}},
  };
  for (const auto& [path, limits] : cases) {
    SCOPED_TRACE(path);
    HttpRequestArguments a;
    a.cookies = "c=1";
    a.received_cookies = "r";
    a.extra_headers = "h";
    a.response_headers = "rh";
    a.limits = limits;
    EXPECT_TRUE(HttpRequest(Url(path), a).empty());
    EXPECT_EQ(a.cookies, Text("c=1"));
    EXPECT_EQ(a.received_cookies, Text("r"));
    EXPECT_EQ(a.extra_headers, Text("h"));
    EXPECT_EQ(a.response_headers, Text("rh"));
  }
  // Within its limits the share page's bounds change nothing.
  EXPECT_EQ(Str(HttpRequest(Url("/web/echo/bounded"), kSharePageLimits)), "ok GET");
}

TEST_F(HttpRequestTest, BodyShorterThanItsLengthComesBackAsFarAsItCame) {
  const ByteSet body = HttpRequest(Url("/fault/lie/2147483647/fault/pattern/3000"));
  ASSERT_EQ(body.size(), 3000u);
  EXPECT_EQ(test::PatternMismatch(body.data(), body.size()), 3000u);
}

}  // namespace
}  // namespace lq
