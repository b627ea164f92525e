#include "web/url_parts.h"

#include <gtest/gtest.h>

namespace lq {
namespace {

TEST(UrlPartsTest, SchemeInCapitalsWithPortAndQuery) {
  const Text url = "HTTP://Host.A:8080/a?b";
  EXPECT_EQ(ExtractHost(url, false), Text("host.a"));
  EXPECT_EQ(ExtractHost(url, true), Text("host.a:8080"));
  EXPECT_EQ(ExtractPort(url), 8080);
  EXPECT_EQ(ExtractObjectPath(url), Text("/a?b"));
}

TEST(UrlPartsTest, NoSchemeNoSlash) {
  EXPECT_EQ(ExtractHost("host.a", false), Text("host.a"));
  EXPECT_EQ(ExtractHost("host.a", true), Text("host.a"));
  EXPECT_EQ(ExtractPort("host.a"), 80);
  EXPECT_EQ(ExtractObjectPath("host.a"), Text("/"));
}

TEST(UrlPartsTest, DefaultAndEmptyPorts) {
  EXPECT_EQ(ExtractPort("https://h/"), 443);
  EXPECT_EQ(ExtractPort("HTTPS://h/"), 443);
  EXPECT_EQ(ExtractPort("http://h/"), 80);
  EXPECT_EQ(ExtractPort("http://h:/"), 0);
  EXPECT_EQ(ExtractPort("https://h:8443/x"), 8443);
  EXPECT_EQ(ExtractPort("h:81"), 81);
  // The last colon of the host part counts.
  EXPECT_EQ(ExtractPort("http://user:pw@h:82/"), 82);
}

TEST(UrlPartsTest, HttpsHostAndPath) {
  EXPECT_EQ(ExtractHost("https://Secure.Example/p/q#f", false), Text("secure.example"));
  EXPECT_EQ(ExtractObjectPath("https://Secure.Example/p/q#f"), Text("/p/q#f"));
  EXPECT_EQ(ExtractObjectPath("https://h:1/"), Text("/"));
  EXPECT_EQ(ExtractObjectPath("http://h"), Text("/"));
}

TEST(UrlPartsTest, PathKeepsItsOwnLetterCase) {
  EXPECT_EQ(ExtractObjectPath("http://127.0.0.1:18080/Share/Latest?A=B"),
            Text("/Share/Latest?A=B"));
  EXPECT_EQ(ExtractObjectPath("127.0.0.1:18080/x/Y"), Text("/x/Y"));
}

TEST(UrlPartsTest, HostThatAlsoOccursInTheScheme) {
  // "h", "t" and "s" occur in the scheme; the path starts after the host all the same.
  EXPECT_EQ(ExtractObjectPath("http://h/index"), Text("/index"));
  EXPECT_EQ(ExtractObjectPath("https://s/a/b"), Text("/a/b"));
  EXPECT_EQ(ExtractObjectPath("http://tp:99/z"), Text("/z"));
}

TEST(UrlPartsTest, SchemeInsideTheQueryOfASchemelessUrl) {
  const Text url = "site.example/go?to=http://other.example/";
  EXPECT_EQ(ExtractHost(url, false), Text("site.example"));
  EXPECT_EQ(ExtractPort(url), 80);
  EXPECT_EQ(ExtractObjectPath(url), Text("/go?to=http://other.example/"));
}

TEST(UrlPartsTest, EmptyUrl) {
  EXPECT_EQ(ExtractHost("", true), Text());
  EXPECT_EQ(ExtractPort(""), 80);
  EXPECT_EQ(ExtractObjectPath(""), Text("/"));
}

TEST(UrlPartsTest, HttpsIsDecidedByTheFirstFiveBytes) {
  EXPECT_TRUE(IsHttpsUrl("https://h/"));
  EXPECT_TRUE(IsHttpsUrl("HTTPS://h/"));
  EXPECT_FALSE(IsHttpsUrl("http://h/"));
  EXPECT_FALSE(IsHttpsUrl("h/https"));
  EXPECT_FALSE(IsHttpsUrl(""));
}

}  // namespace
}  // namespace lq
