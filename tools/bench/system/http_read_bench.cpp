// HttpRead throughput and memory on a large body.
//
//   system_http_bench <port> [MiB] [rounds] [burst]
//
// Reads /fault/pattern/<MiB>m (with Content-Length) and /fault/no-length/<MiB>m from the endpoint
// on 127.0.0.1:<port> with HttpRead, then the same body with a bare InternetReadFile loop of the
// same read size: into one buffer reused by every round (its pages already in memory), and, for
// both routes, into memory allocated for the round and never touched before, as every new body
// is. Prints the best
// time of each, the cost of touching that much new memory alone, the ratios and the peak working
// set of the HttpRead phase (measured before the bare loop's buffer exists). Then the same body as
// a package downloads it (HttpDownload under the package limits, whose stall rule bounds each
// read's bet), and with "burst" the time of a package of 4 MiB at once and then 64 KiB at 2 KiB a
// second (the endpoint of burst_routes.py).
#include <windows.h>
// windows.h first: these headers build on its types.
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/system/http_read.h"
#include "tools/bench/win32_measures.h"

namespace {

// Counts the bytes and drops them.
class CountingSink final : public lq::BodySink {
 public:
  bool Begin(const lq::ResponseHead&) override { return true; }
  bool Take(std::span<const std::uint8_t> bytes) override {
    received_ += bytes.size();
    return true;
  }
  std::size_t received_ = 0;
};

double Now() { return lq::bench::WallSeconds(); }

double MiB(std::size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

using lq::bench::Memory;

// The same request as HttpRead, read into `buffer` in 102400-byte reads. Returns the bytes read.
std::size_t BareRead(HINTERNET session, int port, const std::wstring& path, unsigned char* buffer,
                     std::size_t capacity) {
  HINTERNET connection = InternetConnectW(session, L"127.0.0.1", static_cast<INTERNET_PORT>(port),
                                          nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  const wchar_t* accept[] = {L"Accept: */* \r\n", nullptr};
  HINTERNET request =
      HttpOpenRequestW(connection, L"GET", path.c_str(), L"HTTP/1.0", nullptr, accept,
                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  std::size_t total = 0;
  if (request && HttpSendRequestW(request, L"Accept: */*\r\n\r\n", 15, nullptr, 0)) {
    for (;;) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(102400, capacity - total));
      if (want == 0 || !InternetReadFile(request, buffer + total, want, &got) || got == 0) {
        break;
      }
      total += got;
    }
  }
  if (request) InternetCloseHandle(request);
  if (connection) InternetCloseHandle(connection);
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: system_http_bench <port> [MiB] [rounds]\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const int mib = argc > 2 ? std::atoi(argv[2]) : 256;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  const std::size_t size = static_cast<std::size_t>(mib) << 20;
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  const std::string sized = "/fault/pattern/" + std::to_string(mib) + "m";
  const std::string unsized = "/fault/no-length/" + std::to_string(mib) + "m";

  lq::HttpRead(lq::Text(base + "/fault/empty"));  // opens the shared session
  const PROCESS_MEMORY_COUNTERS before = Memory();

  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = Now();
    const lq::ByteSet body = lq::HttpRead(lq::Text(base + sized));
    const double t = Now() - t0;
    if (body.size() != size) {
      std::fprintf(stderr, "HttpRead brought %zu bytes, not %zu\n", body.size(), size);
      return 1;
    }
    best = std::min(best, t);
  }
  const PROCESS_MEMORY_COUNTERS afterSized = Memory();

  double bestUnsized = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = Now();
    const lq::ByteSet body = lq::HttpRead(lq::Text(base + unsized));
    bestUnsized = std::min(bestUnsized, Now() - t0);
    if (body.size() != size) {
      std::fprintf(stderr, "HttpRead without length brought %zu bytes\n", body.size());
      return 1;
    }
  }
  const PROCESS_MEMORY_COUNTERS afterUnsized = Memory();

