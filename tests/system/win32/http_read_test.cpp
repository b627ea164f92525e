// HttpRead against the local endpoint: bodies whatever the status, broken transfers, the request
// the server saw, and large bodies.
#include "runtime/system/http_read.h"

#include <gtest/gtest.h>
#include <winsock2.h>
// winsock2.h before windows.h, as Winsock asks.
#include <windows.h>

#include <atomic>
#include <cstdint>
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

// Short limits, so that no case waits long: a test's own time-out catches a bound that fails.
constexpr TransferLimits Limits(std::uint32_t receive, std::uint32_t deadline, std::uint64_t cap,
                                std::uint32_t stall_window = 0, std::uint32_t stall_min = 0) {
  return {2'000, receive, deadline, cap, stall_window, stall_min};
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

TEST_F(HttpReadTest, UnreachableHostsAreToldFromSilentOnes) {
  // Refused, and a name that does not resolve: no connection at all, told at once. A host that
  // accepts and never answers is reachable: its end is the receive timeout's.
  const int port = FreePort();
  ASSERT_GT(port, 0);
  for (const std::string& url : {"http://127.0.0.1:" + std::to_string(port) + "/x",
                                 std::string("http://no-such-host.invalid/x")}) {
    SCOPED_TRACE(url);
    const HttpReadResult r = HttpReadWithStatus(Text(url));
    EXPECT_TRUE(r.body.empty());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.end, TransferEnd::kUnreachable);
  }
  EXPECT_EQ(HttpReadWithStatus(Url("/fault/silent"), Limits(800, 0, 0)).end,
            TransferEnd::kTimedOut);
}

TEST_F(HttpReadTest, ConditionalAndPartialGets) {
  const Text url = Url("/lolbf/imgs/Shyvana%20_04.jpg");
  const HttpReadResult whole = HttpReadWithStatus(url);
  ASSERT_EQ(whole.head.status, 200);
  ASSERT_GT(whole.body.size(), 10u);
  ASSERT_FALSE(whole.head.etag.empty());
  ASSERT_FALSE(whole.head.last_modified.empty());
  EXPECT_EQ(whole.head.length, whole.body.size());
  const std::string_view bytes = whole.body.view();

  RequestConditions unchanged;
  unchanged.if_none_match = whole.head.etag;
  const HttpReadResult same = HttpReadWithStatus(url, kPreviewLimits, unchanged);
  EXPECT_EQ(same.head.status, 304);
  EXPECT_EQ(same.end, TransferEnd::kComplete);
  EXPECT_TRUE(same.body.empty());
  RequestConditions since;
  since.if_modified_since = whole.head.last_modified;
  EXPECT_EQ(HttpReadWithStatus(url, kPreviewLimits, since).head.status, 304);

  RequestConditions rest;
  rest.range_from = 10;
  rest.if_range = whole.head.etag;
  const HttpReadResult part = HttpReadWithStatus(url, kPreviewLimits, rest);
  EXPECT_EQ(part.head.status, 206);
  EXPECT_EQ(part.end, TransferEnd::kComplete);
  EXPECT_EQ(part.head.range_first, 10u);
  EXPECT_EQ(part.head.range_total, bytes.size());
  EXPECT_EQ(part.head.length, bytes.size() - 10);
  EXPECT_EQ(part.body.view(), bytes.substr(10));
  // An If-Range that no longer holds brings the whole body.
  rest.if_range = "\"stale\"";
  const HttpReadResult again = HttpReadWithStatus(url, kPreviewLimits, rest);
  EXPECT_EQ(again.head.status, 200);
  EXPECT_EQ(again.body.view(), bytes);
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

TEST_F(HttpReadTest, EachKindOfFaultEndsTheTransferAsItSays) {
  // One case per kind of host fault, for what the platform does with it: its reads of a body
  // that stops short or claims more than comes or passes the cap unannounced, and a caller let go
  // while a read blocks on a trickle. Every bound on every fault is the transfer engine's tests'.
  struct Case {
    const char* path;
    TransferLimits limits;
    TransferEnd end;
    std::size_t body;  // pattern bytes kept
  };
  // Receive timeouts of a minute where another bound must end the transfer first: a bound that
  // failed to hold would show as the test running into its own time-out.
  const Case cases[] = {
      // One byte every 300 ms, head included: each read is answered, the whole is not.
      {"/fault/trickle/300/fault/pattern/100", Limits(60'000, 0, 0, 1'200, 1024),
       TransferEnd::kStalled, 0},
      {"/fault/drop/200000", Limits(60'000, 0, 0), TransferEnd::kBroken, 100000},
      {"/fault/lie/2147483647/fault/pattern/1000", Limits(60'000, 0, 0), TransferEnd::kBroken,
       1000},
      {"/fault/no-length/300000", Limits(60'000, 0, 100'000), TransferEnd::kTooLarge, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const HttpReadResult r = HttpReadWithStatus(Url(c.path), c.limits);
    EXPECT_EQ(static_cast<int>(r.end), static_cast<int>(c.end));
    if (c.end == TransferEnd::kTooLarge) {
      EXPECT_LE(r.body.size(), c.limits.max_body + 1);
    } else if (c.body != 0) {
      ExpectPattern(r.body, c.body);
    } else {
      EXPECT_EQ(test::PatternMismatch(r.body.data(), r.body.size()), r.body.size());
    }
  }
}

// Records what a download hands over.
class RecordingSink : public BodySink {
 public:
  bool Begin(const ResponseHead& head) override {
    status_ = head.status;
    length_ = head.length;
    return true;
  }
  bool Take(std::span<const std::uint8_t> bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
  }

  int status_ = 0;
  std::optional<std::uint64_t> length_;
  std::vector<std::uint8_t> bytes_;
};

TEST_F(HttpReadTest, DownloadStreamsIntoTheSink) {
  RecordingSink all;
  EXPECT_EQ(HttpDownload(Url("/fault/pattern/300000"), kPackageLimits, all),
            TransferEnd::kComplete);
  EXPECT_EQ(all.status_, 200);
  EXPECT_EQ(all.length_, 300000u);
  ASSERT_EQ(all.bytes_.size(), 300000u);
  EXPECT_EQ(test::PatternMismatch(all.bytes_.data(), all.bytes_.size()), 300000u);

  RecordingSink missing;
  EXPECT_EQ(HttpDownload(Url("/no/such/package.zip"), kPackageLimits, missing),
            TransferEnd::kComplete);
  EXPECT_EQ(missing.status_, 404);
}

TEST_F(HttpReadTest, BodyThatSlowsDownAfterABurstIsNotStalled) {
  // 4 MiB at once, then 8 KiB at 2 KiB a second: flowing at twice the rule's minimum all along.
  // A read that asked for as much as the burst brought would wait for the whole tail and hide
  // its arrivals from the stall rule.
  RecordingSink sink;
  EXPECT_EQ(HttpDownload(Url("/fault/burst/4m/8k/2048"), Limits(15'000, 0, 0, 3'000, 3'000), sink),
            TransferEnd::kComplete);
  ASSERT_EQ(sink.bytes_.size(), (4u << 20) + 8192);
  EXPECT_EQ(test::PatternMismatch(sink.bytes_.data(), sink.bytes_.size()), sink.bytes_.size());
}

}  // namespace
}  // namespace lq
