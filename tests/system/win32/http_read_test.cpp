// HttpRead against the local endpoint: bodies whatever the status, broken transfers, the request
// the server saw, and large bodies.
#include "runtime/system/http_read.h"

#include <gtest/gtest.h>
#include <winsock2.h>
// winsock2.h before windows.h, as Winsock asks.
#include <windows.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "tests/support/endpoint_client.h"
#include "tests/support/pattern.h"

namespace lq {
namespace {

class HttpReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto endpoint = test::FixtureEndpoint();
    ASSERT_TRUE(endpoint) << "the system_endpoint fixture is not running";
    port_ = endpoint->port();
    endpoint_.emplace(*endpoint);
  }

  Text Url(std::string_view path) const { return Text(endpoint_->Url(path)); }

  // The heads of the requests the endpoint recorded for `path`, as text.
  std::string SeenRequests(std::string_view path) const {
    return std::string(HttpRead(Url("/__requests?format=raw&path=" + std::string(path))).view());
  }

  static std::string UniquePath(std::string_view prefix) {
    static std::atomic<int> n{0};
    return std::string(prefix) + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n++) +
           "-" + std::to_string(GetTickCount64());
  }

  int port_ = 0;
  std::optional<test::TestEndpoint> endpoint_;
};

void ExpectPattern(const ByteSet& body, std::size_t size) {
  ASSERT_EQ(body.size(), size);
  EXPECT_EQ(test::PatternMismatch(body.data(), body.size()), size);
}

TEST_F(HttpReadTest, ErrorPagesComeBackAsBodies) {
  const ByteSet page = HttpRead(Url("/fault/status/404"));
  EXPECT_NE(page.view().find("<h1>404 Not Found</h1>"), std::string_view::npos) << page.view();
  const HttpReadResult missing = HttpReadWithStatus(Url("/no/such/file.zip"));
  EXPECT_EQ(missing.status, 404);
  EXPECT_NE(missing.body.view().find("<html>"), std::string_view::npos);
  EXPECT_EQ(HttpReadWithStatus(Url("/fault/status/500")).status, 500);
}

TEST_F(HttpReadTest, FileWithEncodedSpaceIsFetchedWithoutReencoding) {
  const std::string path = "/lolbf/imgs/Shyvana%20_04.jpg";
  const HttpReadResult r = HttpReadWithStatus(Url(path));
  EXPECT_EQ(r.status, 200);
  std::ifstream f(test::HostPath(std::string(std::getenv("LQ_SOURCE_DIR")) +
                                 "/tests/system/endpoint_root/lolbf/imgs/Shyvana _04.jpg"),
                  std::ios::binary);
  const std::string expected{std::istreambuf_iterator<char>(f), {}};
  EXPECT_EQ(r.body.view(), expected);
  EXPECT_NE(SeenRequests("/lolbf/imgs/Shyvana%20_04.jpg").find("GET " + path + " HTTP/1.0\r\n"),
            std::string::npos);
}

TEST_F(HttpReadTest, RequestIsHttp10WithTheProgramsAgentAndAccept) {
  const std::string path = UniquePath("/seen/request-");
  HttpRead(Url(path + "?q=1&r=%41#fragment"));
  const std::string seen = SeenRequests(path);
  // One request, the fragment gone, the query as written.
  EXPECT_EQ(seen.rfind("GET " + path + "?q=1&r=%41 HTTP/1.0\r\n", 0), 0u) << seen;
  EXPECT_EQ(seen.find("GET ", 1), std::string::npos) << seen;
  EXPECT_NE(seen.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"),
            std::string::npos)
      << seen;
  EXPECT_NE(seen.find("\r\nAccept: */*"), std::string::npos) << seen;
  EXPECT_NE(seen.find("\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n"), std::string::npos)
      << seen;
}

TEST_F(HttpReadTest, ChinesePathReachesTheServer) {
  // How the platform puts the characters on the wire is its own choice (raw GBK under Wine's
  // Chinese locale); the endpoint reads them as UTF-8 or GBK and finds the file either way.
  const HttpReadResult r = HttpReadWithStatus(Url("/lolbf/pf/悍警巨魔.zip"));
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body.view(), "trundle package");
}

TEST_F(HttpReadTest, BodyWithoutLengthEndsWithTheConnection) {
  ExpectPattern(HttpRead(Url("/fault/no-length/300000")), 300000);
  // A length header that is no usable number reads the same way.
  ExpectPattern(HttpRead(Url("/fault/length/-5/50000")), 50000);
  ExpectPattern(HttpRead(Url("/fault/length/abc/50000")), 50000);
}

TEST_F(HttpReadTest, RedirectIsFollowed) {
  const HttpReadResult r = HttpReadWithStatus(Url("/fault/redirect/302/fault/pattern/5000"));
  EXPECT_EQ(r.status, 200);
  ExpectPattern(r.body, 5000);
}

TEST_F(HttpReadTest, EmptyBody) {
  const HttpReadResult r = HttpReadWithStatus(Url("/fault/empty"));
  EXPECT_EQ(r.status, 200);
  EXPECT_TRUE(r.body.empty());
}

TEST_F(HttpReadTest, SlowFirstByteIsWaitedFor) {
  ExpectPattern(HttpRead(Url("/fault/slow/1500/fault/pattern/1000")), 1000);
}

TEST_F(HttpReadTest, UnusableUrlsGiveTheEmptyByteSet) {
  for (const char* url : {"", "#only-a-fragment", "not a url", "http://", "://127.0.0.1/x",
                          "http:///path-without-host"}) {
    const HttpReadResult r = HttpReadWithStatus(Text(url));
    EXPECT_TRUE(r.body.empty()) << url;
    EXPECT_EQ(r.status, 0) << url;
  }
}

// A port on which nothing listens: bound once and released.
int FreePort() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
  int len = sizeof(a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  closesocket(s);
  WSACleanup();
  return ntohs(a.sin_port);
}

TEST_F(HttpReadTest, RefusedConnectionGivesTheEmptyByteSet) {
  const int port = FreePort();
  ASSERT_GT(port, 0);
  const HttpReadResult r =
      HttpReadWithStatus(Text("http://127.0.0.1:" + std::to_string(port) + "/x"));
  EXPECT_TRUE(r.body.empty());
  EXPECT_EQ(r.status, 0);
}

TEST_F(HttpReadTest, DroppedConnectionGivesThePartRead) {
  // The server promises 200000 bytes and closes after 100000.
  ExpectPattern(HttpRead(Url("/fault/drop/200000")), 100000);
}

TEST_F(HttpReadTest, LargeBodyArrivesByteIdentical) {
  ExpectPattern(HttpRead(Url("/fault/pattern/64m")), std::size_t{64} << 20);
}

TEST_F(HttpReadTest, ThreadsMakingTheFirstCallTogetherShareOneSession) {
  // Each test runs in a process of its own, so these are the process's first requests.
  constexpr int kThreads = 8;
  std::atomic<int> ready{0};
  std::vector<ByteSet> bodies(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      ++ready;
      while (ready < kThreads) std::this_thread::yield();
      bodies[i] = HttpRead(Url("/fault/pattern/" + std::to_string(1000 + i)));
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < kThreads; ++i) ExpectPattern(bodies[i], 1000 + i);
}

}  // namespace
}  // namespace lq
