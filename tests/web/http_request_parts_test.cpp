#include "web/http_request_parts.h"

#include <gtest/gtest.h>

namespace lq {
namespace {

TEST(HttpRequestPartsTest, MethodsOutsideTheTableAreGet) {
  EXPECT_STREQ(HttpVerb(HttpMethodOf(0)), "GET");
  EXPECT_STREQ(HttpVerb(HttpMethodOf(1)), "POST");
  EXPECT_STREQ(HttpVerb(HttpMethodOf(2)), "HEAD");
  EXPECT_STREQ(HttpVerb(HttpMethodOf(7)), "GET");
  EXPECT_STREQ(HttpVerb(HttpMethodOf(-1)), "GET");
}

TEST(HttpRequestPartsTest, UserAgentFromTheExtraHeaders) {
  EXPECT_EQ(UserAgentFor(""), Text(kDefaultUserAgent));
  EXPECT_EQ(UserAgentFor("Accept: x"), Text(kDefaultUserAgent));
  EXPECT_EQ(UserAgentFor("User-Agent:  Probe/1.0 \r\nAccept: x"), Text("Probe/1.0"));
  EXPECT_EQ(UserAgentFor("user-agent: probe"), Text("probe"));
  // The value ends with its line, also when another header follows.
  EXPECT_EQ(UserAgentFor("Accept: x\r\nUSER-AGENT: Probe/2\r\nX: y"), Text("Probe/2"));
  EXPECT_EQ(UserAgentFor("Accept: x\r\nUser-Agent: Last"), Text("Last"));
  EXPECT_EQ(UserAgentFor("User-Agent:   \r\nAccept: x"), Text(kDefaultUserAgent));
}

TEST(HttpRequestPartsTest, ProxySetting) {
  const ProxySetting none = ProxySettingFor("", false);
  EXPECT_EQ(none.access_type, 1u);
  EXPECT_FALSE(none.use_proxy);
  const ProxySetting http = ProxySettingFor("10.0.0.1:8080", false);
  EXPECT_EQ(http.access_type, 3u);
  EXPECT_TRUE(http.use_proxy);
  EXPECT_EQ(http.proxy_name, Text("http=10.0.0.1:8080"));
  EXPECT_EQ(http.bypass_list, Text());
  const ProxySetting https = ProxySettingFor("10.0.0.1:8080", true);
  EXPECT_EQ(https.access_type, 3u);
  EXPECT_EQ(https.proxy_name, Text("10.0.0.1:8080"));
}

TEST(HttpRequestPartsTest, RequestFlags) {
  // Reload and need-file always; no cookies with a cookie text; no redirect when asked; secure
  // for https, else no redirect to https. (The names are WinInet's values: the request's Windows
  // code checks them against the platform's own.)
  constexpr std::uint32_t kAlways = kFlagReload | kFlagNeedFile;
  EXPECT_EQ(RequestFlags(false, false, false), kAlways | kFlagIgnoreRedirectToHttps);
  EXPECT_EQ(RequestFlags(true, false, false),
            kAlways | kFlagNoCookies | kFlagIgnoreRedirectToHttps);
  EXPECT_EQ(RequestFlags(false, true, false),
            kAlways | kFlagNoAutoRedirect | kFlagIgnoreRedirectToHttps);
  EXPECT_EQ(RequestFlags(false, false, true), kAlways | kFlagSecure);
  EXPECT_EQ(RequestFlags(true, true, true),
            kAlways | kFlagNoCookies | kFlagNoAutoRedirect | kFlagSecure);
  // No two flags share a bit.
  const std::uint32_t flags[] = {kFlagReload,         kFlagNeedFile, kFlagNoCookies,
                                 kFlagNoAutoRedirect, kFlagSecure,   kFlagIgnoreRedirectToHttps};
  std::uint32_t seen = 0;
  for (std::uint32_t flag : flags) {
    EXPECT_EQ(seen & flag, 0u);
    seen |= flag;
  }
}

TEST(HttpRequestPartsTest, DefaultHeadersForEmptyExtraHeaders) {
  Text headers;
  AppendDefaultHeaders(headers, "http://h/p", "");
  EXPECT_EQ(headers, Text("Accept: */*\r\n"
                          "Referer: http://h/p\r\n"
                          "Accept-Language: zh-cn\r\n"
                          "Content-Type: application/x-www-form-urlencoded"));
}

TEST(HttpRequestPartsTest, DefaultHeadersSearchesAreCaseSensitive) {
  Text headers = "accept: text/html\r\nreferer: x";
  AppendDefaultHeaders(headers, "u", "");
  EXPECT_EQ(headers, Text("accept: text/html\r\nreferer: x\r\n"
                          "Accept: */*\r\n"
                          "Referer: u\r\n"
                          "Accept-Language: zh-cn\r\n"
                          "Content-Type: application/x-www-form-urlencoded"));
}

TEST(HttpRequestPartsTest, GivenHeadersAreKeptAndTheCookieAlwaysAdded) {
  Text headers = "Accept: a\r\nReferer: r\r\nAccept-Language: en\r\nContent-Type: t\r\nCookie: x=1";
  AppendDefaultHeaders(headers, "u", "y=2");
  EXPECT_EQ(headers,
            Text("Accept: a\r\nReferer: r\r\nAccept-Language: en\r\nContent-Type: t\r\nCookie: x=1"
                 "\r\nCookie: y=2"));
  Text accept_language_only = "Accept-Language: en";
  AppendDefaultHeaders(accept_language_only, "u", "");
  EXPECT_EQ(accept_language_only, Text("Accept-Language: en\r\nAccept: */*\r\nReferer: u\r\n"
                                       "Content-Type: application/x-www-form-urlencoded"));
}

TEST(HttpRequestPartsTest, SetCookieIsNormalisedInAnyLetterCase) {
  EXPECT_EQ(NormalizeSetCookie("HTTP/1.0 200 OK\r\nset-cookie: b=2\r\nSET-COOKIE: c=3\r\n"),
            Text("HTTP/1.0 200 OK\r\nSet-Cookie: b=2\r\nSet-Cookie: c=3\r\n"));
}

TEST(HttpRequestPartsTest, ReceivedCookiesFromSetCookieLines) {
  const Text headers = NormalizeSetCookie(
      "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: b=2\r\nX: y\r\n\r\n");
  EXPECT_EQ(ReceivedCookies(headers), Text("a=1; b=2"));
  EXPECT_EQ(ReceivedCookies("HTTP/1.1 200 OK\r\n\r\n"), Text());
  EXPECT_EQ(ReceivedCookies(Text(std::string(5000, ' '))), Text());
  EXPECT_EQ(ReceivedCookies("Set-Cookie:c=3;HttpOnly"), Text("c=3"));
}

TEST(HttpRequestPartsTest, HeadersThatOnlyNameSetCookieGiveNoCookie) {
  const Text headers =
      "HTTP/1.1 200 OK\r\nAccess-Control-Expose-Headers: Set-Cookie\r\nSet-Cookie: ; path=/\r\n"
      "Set-Cookie: s=1\r\n";
  EXPECT_EQ(ReceivedCookies(headers), Text("s=1"));
}

}  // namespace
}  // namespace lq
