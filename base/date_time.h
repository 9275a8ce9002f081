#pragma once
// The local clock and the date-time text that names export files.

#include "base/text.h"

namespace idwatch {

// A local calendar date and time of day, to the second.
struct DateTime {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  int hour = 0;    // 0..23
  int minute = 0;
  int second = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// The current local time (time zone and daylight saving applied).
DateTime CurrentTime();

// "2014年11月1日12时24分5秒" in code page 936: the date, then the time of day
// down to its last part that is not zero ("12时", "0时5分"); nothing at all
// for midnight. No leading zeros.
Text DateTimeToText(const DateTime& time);

}  // namespace idwatch
