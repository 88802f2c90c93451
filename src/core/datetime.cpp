#include "core/datetime.h"

#include <QDate>

#include <chrono>
#include <cmath>

#include "core/error.h"

namespace core {

namespace {

namespace chr = std::chrono;

// Day numbers count from the epoch day, 30 December 1899, on the proleptic Gregorian calendar.
constexpr chr::sys_days kEpoch{chr::year{1899} / chr::December / 30};

constexpr std::int64_t dayNumberOf(int year, int month, int day)
{
    const chr::year_month_day ymd{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                  chr::day{static_cast<unsigned>(day)}};
    return (chr::sys_days{ymd} - kEpoch).count();
}

constexpr Ymd ymdOf(std::int64_t dayNumber)
{
    const chr::year_month_day ymd{kEpoch + chr::days{dayNumber}};
    return Ymd{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
               static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

constexpr std::int64_t kFirstDay = dayNumberOf(1, 1, 1);
constexpr std::int64_t kLastDay = dayNumberOf(9999, 12, 31);

static_assert(ymdOf(0) == Ymd{1899, 12, 30});
static_assert(dayNumberOf(1900, 1, 1) == 2);
static_assert(kFirstDay == -693593 && ymdOf(kFirstDay) == Ymd{1, 1, 1});
static_assert(kLastDay == 2958465 && ymdOf(kLastDay) == Ymd{9999, 12, 31});

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
    // chrono's month and day keep only a byte: the ranges are checked before they are made.
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    const chr::year_month_day_last last{chr::year{year}, chr::month_day_last{chr::month{static_cast<unsigned>(month)}}};
    return static_cast<unsigned>(day) <= static_cast<unsigned>(last.day());
}

DateTime encodeDate(int year, int month, int day)
{
    if (!isValidDate(year, month, day)) {
        throw ConvertError("'" + dateText(year, month, day) + "' is not a valid date");
    }
    return static_cast<DateTime>(dayNumberOf(year, month, day));
}

Ymd decodeDate(DateTime value) { return ymdOf(dayNumber(value)); }

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
    const chr::weekday wd{kEpoch + chr::days{dayNumber(value)}};
    return static_cast<int>(wd.c_encoding()) + 1; // c_encoding: 0 = Sunday
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
