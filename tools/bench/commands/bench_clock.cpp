#include "tools/bench/commands/bench_clock.h"

#if defined(_WIN32)
#include <chrono>
#else
#include <time.h>
#endif

namespace lq::bench {

#if defined(_WIN32)
// GetThreadTimes counts in scheduler ticks of about 15 ms, too coarse for these runs.
double ThreadSecondsNow() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
const char* ThreadClockName() { return "wall-clock time"; }
#else
double ThreadSecondsNow() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
const char* ThreadClockName() { return "thread CPU time"; }
#endif

}  // namespace lq::bench
