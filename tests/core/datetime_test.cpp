#include "core/datetime.h"

#include <gtest/gtest.h>

#include <QDate>

#include <cmath>
#include <string>

#include "core/error.h"

namespace core {
namespace {

// ---------------------------------------------------------------------------------------------
// Calendar dates

struct KnownDate {
    Ymd ymd;
    double serial;
    int dow;
    const char* weekday;
    const char* iso;
};

// Serial numbers and weekdays worked out independently of the code under test.
// clang-format off
const KnownDate kKnownDates[] = {
    {{1899, 12, 30}, 0, 7, "Saturday", "1899-12-30"},
    {{1899, 12, 29}, -1, 6, "Friday", "1899-12-29"},
    {{1900, 1, 1}, 2, 2, "Monday", "1900-01-01"},
    {{1970, 1, 1}, 25569, 5, "Thursday", "1970-01-01"},
    {{2000, 3, 1}, 36586, 4, "Wednesday", "2000-03-01"},
    {{2024, 2, 29}, 45351, 5, "Thursday", "2024-02-29"},
    {{2026, 12, 10}, 46366, 5, "Thursday", "2026-12-10"},
    {{2100, 3, 1}, 73110, 2, "Monday", "2100-03-01"},
    {{1752, 9, 14}, -53797, 5, "Thursday", "1752-09-14"},
    {{1, 1, 1}, -693593, 2, "Monday", "0001-01-01"},
    {{9999, 12, 31}, 2958465, 6, "Friday", "9999-12-31"},
};
// clang-format on

class KnownDateTest : public testing::TestWithParam<KnownDate> {};

TEST_P(KnownDateTest, EncodesAndDecodes)
{
    const KnownDate& k = GetParam();
    EXPECT_EQ(encodeDate(k.ymd.year, k.ymd.month, k.ymd.day), k.serial);
    EXPECT_EQ(decodeDate(k.serial), k.ymd);
    EXPECT_EQ(toIsoDate(k.serial), k.iso);
    EXPECT_EQ(parseIsoDate(k.iso), std::optional<DateTime>(k.serial));
}

TEST_P(KnownDateTest, WeekdayIgnoresTheTimeOfDay)
{
    const KnownDate& k = GetParam();
    EXPECT_EQ(dayOfWeek(k.serial), k.dow);
    // A time of day must not move the weekday, also for negative values, whose date part is
    // the whole part towards zero.
    const double withTime = k.serial < 0 ? k.serial - 0.75 : k.serial + 0.75;
    EXPECT_EQ(dayOfWeek(withTime), k.dow);
    EXPECT_EQ(decodeDate(withTime), k.ymd);
    EXPECT_EQ(weekdayName(k.dow), k.weekday);
}

INSTANTIATE_TEST_SUITE_P(Calendar, KnownDateTest, testing::ValuesIn(kKnownDates));

TEST(Calendar, EveryDayAgreesWithQDate)
{
    const qint64 epochJulian = QDate(1899, 12, 30).toJulianDay();
    const auto first = static_cast<qint64>(encodeDate(1, 1, 1));
    const auto last = static_cast<qint64>(encodeDate(9999, 12, 31));
    int previousDow = 1; // 1 January 0001 was a Monday, so the day before counts as Sunday
    for (qint64 n = first; n <= last; ++n) {
        const QDate q = QDate::fromJulianDay(epochJulian + n);
        const Ymd d = decodeDate(static_cast<double>(n));
        ASSERT_EQ(d, (Ymd{q.year(), q.month(), q.day()})) << "day " << n;
        ASSERT_EQ(encodeDate(d.year, d.month, d.day), static_cast<double>(n)) << "day " << n;
        const int dow = dayOfWeek(static_cast<double>(n));
        ASSERT_EQ(dow, previousDow % 7 + 1) << "day " << n;
        previousDow = dow;
    }
}

TEST(Calendar, WeekdayNamesAreEnglishAndBounded)
{
    EXPECT_EQ(weekdayName(1), "Sunday");
    EXPECT_EQ(weekdayName(7), "Saturday");
    EXPECT_EQ(weekdayName(0), "");
    EXPECT_EQ(weekdayName(8), "");
    EXPECT_EQ(weekdayName(-1), "");
}

struct BadDate {
    int year, month, day;
    const char* shown;
};

class BadDateTest : public testing::TestWithParam<BadDate> {};

TEST_P(BadDateTest, IsRejectedWithItsText)
{
    const BadDate& b = GetParam();
    EXPECT_FALSE(isValidDate(b.year, b.month, b.day));
    try {
        encodeDate(b.year, b.month, b.day);
        FAIL() << "no error for " << b.shown;
    } catch (const ConvertError& e) {
        EXPECT_NE(std::string(e.what()).find(b.shown), std::string::npos) << e.what();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Calendar, BadDateTest,
                         testing::Values(BadDate{2023, 2, 30, "2023-02-30"},
                                         BadDate{2023, 2, 29, "2023-02-29"},
                                         BadDate{2100, 2, 29, "2100-02-29"},
                                         BadDate{1900, 2, 29, "1900-02-29"},
                                         BadDate{2024, 4, 31, "2024-04-31"},
                                         BadDate{2024, 13, 1, "2024-13-01"},
                                         BadDate{2024, 0, 10, "2024-00-10"},
                                         BadDate{2024, 1, 0, "2024-01-00"},
                                         BadDate{2024, 1, 32, "2024-01-32"},
                                         BadDate{0, 1, 1, "0000-01-01"},
                                         BadDate{10000, 1, 1, "10000-01-01"}));
// clang-format on

// Parts out of range that, cut to a byte (month, day) or to 16 bits (year), would make a real date.
// clang-format off
INSTANTIATE_TEST_SUITE_P(OutOfRangeParts, BadDateTest,
                         testing::Values(BadDate{2024, 257, 1, "2024-257-01"},
                                         BadDate{2024, 1, 257, "2024-01-257"},
                                         BadDate{2024, 2, 285, "2024-02-285"},
                                         BadDate{2024, -255, 1, "2024--255-01"},
                                         BadDate{2024, 1, -255, "2024-01--255"},
                                         BadDate{65537, 1, 1, "65537-01-01"},
                                         BadDate{-65535, 1, 1, "-65535-01-01"}));
// clang-format on

TEST(Calendar, LeapDaysThatExist)
{
    EXPECT_TRUE(isValidDate(2024, 2, 29));
    EXPECT_TRUE(isValidDate(2000, 2, 29));
    EXPECT_TRUE(isValidDate(1600, 2, 29));
    EXPECT_EQ(encodeDate(2024, 3, 1) - encodeDate(2024, 2, 28), 2);
    EXPECT_EQ(encodeDate(2100, 3, 1) - encodeDate(2100, 2, 28), 1);
}

TEST(Calendar, ValuesOutsideTheYearsHeldStayInRange)
{
    EXPECT_EQ(decodeDate(1e12), (Ymd{9999, 12, 31}));
    EXPECT_EQ(decodeDate(-1e12), (Ymd{1, 1, 1}));
    EXPECT_EQ(decodeDate(std::nan("")), (Ymd{1899, 12, 30}));
}

// A value before year 1 or after year 9999 reads as the first or the last day held.
struct ClampedDay {
    double value;
    const char* iso;
    int dow;
};

class ClampedDayTest : public testing::TestWithParam<ClampedDay> {};

TEST_P(ClampedDayTest, DateAndWeekdayOfTheDayHeld)
{
    const ClampedDay& c = GetParam();
    EXPECT_EQ(toIsoDate(c.value), c.iso);
    EXPECT_EQ(dayOfWeek(c.value), c.dow);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Calendar, ClampedDayTest,
                         testing::Values(ClampedDay{1e12, "9999-12-31", 6},
                                         ClampedDay{HUGE_VAL, "9999-12-31", 6},
                                         ClampedDay{2958466, "9999-12-31", 6},
                                         ClampedDay{-1e12, "0001-01-01", 2},
                                         ClampedDay{-HUGE_VAL, "0001-01-01", 2},
                                         ClampedDay{-693594.5, "0001-01-01", 2},
                                         ClampedDay{std::nan(""), "1899-12-30", 7}));
// clang-format on

TEST(Calendar, QDateConversion)
{
    EXPECT_EQ(toQDate(46366.5), QDate(2026, 12, 10));
    EXPECT_EQ(toQDate(-1.25), QDate(1899, 12, 29));
    EXPECT_EQ(fromQDate(QDate(2026, 12, 10)), 46366);
    EXPECT_EQ(fromQDate(QDate(1, 1, 1)), -693593);
    EXPECT_THROW(fromQDate(QDate()), ConvertError);
    EXPECT_THROW(fromQDate(QDate(10000, 1, 1)), ConvertError);
    EXPECT_THROW(fromQDate(QDate(-5, 1, 1)), ConvertError);
}

// ---------------------------------------------------------------------------------------------
// Date and time parts

TEST(DateTimeParts, NegativeValuesSplitTowardsZero)
{
    // -1.25 is 29 December 1899, 06:00: the date towards zero, the fraction without its sign.
    EXPECT_EQ(dateOf(-1.25), -1.0);
    EXPECT_EQ(timeOf(-1.25), 0.25);
    EXPECT_EQ(decodeTime(-1.25), (Hms{6, 0, 0, 0}));
    EXPECT_EQ(toMs(-1.25), -kMsPerDay + 6 * 3'600'000);
    EXPECT_EQ(dayOfWeek(-1.25), 6);

    EXPECT_EQ(dateOf(-0.5), 0.0);
    EXPECT_FALSE(std::signbit(dateOf(-0.5)));
    EXPECT_EQ(timeOf(-0.5), 0.5);
    EXPECT_EQ(dateOf(46366.999), 46366.0);
}

TEST(DateTimeParts, ToMsJoinsDateAndTime)
{
    EXPECT_EQ(toMs(0), 0);
    EXPECT_EQ(toMs(1), kMsPerDay);
    EXPECT_EQ(toMs(46366 + encodeTime(13, 5, 9, 250)), 46366 * kMsPerDay + ((13 * 60 + 5) * 60 + 9) * 1000 + 250);
    EXPECT_EQ(toMs(2958465.5), 2958465 * kMsPerDay + kMsPerDay / 2);
}

struct TimeCase {
    Hms hms;
    const char* iso;
};

class TimeOfDayTest : public testing::TestWithParam<TimeCase> {};

TEST_P(TimeOfDayTest, RoundTripsOnAnyDate)
{
    const TimeCase& c = GetParam();
    const DateTime t = encodeTime(c.hms.hour, c.hms.minute, c.hms.second, c.hms.msec);
    EXPECT_GE(t, 0.0);
    EXPECT_LT(t, 1.0);
    for (const double date : {0.0, 46366.0, 2958465.0}) {
        SCOPED_TRACE(date);
        EXPECT_EQ(decodeTime(date + t), c.hms);
        EXPECT_EQ(toIsoTime(date + t), c.iso);
        EXPECT_EQ(decodeDate(date + t), decodeDate(date));
    }
    const std::optional<DateTime> parsed = parseIsoTime(c.iso);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(decodeTime(*parsed), c.hms);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(DateTimeParts, TimeOfDayTest,
                         testing::Values(TimeCase{{0, 0, 0, 0}, "00:00:00"},
                                         TimeCase{{0, 0, 0, 1}, "00:00:00.001"},
                                         TimeCase{{8, 0, 0, 0}, "08:00:00"},
                                         TimeCase{{12, 0, 0, 0}, "12:00:00"},
                                         TimeCase{{13, 5, 9, 0}, "13:05:09"},
                                         TimeCase{{13, 5, 9, 70}, "13:05:09.070"},
                                         TimeCase{{23, 59, 59, 0}, "23:59:59"},
                                         TimeCase{{23, 59, 59, 999}, "23:59:59.999"}));
// clang-format on

TEST(DateTimeParts, EverySecondOfTheDayRoundTripsOnALateDate)
{
    // Far from day 0 a double has fewer bits for the fraction; whole milliseconds must survive.
    for (int s = 0; s < 86400; ++s) {
        const Hms hms{s / 3600, s / 60 % 60, s % 60, (s * 7) % 1000};
        const DateTime v = 2958465 + encodeTime(hms.hour, hms.minute, hms.second, hms.msec);
        ASSERT_EQ(decodeTime(v), hms) << "second " << s;
    }
}

TEST(DateTimeParts, FractionsRoundToTheNearestMillisecond)
{
    EXPECT_EQ(decodeTime(1.0 / 3), (Hms{8, 0, 0, 0}));
    EXPECT_EQ(decodeTime(2.0 / 3), (Hms{16, 0, 0, 0}));
    EXPECT_EQ(decodeTime(0.1), (Hms{2, 24, 0, 0}));
    EXPECT_EQ(decodeTime(8.0 / 24 + 0.4 / kMsPerDay), (Hms{8, 0, 0, 0}));
    EXPECT_EQ(decodeTime(8.0 / 24 + 0.6 / kMsPerDay), (Hms{8, 0, 0, 1}));
    EXPECT_EQ(decodeTime(8.0 / 24 - 0.4 / kMsPerDay), (Hms{8, 0, 0, 0}));
    EXPECT_EQ(timeToMs(1.0 / 24), 3'600'000);
}

TEST(DateTimeParts, JustBeforeMidnightStaysOnTheSameDay)
{
    const double almost = 46366 + 86'399'999.6 / kMsPerDay; // 23:59:59.9996
    EXPECT_EQ(decodeTime(almost), (Hms{23, 59, 59, 999}));
    EXPECT_EQ(timeToMs(almost), kMsPerDay - 1);
    EXPECT_EQ(decodeDate(almost), (Ymd{2026, 12, 10}));
    EXPECT_EQ(toMs(almost), 46367 * kMsPerDay - 1);
    EXPECT_EQ(toIsoTime(almost), "23:59:59.999");
    EXPECT_EQ(timeToMs(std::nextafter(1.0, 0.0)), kMsPerDay - 1);
}

struct BadTime {
    int hour, minute, second, msec;
};

class BadTimeTest : public testing::TestWithParam<BadTime> {};

TEST_P(BadTimeTest, IsRejected)
{
    const BadTime& b = GetParam();
    EXPECT_THROW(encodeTime(b.hour, b.minute, b.second, b.msec), ConvertError);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(DateTimeParts, BadTimeTest,
                         testing::Values(BadTime{24, 0, 0, 0}, BadTime{-1, 0, 0, 0},
                                         BadTime{0, 60, 0, 0}, BadTime{0, -1, 0, 0},
                                         BadTime{0, 0, 60, 0}, BadTime{0, 0, -1, 0},
                                         BadTime{0, 0, 0, 1000}, BadTime{0, 0, 0, -1}));
// clang-format on

TEST(DateTimeParts, BadTimeMessageNamesTheTime)
{
    try {
        encodeTime(25, 0, 0);
        FAIL() << "25:00:00 accepted";
    } catch (const ConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("25:00:00"), std::string::npos) << e.what();
    }
}

// ---------------------------------------------------------------------------------------------
// Storage forms

struct IsoText {
    const char* text;
    bool valid;
};

class IsoDateTest : public testing::TestWithParam<IsoText> {};

TEST_P(IsoDateTest, AcceptsOnlyTheStorageForm)
{
    const IsoText& c = GetParam();
    const std::optional<DateTime> v = parseIsoDate(c.text);
    ASSERT_EQ(v.has_value(), c.valid);
    if (v) {
        EXPECT_EQ(toIsoDate(*v), c.text);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(StorageForms, IsoDateTest,
                         testing::Values(IsoText{"2026-12-10", true}, IsoText{"2024-02-29", true},
                                         IsoText{"0001-01-01", true}, IsoText{"9999-12-31", true},
                                         IsoText{"2100-02-29", false}, IsoText{"2023-02-30", false},
                                         IsoText{"0000-01-01", false}, IsoText{"2026-13-01", false},
                                         IsoText{"2026-00-10", false}, IsoText{"2026-12-00", false},
                                         IsoText{"2026-12-1", false}, IsoText{"26-12-10", false},
                                         IsoText{"2026/12/10", false}, IsoText{" 2026-12-10", false},
                                         IsoText{"2026-12-10 ", false}, IsoText{"2026-1a-10", false},
                                         IsoText{"+026-12-10", false}, IsoText{"2026-12-10T00", false},
                                         IsoText{"", false}));
// clang-format on

class IsoTimeTest : public testing::TestWithParam<IsoText> {};

TEST_P(IsoTimeTest, AcceptsOnlyTheStorageForms)
{
    EXPECT_EQ(parseIsoTime(GetParam().text).has_value(), GetParam().valid);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(StorageForms, IsoTimeTest,
                         testing::Values(IsoText{"00:00", true}, IsoText{"23:59", true},
                                         IsoText{"13:05:09", true}, IsoText{"13:05:09.070", true},
                                         IsoText{"23:59:59.999", true}, IsoText{"24:00", false},
                                         IsoText{"24:00:00", false}, IsoText{"12:60", false},
                                         IsoText{"12:00:60", false}, IsoText{"1:05", false},
                                         IsoText{"13:05:9", false}, IsoText{"13:05:09.07", false},
                                         IsoText{"13:05:09.0700", false}, IsoText{"13.05.09", false},
                                         IsoText{"13:05:09,070", false}, IsoText{"13:05 ", false},
                                         IsoText{"-1:05", false}, IsoText{"ab:cd", false},
                                         IsoText{"", false}));
// clang-format on

TEST(StorageForms, ParsedTimesHaveTheirValue)
{
    EXPECT_EQ(parseIsoTime("13:05"), std::optional<DateTime>(encodeTime(13, 5)));
    EXPECT_EQ(parseIsoTime("13:05:09.070"), std::optional<DateTime>(encodeTime(13, 5, 9, 70)));
    EXPECT_EQ(toIsoTime(46366.5), "12:00:00");
    EXPECT_EQ(toIsoDate(46366.99), "2026-12-10");
}

} // namespace
} // namespace core
