// Date-times as the records, headers and charts hold them: days since
// 1899-12-30 00:00 local time, the fraction being the time of day.
#pragma once

#include <string>

class QDateTime;

namespace tessar {

struct CalendarTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  bool operator==(const CalendarTime&) const = default;
};

constexpr double kSecondsPerDay = 86400.0;

double EncodeDateTime(const CalendarTime& t);

// Whether a day count names a time from 0001-01-01 00:00:00.000 to
// 9999-12-31 23:59:59.999 (after rounding to the millisecond). Day counts
// come from files and the network, so anything else, NaN and infinities
// included, is treated as "no time" below.
bool IsCalendarDayCount(double dayCount);

// Calendar values of a day count; the time of day is rounded to the
// millisecond. A day count outside the calendar gives the default
// CalendarTime (1899-12-30 00:00:00.000).
CalendarTime DecodeDateTime(double dayCount);

double ToDayCount(const QDateTime& dateTime);
// The local date-time of a day count; an invalid QDateTime outside the calendar.
QDateTime FromDayCount(double dayCount);

// The texts of a time. A day count outside the calendar gives dashes of the
// same width, so that no made-up time is ever shown or written.
// "%d-%02d-%02d %02d:%02d:%02d", e.g. "2026-12-08 14:05:32"; "---------- --:--:--".
std::string FormatDateTime(double dayCount);
// "%02d-%02d %02d:%02d:%02d", e.g. "12-08 14:05:32"; "----- --:--:--".
std::string FormatShortDateTime(double dayCount);
// The process-wide time format "hh:mm:ss"; "--:--:--".
std::string FormatTime(double dayCount);

}  // namespace tessar