  HINTERNET session = InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
                                    INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  std::vector<unsigned char> buffer(size + 102400);
  const std::wstring widePath(sized.begin(), sized.end());
  double bestBare = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = Now();
    const std::size_t n = BareRead(session, port, widePath, buffer.data(), buffer.size());
    bestBare = std::min(bestBare, Now() - t0);
    if (n != size) {
      std::fprintf(stderr, "bare loop brought %zu bytes\n", n);
      return 1;
    }
  }
  // The same loop into memory the process has never touched, as every new body is: the first
  // write to each page costs a page fault, which some virtual machines make expensive. Both
  // routes: the one without a length is served differently (the close ends it).
  auto fresh_loop = [&](const std::string& route) {
    const std::wstring wide(route.begin(), route.end());
    double best_time = 1e30;
    for (int i = 0; i < rounds; ++i) {
      auto* fresh = static_cast<unsigned char*>(
          VirtualAlloc(nullptr, size + 102400, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
      const double t0 = Now();
      const std::size_t n = BareRead(session, port, wide, fresh, size + 102400);
      best_time = std::min(best_time, Now() - t0);
      VirtualFree(fresh, 0, MEM_RELEASE);
      if (n != size) return -1.0;
    }
    return best_time;
  };
  const double bestFresh = fresh_loop(sized);
  const double bestFreshUnsized = fresh_loop(unsized);
  if (bestFresh < 0 || bestFreshUnsized < 0) {
    std::fprintf(stderr, "bare loop into untouched memory brought a short body\n");
    return 1;
  }
  double bestTouch = 1e30;
  for (int i = 0; i < rounds; ++i) {
    auto* fresh = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    const double t0 = Now();
    for (std::size_t at = 0; at < size; at += 4096) fresh[at] = 1;
    bestTouch = std::min(bestTouch, Now() - t0);
    VirtualFree(fresh, 0, MEM_RELEASE);
  }
  InternetCloseHandle(session);

  double bestPackage = 1e30;
  for (int i = 0; i < rounds; ++i) {
    CountingSink sink;
    const double t0 = Now();
    const lq::TransferEnd end = lq::HttpDownload(lq::Text(base + sized), lq::kPackageLimits, sink);
    bestPackage = std::min(bestPackage, Now() - t0);
    if (end != lq::TransferEnd::kComplete || sink.received_ != size) {
      std::fprintf(stderr, "the package download ended %d with %zu bytes\n", static_cast<int>(end),
                   sink.received_);
      return 1;
    }
  }
  double burst = 0;
  if (argc > 4 && std::string(argv[4]) == "burst") {
    CountingSink sink;
    const double t0 = Now();
    const lq::TransferEnd end =
        lq::HttpDownload(lq::Text(base + "/fault/burst/4m/64k/2048"), lq::kPackageLimits, sink);
    burst = Now() - t0;
    if (end != lq::TransferEnd::kComplete || sink.received_ != (4u << 20) + (64u << 10)) {
      std::fprintf(stderr, "the burst-then-trickle package ended %d with %zu bytes after %.1f s\n",
                   static_cast<int>(end), sink.received_, burst);
      return 1;
    }
  }

  std::printf("body                       %8.0f MiB\n", MiB(size));
  std::printf("HttpRead, Content-Length   %8.3f s  %8.1f MiB/s\n", best, MiB(size) / best);
  std::printf("HttpRead, no length        %8.3f s  %8.1f MiB/s\n", bestUnsized,
              MiB(size) / bestUnsized);
  std::printf("bare loop, one buffer       %8.3f s  %8.1f MiB/s\n", bestBare, MiB(size) / bestBare);
  std::printf("bare loop, untouched memory%8.3f s  %8.1f MiB/s\n", bestFresh,
              MiB(size) / bestFresh);
  std::printf("  the same, no length       %8.3f s  %8.1f MiB/s\n", bestFreshUnsized,
              MiB(size) / bestFreshUnsized);
  std::printf("package download (stall rule) %8.3f s  %8.1f MiB/s\n", bestPackage,
              MiB(size) / bestPackage);
  if (burst != 0) std::printf("4 MiB, then 64 KiB at 2 KiB/s  %8.3f s\n", burst);
  std::printf("first touch of %4.0f MiB     %8.3f s\n", MiB(size), bestTouch);
  std::printf("HttpRead / bare, one buffer          %5.2f (no length: %.2f)\n", bestBare / best,
              bestBare / bestUnsized);
  std::printf("HttpRead / bare, untouched memory    %5.2f (no length: %.2f)\n", bestFresh / best,
              bestFreshUnsized / bestUnsized);
  std::printf("working set before         %8.1f MiB\n", MiB(before.WorkingSetSize));
  std::printf("peak, Content-Length       %8.1f MiB (%.1f above the start, body %.0f)\n",
              MiB(afterSized.PeakWorkingSetSize),
              MiB(afterSized.PeakWorkingSetSize - before.WorkingSetSize), MiB(size));
  std::printf("peak, no length            %8.1f MiB (%.1f above the start)\n",
              MiB(afterUnsized.PeakWorkingSetSize),
              MiB(afterUnsized.PeakWorkingSetSize - before.WorkingSetSize));
  return 0;
}
