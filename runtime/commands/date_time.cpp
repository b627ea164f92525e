#include <cmath>
#include <cstdint>
#include <cstdio>

#include "runtime/commands/conversions.h"

namespace lq {
namespace {

struct CivilDate {
  std::int64_t year;
  unsigned month, day;
};

// The proleptic Gregorian date of a day count since 1970-01-01 (H. Hinnant's civil_from_days).
CivilDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  return {std::int64_t{yoe} + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Day 0 of a date-time, 1899-12-30, counted from 1970-01-01.
constexpr std::int64_t kDayZeroFromUnixEpoch = -25569;

}  // namespace

Text DateTimeText(double days) {
  days = ClampDateTime(days);
  // The whole part is the day (negative days count back from day 0), the fraction's magnitude
  // the time of that day.
  const double whole = std::trunc(days);
  auto day = static_cast<std::int64_t>(whole);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(days - whole) * 86400.0));
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }
  const CivilDate date = CivilFromDays(day + kDayZeroFromUnixEpoch);
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, "%lld年%u月%u日", static_cast<long long>(date.year),
                        date.month, date.day);
  if (seconds != 0) {
    n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), "%d时%d分%d秒",
                       static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                       static_cast<int>(seconds % 60));
  }
  return Text(std::string_view(buffer, static_cast<std::size_t>(n)));
}

}  // namespace lq
