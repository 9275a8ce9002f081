// The local clock and the date-time text of export file names.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/date_time.h"
#include "tests/support/shown.h"

namespace idwatch {
namespace {

using testutil::Shown;

TEST(DateTimeToText, WritesTheTimeOfDayDownToItsLastNonZeroPart) {
  const std::vector<std::pair<DateTime, std::string>> cases = {
      {{2014, 11, 1, 12, 24, 5}, "2014年11月1日12时24分5秒"},
      {{2014, 11, 1, 12, 0, 0}, "2014年11月1日12时"},
      {{2014, 11, 1, 0, 0, 0}, "2014年11月1日"},
      {{2014, 11, 1, 0, 5, 0}, "2014年11月1日0时5分"},
      {{2014, 11, 1, 0, 0, 7}, "2014年11月1日0时0分7秒"},
      {{2014, 11, 1, 9, 30, 0}, "2014年11月1日9时30分"},
      {{2038, 1, 19, 23, 59, 59}, "2038年1月19日23时59分59秒"},
      {{}, "1899年12月30日"},
  };
  for (const auto& [time, expected] : cases) {
    EXPECT_EQ(Shown(DateTimeToText(time)), Shown(TextFromUtf8(expected)));
  }
}

std::time_t ToTimeT(const DateTime& time) {
  std::tm local{};
  local.tm_year = time.year - 1900;
  local.tm_mon = time.month - 1;
  local.tm_mday = time.day;
  local.tm_hour = time.hour;
  local.tm_min = time.minute;
  local.tm_sec = time.second;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

TEST(CurrentTime, IsTheLocalClockToTheSecond) {
  const std::time_t before = std::time(nullptr);
  const DateTime now = CurrentTime();
  const std::time_t after = std::time(nullptr);
  EXPECT_GE(ToTimeT(now), before);
  EXPECT_LE(ToTimeT(now), after);
}

void SetTimeZone(const char* zone) {
#ifdef _WIN32
  _putenv_s("TZ", zone ? zone : "");
  _tzset();
#else
  if (zone) {
    setenv("TZ", zone, 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
#endif
}

DateTime EightHoursEastOfUtc(std::time_t when) {
  const std::time_t shifted = when + 8 * 3600;
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &shifted);
#else
  gmtime_r(&shifted, &utc);
#endif
  return {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
}

// A zone eight hours east of UTC without daylight saving, as in China.
TEST(CurrentTime, AppliesTheTimeZone) {
  const char* saved = std::getenv("TZ");
  const std::string savedZone = saved ? saved : "";
  SetTimeZone("CST-8");
  const std::time_t before = std::time(nullptr);
  const DateTime now = CurrentTime();
  const std::time_t after = std::time(nullptr);
  SetTimeZone(saved ? savedZone.c_str() : nullptr);

  EXPECT_TRUE(now == EightHoursEastOfUtc(before) || now == EightHoursEastOfUtc(after))
      << now.year << "-" << now.month << "-" << now.day << " " << now.hour << ":" << now.minute
      << ":" << now.second;
}

}  // namespace
}  // namespace idwatch
