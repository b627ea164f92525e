// HttpRequest against HttpRead on the same large body from the local endpoint, in one run.
//
//   web_bench.exe <port> [size, default 32m] [rounds, default 5]
//
// Each round fetches /fault/pattern/<size> once with each routine (in alternating order), checks
// every byte against the endpoint's pattern, and times the fetch. Prints the best and the median
// throughput of each and the ratio of HttpRequest to HttpRead. Start the endpoint first
// (run_web_bench.sh does all of it).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "runtime/system/http_read.h"
#include "tests/support/pattern.h"
#include "tools/bench/win32_measures.h"
#include "web/http_request.h"

namespace {

using lq::bench::CpuSeconds;
double Seconds() { return lq::bench::WallSeconds(); }

struct Timing {
  double wall = 0;
  double cpu = 0;
};

std::size_t ParseSize(const std::string& text) {
  std::size_t scale = 1;
  std::string digits = text;
  if (!digits.empty() && (digits.back() == 'm' || digits.back() == 'M')) {
    scale = 1024 * 1024;
    digits.pop_back();
  } else if (!digits.empty() && (digits.back() == 'k' || digits.back() == 'K')) {
    scale = 1024;
    digits.pop_back();
  }
  return std::strtoull(digits.c_str(), nullptr, 10) * scale;
}

// Wall and CPU seconds of one fetch; nothing when the body is not the expected one.
template <class Fetch>
std::optional<Timing> TimeFetch(Fetch fetch, std::size_t size) {
  const double start = Seconds();
  const double cpu_start = CpuSeconds();
  const lq::ByteSet body = fetch();
  const Timing timing{Seconds() - start, CpuSeconds() - cpu_start};
  if (body.size() != size || lq::test::PatternMismatch(body.data(), body.size()) != size) {
    std::printf("  wrong body: %zu bytes\n", body.size());
    return std::nullopt;
  }
  return timing;
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: web_bench <port> [size] [rounds]\n");
    return 2;
  }
  const std::string size_text = argc > 2 ? argv[2] : "32m";
  const std::size_t size = ParseSize(size_text);
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  const lq::Text url(std::string("http://127.0.0.1:") + argv[1] + "/fault/pattern/" + size_text);
  const double mib = static_cast<double>(size) / (1024.0 * 1024.0);

  std::vector<double> request_times, read_times, request_cpu, read_cpu;
  for (int round = 0; round < rounds; ++round) {
    const bool request_first = round % 2 == 0;
    for (int k = 0; k < 2; ++k) {
      const bool request = (k == 0) == request_first;
      const auto t = request ? TimeFetch([&] { return lq::HttpRequest(url); }, size)
                             : TimeFetch([&] { return lq::HttpRead(url); }, size);
      if (!t) return 1;
      (request ? request_times : read_times).push_back(t->wall);
      (request ? request_cpu : read_cpu).push_back(t->cpu);
      std::printf("round %d %-11s %8.1f MiB/s  cpu %.3f s\n", round + 1,
                  request ? "HttpRequest" : "HttpRead", mib / t->wall, t->cpu);
    }
  }
  std::printf("body %.1f MiB, %d rounds\n", mib, rounds);
  std::printf("HttpRequest best %8.1f MiB/s  median %8.1f MiB/s  median cpu %.3f s\n",
              mib / Min(request_times), mib / Median(request_times), Median(request_cpu));
  std::printf("HttpRead    best %8.1f MiB/s  median %8.1f MiB/s  median cpu %.3f s\n",
              mib / Min(read_times), mib / Median(read_times), Median(read_cpu));
  std::printf("ratio HttpRequest/HttpRead: best %.2f  median %.2f  cpu %.2f\n",
              Min(read_times) / Min(request_times), Median(read_times) / Median(request_times),
              Median(read_cpu) / Median(request_cpu));
  return 0;
}
