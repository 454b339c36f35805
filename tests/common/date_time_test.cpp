#include <gtest/gtest.h>

#include <QDateTime>
#include <cmath>

#include "common/clock.h"
#include "common/date_time.h"

using namespace tessar;

TEST(DateTime, KnownInstantsBothWays) {
  EXPECT_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
  EXPECT_EQ(EncodeDateTime({1900, 1, 1, 0, 0, 0, 0}), 2.0);
  EXPECT_EQ(EncodeDateTime({2000, 1, 1, 12, 0, 0, 0}), 36526.5);

  const CalendarTime t{2026, 12, 8, 14, 5, 32, 0};
  const double d = EncodeDateTime(t);
  EXPECT_NEAR(d, 46364.0 + (14 * 3600 + 5 * 60 + 32) / 86400.0, 1e-9);
  EXPECT_EQ(DecodeDateTime(d), t);
  EXPECT_EQ(FormatDateTime(d), "2026-12-08 14:05:32");
  EXPECT_EQ(FormatShortDateTime(d), "12-08 14:05:32");
  EXPECT_EQ(FormatTime(d), "14:05:32");

  // Leap day and the last second of a year.
  const CalendarTime leap{2024, 2, 29, 23, 59, 59, 0};
  EXPECT_EQ(DecodeDateTime(EncodeDateTime(leap)), leap);
  EXPECT_EQ(FormatDateTime(EncodeDateTime({2026, 12, 31, 23, 59, 59, 0})), "2026-12-31 23:59:59");
}

TEST(DateTime, RoundingNeverGivesSecondSixtyOrHour24) {
  // A hair before midnight rounds to the next day's 00:00:00.000.
  const double almost = EncodeDateTime({2026, 12, 8, 0, 0, 0, 0}) - 1e-10;
  const CalendarTime t = DecodeDateTime(almost);
  EXPECT_EQ(t, (CalendarTime{2026, 12, 8, 0, 0, 0, 0}));
  // Every second of an hour survives the round trip.
  for (int s = 0; s < 3600; ++s) {
    const CalendarTime in{2026, 12, 8, 9, s / 60, s % 60, 0};
    ASSERT_EQ(DecodeDateTime(EncodeDateTime(in)), in);
  }
}

TEST(DateTime, QDateTimeConversionIsLocalTime) {
  const QDateTime local(QDate(2026, 12, 8), QTime(14, 5, 32));
  EXPECT_EQ(FromDayCount(ToDayCount(local)), local);
  EXPECT_EQ(FormatDateTime(ToDayCount(local)), "2026-12-08 14:05:32");
}

TEST(ClockSeam, ManualClockIsUsedWhileInstalled) {
  ManualClock manual(EncodeDateTime({2026, 12, 8, 9, 59, 58, 0}));
  {
    ScopedClock scope(manual);
    EXPECT_EQ(FormatTime(Now()), "09:59:58");
    manual.AdvanceSeconds(3);
    EXPECT_EQ(FormatTime(Now()), "10:00:01");
  }
  // Back on the system clock: within a minute of the real local time.
  EXPECT_NEAR(Now(), ToDayCount(QDateTime::currentDateTime()), 60.0 / 86400.0);
}

// Day counts from files and the network may be anything: outside years
// 1..9999 (NaN and infinities included) they decode to the default time,
// give no QDateTime and show as dashes of the usual width.
TEST(DateTime, DayCountsOutsideTheCalendarHaveADefinedText) {
  const double first = EncodeDateTime({1, 1, 1, 0, 0, 0, 0});
  const double last = EncodeDateTime({9999, 12, 31, 23, 59, 59, 999});
  EXPECT_EQ(FormatDateTime(first), "1-01-01 00:00:00");
  EXPECT_EQ(FormatDateTime(last), "9999-12-31 23:59:59");
  EXPECT_TRUE(FromDayCount(last).isValid());

  const double outside[] = {
      std::nan(""), INFINITY, -INFINITY, 0x1p63, -0x1p63, 0x1p63 - 1024, -0x1p63 + 1024, 1e300,
      -1e300, first - 1.0, last + 1.0, last + 0.0006 / 86400};  // the last rounds into year 10000
  for (double d : outside) {
    EXPECT_FALSE(IsCalendarDayCount(d)) << d;
    EXPECT_EQ(DecodeDateTime(d), CalendarTime{}) << d;
    EXPECT_FALSE(FromDayCount(d).isValid()) << d;
    EXPECT_EQ(FormatDateTime(d), "---------- --:--:--") << d;
    EXPECT_EQ(FormatShortDateTime(d), "----- --:--:--") << d;
    EXPECT_EQ(FormatTime(d), "--:--:--") << d;
  }
}
