#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QDate;

namespace core {

/// Days since 30 December 1899; the whole part is the date, the fraction the time of day.
using DateTime = double;

constexpr std::int64_t kMsPerDay = 86'400'000;

struct Ymd {
    int year = 1899;
    int month = 12;
    int day = 30;
    friend bool operator==(const Ymd&, const Ymd&) = default;
};

struct Hms {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
    friend bool operator==(const Hms&, const Hms&) = default;
};

bool isValidDate(int year, int month, int day);
/// Throws ConvertError for a date that does not exist.
DateTime encodeDate(int year, int month, int day);
Ymd decodeDate(DateTime value);
/// Throws ConvertError for hour > 23, minute > 59, second > 59 or msec > 999.
DateTime encodeTime(int hour, int minute, int second = 0, int msec = 0);
/// The time of day of a value, rounded to whole milliseconds.
Hms decodeTime(DateTime value);

/// The date part (the whole part, towards zero).
DateTime dateOf(DateTime value);
/// The time-of-day part (the fraction, never negative).
DateTime timeOf(DateTime value);

/// 1 = Sunday ... 7 = Saturday.
int dayOfWeek(DateTime value);
/// "Sunday" ... "Saturday" for 1 ... 7; empty for anything else.
std::string_view weekdayName(int dow);

/// A time-of-day fraction as whole milliseconds (0 ... 86'399'999).
std::int64_t timeToMs(DateTime value);
/// A date-time value as whole milliseconds since the epoch day (date and time together).
std::int64_t toMs(DateTime value);

QDate toQDate(DateTime value);
DateTime fromQDate(const QDate& date);

/// Storage forms: "YYYY-MM-DD" and "HH:MM:SS" ("HH:MM:SS.zzz" when there are milliseconds).
std::string toIsoDate(DateTime value);
std::string toIsoTime(DateTime value);
std::optional<DateTime> parseIsoDate(std::string_view text);
std::optional<DateTime> parseIsoTime(std::string_view text);

} // namespace core
