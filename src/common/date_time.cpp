#include "common/date_time.h"

#include <QDateTime>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tessar {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(y + (m <= 2));
  month = static_cast<int>(m);
  day = static_cast<int>(d);
}

constexpr std::int64_t kEpochDays = DaysFromCivil(1899, 12, 30);
// The calendar's first and last day, as day counts.
constexpr std::int64_t kFirstDay = DaysFromCivil(1, 1, 1) - kEpochDays;
constexpr std::int64_t kLastDay = DaysFromCivil(9999, 12, 31) - kEpochDays;

// Whole days and milliseconds of the time of day; false outside the calendar.
// The range is checked on the double before any integer conversion.
bool SplitDayCount(double dayCount, std::int64_t& date, std::int64_t& ms) {
  if (!(dayCount >= kFirstDay - 1.0 && dayCount <= kLastDay + 1.0)) return false;  // NaN too
  date = static_cast<std::int64_t>(std::trunc(dayCount));
  ms = std::llround(std::fabs(dayCount - std::trunc(dayCount)) * kMsPerDay);
  if (ms >= kMsPerDay) {  // rounding reached the next midnight
    ms -= kMsPerDay;
    date += dayCount < 0 ? -1 : 1;
  }
  return date >= kFirstDay && date <= kLastDay;
}

}  // namespace

bool IsCalendarDayCount(double dayCount) {
  std::int64_t date = 0, ms = 0;
  return SplitDayCount(dayCount, date, ms);
}

double EncodeDateTime(const CalendarTime& t) {
  const double date = static_cast<double>(
      DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) - kEpochDays);
  const double time =
      ((t.hour * 60.0 + t.minute) * 60.0 + t.second + t.millisecond / 1000.0) / kSecondsPerDay;
  // Before the epoch the time of day counts away from zero, as the date does.
  return date < 0 ? date - time : date + time;
}

CalendarTime DecodeDateTime(double dayCount) {
  CalendarTime t;
  std::int64_t date = 0, ms = 0;
  if (!SplitDayCount(dayCount, date, ms)) return t;
  CivilFromDays(date + kEpochDays, t.year, t.month, t.day);
  t.hour = static_cast<int>(ms / 3'600'000);
  t.minute = static_cast<int>(ms / 60'000 % 60);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.millisecond = static_cast<int>(ms % 1000);
  return t;
}

double ToDayCount(const QDateTime& dateTime) {
  const QDateTime local = dateTime.toLocalTime();
  const QDate d = local.date();
  const QTime tm = local.time();
  return EncodeDateTime({d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second(), tm.msec()});
}

QDateTime FromDayCount(double dayCount) {
  if (!IsCalendarDayCount(dayCount)) return {};
  const CalendarTime t = DecodeDateTime(dayCount);
  return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second, t.millisecond));
}

std::string FormatDateTime(double dayCount) {
  if (!IsCalendarDayCount(dayCount)) return "---------- --:--:--";
  const CalendarTime t = DecodeDateTime(dayCount);
  char text[64];
  std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::string FormatShortDateTime(double dayCount) {
  if (!IsCalendarDayCount(dayCount)) return "----- --:--:--";
  const CalendarTime t = DecodeDateTime(dayCount);
  char text[64];
  std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d:%02d", t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string FormatTime(double dayCount) {
  if (!IsCalendarDayCount(dayCount)) return "--:--:--";
  const CalendarTime t = DecodeDateTime(dayCount);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}

}  // namespace tessar
