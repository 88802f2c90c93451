#include "core/datetime.h"

#include <QDate>

#include <cmath>

#include "core/error.h"

namespace core {

namespace {

// Civil-date arithmetic on the proleptic Gregorian calendar, counting days from 1970-01-01.
// Eras of 400 years make it a handful of integer operations for any year.
constexpr std::int64_t daysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;                                   // [0, 399]
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1; // [0, 365]
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;           // [0, 146096]
    return era * 146097 + doe - 719468;
}

constexpr Ymd civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return Ymd{static_cast<int>(year), month, day};
}

constexpr std::int64_t kEpoch = daysFromCivil(1899, 12, 30);
constexpr std::int64_t kFirstDay = daysFromCivil(1, 1, 1) - kEpoch;
constexpr std::int64_t kLastDay = daysFromCivil(9999, 12, 31) - kEpoch;

static_assert(civilFromDays(kEpoch) == Ymd{1899, 12, 30});
static_assert(daysFromCivil(1900, 1, 1) - kEpoch == 2);

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

/// The day number of a value, kept inside years 1 ... 9999 (NaN counts as day 0).
std::int64_t dayNumber(DateTime value)
{
    if (std::isnan(value)) {
        return 0;
    }
    const double whole = std::trunc(value);
    if (whole < static_cast<double>(kFirstDay)) {
        return kFirstDay;
    }
    if (whole > static_cast<double>(kLastDay)) {
        return kLastDay;
    }
    return static_cast<std::int64_t>(whole);
}

void appendPadded(std::string& out, std::int64_t v, int width)
{
    std::string digits = std::to_string(v < 0 ? -v : v);
    if (v < 0) {
        out += '-';
    }
    for (int i = static_cast<int>(digits.size()); i < width; ++i) {
        out += '0';
    }
    out += digits;
}

std::string dateText(int year, int month, int day)
{
    std::string s;
    appendPadded(s, year, 4);
    s += '-';
    appendPadded(s, month, 2);
    s += '-';
    appendPadded(s, day, 2);
    return s;
}

std::string timeText(int hour, int minute, int second, int msec)
{
    std::string s;
    appendPadded(s, hour, 2);
    s += ':';
    appendPadded(s, minute, 2);
    s += ':';
    appendPadded(s, second, 2);
    if (msec != 0) {
        s += '.';
        appendPadded(s, msec, 3);
    }
    return s;
}

/// Reads `count` decimal digits at `pos`; -1 when any of them is not a digit.
int digitsAt(std::string_view text, std::size_t pos, std::size_t count)
{
    int v = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return -1;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

} // namespace

bool isValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

DateTime encodeDate(int year, int month, int day)
{
    if (!isValidDate(year, month, day)) {
        throw ConvertError("'" + dateText(year, month, day) + "' is not a valid date");
    }
    return static_cast<DateTime>(daysFromCivil(year, month, day) - kEpoch);
}

Ymd decodeDate(DateTime value) { return civilFromDays(dayNumber(value) + kEpoch); }

DateTime encodeTime(int hour, int minute, int second, int msec)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999) {
        throw ConvertError("'" + timeText(hour, minute, second, msec) + "' is not a valid time");
    }
    const std::int64_t ms = ((hour * 60 + minute) * 60 + second) * std::int64_t{1000} + msec;
    return static_cast<DateTime>(ms) / static_cast<DateTime>(kMsPerDay);
}

Hms decodeTime(DateTime value)
{
    std::int64_t ms = timeToMs(value);
    Hms t;
    t.msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<int>(ms % 60);
    ms /= 60;
    t.minute = static_cast<int>(ms % 60);
    t.hour = static_cast<int>(ms / 60);
    return t;
}

DateTime dateOf(DateTime value)
{
    return std::trunc(value) + 0.0; // + 0.0 turns -0 into 0
}

DateTime timeOf(DateTime value)
{
    if (!std::isfinite(value)) {
        return 0.0;
    }
    return std::fabs(value - std::trunc(value));
}

int dayOfWeek(DateTime value)
{
    // Day 0 was a Saturday (7), day 1 a Sunday (1).
    const std::int64_t r = (dayNumber(value) + 6) % 7;
    return static_cast<int>(r < 0 ? r + 7 : r) + 1;
}

std::string_view weekdayName(int dow)
{
    static constexpr std::string_view kNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                   "Thursday", "Friday", "Saturday"};
    if (dow < 1 || dow > 7) {
        return {};
    }
    return kNames[dow - 1];
}

std::int64_t timeToMs(DateTime value)
{
    const std::int64_t ms = std::llround(timeOf(value) * static_cast<double>(kMsPerDay));
    return ms >= kMsPerDay ? kMsPerDay - 1 : ms;
}

std::int64_t toMs(DateTime value) { return dayNumber(value) * kMsPerDay + timeToMs(value); }

QDate toQDate(DateTime value)
{
    const Ymd d = decodeDate(value);
    return QDate(d.year, d.month, d.day);
}

DateTime fromQDate(const QDate& date)
{
    if (!date.isValid()) {
        throw ConvertError("An empty or invalid date cannot be converted");
    }
    return encodeDate(date.year(), date.month(), date.day());
}

std::string toIsoDate(DateTime value)
{
    const Ymd d = decodeDate(value);
    return dateText(d.year, d.month, d.day);
}

std::string toIsoTime(DateTime value)
{
    const Hms t = decodeTime(value);
    return timeText(t.hour, t.minute, t.second, t.msec);
}

std::optional<DateTime> parseIsoDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0 || !isValidDate(year, month, day)) {
        return std::nullopt;
    }
    return encodeDate(year, month, day);
}

std::optional<DateTime> parseIsoTime(std::string_view text)
{
    if (text.size() != 5 && text.size() != 8 && text.size() != 12) {
        return std::nullopt;
    }
    if (text[2] != ':') {
        return std::nullopt;
    }
    const int hour = digitsAt(text, 0, 2);
    const int minute = digitsAt(text, 3, 2);
    int second = 0;
    int msec = 0;
    if (text.size() >= 8) {
        if (text[5] != ':') {
            return std::nullopt;
        }
        second = digitsAt(text, 6, 2);
    }
    if (text.size() == 12) {
        if (text[8] != '.') {
            return std::nullopt;
        }
        msec = digitsAt(text, 9, 3);
    }
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0) {
        return std::nullopt;
    }
    return encodeTime(hour, minute, second, msec);
}

} // namespace core
