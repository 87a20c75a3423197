#include <gtest/gtest.h>

#include <climits>

#include "lyrics/lrc.h"

namespace {

int32_t Time(std::string_view tag) {
  int32_t ms = -12345;
  EXPECT_TRUE(ParseLrcTime(tag, ms)) << tag;
  return ms;
}

TEST(LrcTime, MinutesSecondsAndFraction) {
  EXPECT_EQ(Time("01:02.50"), 62500);
  // The fraction is a decimal fraction of a second, whatever its number of
  // digits: tenths, hundredths, thousandths.
  EXPECT_EQ(Time("01:02.5"), 62500);
  EXPECT_EQ(Time("01:02.500"), 62500);
  EXPECT_EQ(Time("01:02.05"), 62050);
  EXPECT_EQ(Time("01:02.005"), 62005);
  EXPECT_EQ(Time("01:02"), 62000);
  EXPECT_EQ(Time("01:02."), 62000);
  EXPECT_EQ(Time("00:00.00"), 0);
  // Digits past the third are below a millisecond.
  EXPECT_EQ(Time("00:01.1239"), 1123);
}

TEST(LrcTime, HoursMinutesSeconds) {
  EXPECT_EQ(Time("01:02:03"), 3723000);
  EXPECT_EQ(Time("1:1:1.1"), 3661100);
  EXPECT_EQ(Time("0:00:01"), 1000);
  EXPECT_EQ(Time("1:02:03.04"), 3723040);
}

TEST(LrcTime, PartsReadLikeAtoi) {
  EXPECT_EQ(Time(" 1: 2"), 62000);
  EXPECT_EQ(Time("+1:+2"), 62000);
  EXPECT_EQ(Time("00:-03.00"), -3000);
  EXPECT_EQ(Time("-1:30"), -30000);
  EXPECT_EQ(Time("00:05.-5"), 4500);
  EXPECT_EQ(Time("ab:cd"), 0);
  EXPECT_EQ(Time(":"), 0);
  EXPECT_EQ(Time("1x:2y.3z"), 62300);
  // Seconds beyond 59 are taken as they are.
  EXPECT_EQ(Time("02:83.375"), 203375);
  // Text after the seconds without a dot is ignored by the conversion.
  EXPECT_EQ(Time("00:01 extra"), 1000);
}

TEST(LrcTime, NoColonIsNoTime) {
  int32_t ms = 77;
  EXPECT_FALSE(ParseLrcTime("Chorus", ms));
  EXPECT_FALSE(ParseLrcTime("10.00", ms));
  EXPECT_FALSE(ParseLrcTime("", ms));
  EXPECT_EQ(ms, 77);
}

TEST(LrcTime, HugeValuesClampInsteadOfOverflowing) {
  EXPECT_EQ(Time("99999999999999999999:00"), INT32_MAX);
  EXPECT_EQ(Time("999999:00"), INT32_MAX);  // 59,999,940,000 ms
  EXPECT_EQ(Time("-999999:00"), INT32_MIN);
  EXPECT_EQ(Time("2147483647:2147483647:2147483647.2147483647"), INT32_MAX);
  EXPECT_EQ(Time("-2147483648:-2147483648:-2147483648.-2147483648"), INT32_MIN);
  // Just inside the range.
  EXPECT_EQ(Time("596:31:23.647"), INT32_MAX);
  EXPECT_EQ(Time("596:31:23.646"), INT32_MAX - 1);
  EXPECT_EQ(Time("0:0:2147483.647"), INT32_MAX);
}

TEST(LrcTime, Components) {
  const int32_t t = 3723004;  // 1:02:03.004
  EXPECT_EQ(MsToHours(t), 1);
  EXPECT_EQ(MsToMinutes(t), 2);
  EXPECT_EQ(MsToSeconds(t), 3);
  EXPECT_EQ(MsToMillis(t), 4);
  EXPECT_EQ(MsToTotalSeconds(t), 3723);
  EXPECT_EQ(MsToMinutes(62050), 1);
  EXPECT_EQ(MsToSeconds(62050), 2);
  EXPECT_EQ(MsToMillis(62050), 50);
  // Minutes are within the hour.
  EXPECT_EQ(MsToMinutes(7200000 + 59 * 60000), 59);
  // Truncation toward zero for negative times.
  EXPECT_EQ(MsToTotalSeconds(-1500), -1);
  EXPECT_EQ(MsToMillis(-1500), -500);
  EXPECT_EQ(MsToSeconds(-3000), -3);
  // The ends of the range stay defined.
  EXPECT_EQ(MsToHours(INT32_MAX), 596);
  EXPECT_EQ(MsToMillis(INT32_MIN), -648);
}

}  // namespace
