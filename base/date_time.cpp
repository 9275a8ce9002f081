#include "base/date_time.h"

#include <ctime>
#include <string>

#include "base/codepage.h"

namespace idwatch {
namespace {

Text Number(int value) { return Text(std::to_string(value)); }

}  // namespace

DateTime CurrentTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  // The reentrant forms: workers and the user-interface thread may ask at once.
#ifdef _WIN32
  const bool converted = localtime_s(&local, &now) == 0;
#else
  const bool converted = localtime_r(&now, &local) != nullptr;
#endif
  if (now == static_cast<std::time_t>(-1) || !converted) return {};
  return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour,        local.tm_min,     local.tm_sec};
}

Text DateTimeToText(const DateTime& time) {
  static const Text kYear = TextFromUtf8("年");
  static const Text kMonth = TextFromUtf8("月");
  static const Text kDay = TextFromUtf8("日");
  static const Text kHour = TextFromUtf8("时");
  static const Text kMinute = TextFromUtf8("分");
  static const Text kSecond = TextFromUtf8("秒");

  Text text = Number(time.year) + kYear + Number(time.month) + kMonth + Number(time.day) + kDay;
  // The time of day runs down to its last part that is not zero.
  if (time.second != 0) {
    text +=
        Number(time.hour) + kHour + Number(time.minute) + kMinute + Number(time.second) + kSecond;
  } else if (time.minute != 0) {
    text += Number(time.hour) + kHour + Number(time.minute) + kMinute;
  } else if (time.hour != 0) {
    text += Number(time.hour) + kHour;
  }
  return text;
}

}  // namespace idwatch
