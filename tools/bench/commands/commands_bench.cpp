// Timing of the text commands on large texts:
//  - FindText over a 64 MiB mixed Chinese/English text against the C library's memmem on the
//    same bytes (std::string_view::find where there is no memmem); FindText must reach at least
//    half of the baseline's speed;
//  - SplitText and SubstituteText at N and 2N bytes: the time may grow by at most 2.2 times.
// Usage: commands_bench [N in MiB]. Each figure is the best of several runs, in thread CPU time
// where the platform has it. The exit code is 1 when a bound is missed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"
#include "tools/bench/commands/bench_clock.h"

namespace {

double BestSeconds(int runs, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const double t0 = lq::bench::ThreadSecondsNow();
    work();
    best = std::min(best, lq::bench::ThreadSecondsNow() - t0);
  }
  return best;
}

// Words of both scripts, joined at random (fixed seed) into a text of at least `size` bytes.
std::string MixedText(std::size_t size, unsigned seed) {
  static const char* const kWords[] = {
      "英雄联盟", "皮肤",    "载入",    "下载", "游戏",        "目录",        "成功", "正在写入",
      "设置",     "信息：",  "　",      "，",   "。",          "game",        "skin", "League",
      "of",       "Legends", "package", "zip",  "preview",     "download",    "load", "Client",
      "the",      "and",     "Game\\",  "\\",   "http://",     "127.0.0.1",   "42",   " ",
      " ",        " ",       "\r\n",    "a",    "Set-Cookie:", "name=value;", ",",    ","};
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kWords) - 1);
  std::string s;
  s.reserve(size + 64);
  while (s.size() < size) s += kWords[pick(random)];
  return s;
}

std::size_t Baseline(std::string_view text, std::string_view sought) {
#if defined(__GLIBC__)
  const void* hit = memmem(text.data(), text.size(), sought.data(), sought.size());
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data())
             : std::string_view::npos;
#else
  return text.find(sought);
#endif
}

#if defined(__GLIBC__)
constexpr const char* kBaselineName = "memmem";
#else
constexpr const char* kBaselineName = "string_view::find";
#endif

bool g_all_within_bounds = true;

void Verdict(bool ok) {
  std::printf("  %s\n", ok ? "ok" : "MISSED");
  if (!ok) g_all_within_bounds = false;
}

// FindText against the baseline for one sought text that stands only at the end of the text.
void FindAgainstBaseline(const char* label, const std::string& body, const char* sought_bytes) {
  const lq::Text sought(sought_bytes);
  const lq::Text text(body + sought_bytes);
  const std::size_t expected = body.size();
  std::int32_t found = 0;
  std::size_t base_found = 0;
  const double t_find =
      BestSeconds(5, [&] { found = lq::FindText(text, sought, std::nullopt, false); });
  const double t_base = BestSeconds(5, [&] { base_found = Baseline(text.view(), sought.view()); });
  const double mib = double(text.view().size()) / (1024.0 * 1024.0);
  std::printf(
      "FindText %-37s %7.1f MiB: FindText %8.2f ms (%6.0f MiB/s), %s %8.2f ms (%6.0f MiB/s),"
      " speed ratio %.2f\n",
      label, mib, t_find * 1e3, mib / t_find, kBaselineName, t_base * 1e3, mib / t_base,
      t_base / t_find);
  if (found != static_cast<std::int32_t>(expected + 1) || base_found != expected) {
    std::printf("  wrong result: FindText %d, %s %zu, expected %zu\n", found, kBaselineName,
                base_found, expected + 1);
    g_all_within_bounds = false;
    return;
  }
  Verdict(t_base / t_find >= 0.5);
}

// A search without a baseline: its speed and whether it found the expected position.
void Throughput(const char* label, const lq::Text& text,
                const std::function<std::int32_t(const lq::Text&)>& search, std::int32_t expected) {
  std::int32_t found = 0;
  const double t = BestSeconds(5, [&] { found = search(text); });
  const double mib = double(text.view().size()) / (1024.0 * 1024.0);
  std::printf("%-46s %7.1f MiB: %8.2f ms (%6.0f MiB/s)\n", label, mib, t * 1e3, mib / t);
  if (found != expected) {
    std::printf("  wrong result: %d, expected %d\n", found, expected);
    g_all_within_bounds = false;
  }
}

// Time at N and at 2N bytes of the same kind of text; the runs alternate between the two sizes
// so that both meet the same conditions on the machine.
void Growth(const char* label, const std::function<void(const lq::Text&)>& work, std::size_t n) {
  const lq::Text small(MixedText(n, 7));
  const lq::Text large(MixedText(2 * n, 7));
  double t_small = 1e30, t_large = 1e30;
  for (int round = 0; round < 7; ++round) {
    t_small = std::min(t_small, BestSeconds(1, [&] { work(small); }));
    t_large = std::min(t_large, BestSeconds(1, [&] { work(large); }));
  }
  std::printf("%-44s N = %5.1f MiB %8.2f ms, 2N %8.2f ms, ratio %.2f\n", label,
              double(n) / (1024.0 * 1024.0), t_small * 1e3, t_large * 1e3, t_large / t_small);
  Verdict(t_large / t_small <= 2.2);
}

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Large blocks from the reused heap rather than fresh mappings, so that the repeated runs time
  // the commands and not the kernel's first touch of new pages (costly and erratic in a VM).
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  std::printf("times: best of several runs, %s\n", lq::bench::ThreadClockName());
  constexpr std::size_t kFindSize = 64u << 20;
  const std::string body = MixedText(kFindSize, 1);
  FindAgainstBaseline("(ASCII, exact)", body, "LolClient.exe");
  FindAgainstBaseline("(lower-case ASCII, exact)", body, "ziparchive");
  FindAgainstBaseline("(Chinese, exact)", body, "载入失败");

  Throughput(
      "FindText (ASCII, case-insensitive)", lq::Text(body + "LOLCLIENT.EXE"),
      [](const lq::Text& t) { return lq::FindText(t, "lolclient.exe", std::nullopt, true); },
      static_cast<std::int32_t>(body.size() + 1));
  Throughput(
      "FindTextBackward (match at the start)", lq::Text("LolClient.exe" + body),
      [](const lq::Text& t) {
        return lq::FindTextBackward(t, "LolClient.exe", std::nullopt, false);
      },
      1);

  // N in MiB from the command line; by default 64, so that both N and 2N lie well beyond the
  // processor's caches and the ratio shows the commands' growth, not the memory hierarchy's.
  const std::size_t growth_size = (argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64u) << 20;
  Growth(
      "SplitText at \",\"", [](const lq::Text& t) { lq::SplitText(t, ","); }, growth_size);
  Growth(
      "SplitText at \"\\r\\n\"", [](const lq::Text& t) { lq::SplitText(t, "\r\n"); }, growth_size);
  Growth(
      "SubstituteText \"\\\\\" by \"/\"",
      [](const lq::Text& t) { lq::SubstituteText(t, "\\", "/", std::nullopt, std::nullopt, true); },
      growth_size);
  Growth(
      "SubstituteText \"set-cookie:\" (folding)",
      [](const lq::Text& t) { lq::SubstituteText(t, "set-cookie:", "Cookie:"); }, growth_size);
  Growth(
      "SubstituteText \"a\" by \"aa\" (grows)",
      [](const lq::Text& t) { lq::SubstituteText(t, "a", "aa", std::nullopt, std::nullopt, true); },
      growth_size);

  std::printf("%s\n", g_all_within_bounds ? "all within bounds" : "some bounds missed");
  return g_all_within_bounds ? 0 : 1;
}
