// Clocks for the benchmark.
#pragma once

namespace lq::bench {

// Processor time of the calling thread in seconds, so that other busy processes on the machine
// do not count; where the platform has no precise per-thread clock, wall-clock time.
double ThreadSecondsNow();

// The name of the clock ThreadSecondsNow reads, for the printout.
const char* ThreadClockName();

}  // namespace lq::bench
