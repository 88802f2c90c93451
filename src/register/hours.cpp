#include "register/hours.h"

#include <algorithm>
#include <cmath>

#include "core/datetime.h"
#include "core/value.h"
#include "store/record.h"
#include "store/sqlite.h"

namespace registers {

namespace {

constexpr std::int64_t kDay = core::kMsPerDay;
constexpr double kMsPerHour = 3'600'000.0;

std::int64_t msOf(double amount, double msPerUnit) { return std::llround(amount * msPerUnit); }

/// The hours worked: the lunch comes off once the threshold is reached, never below zero.
std::int64_t afterLunch(std::int64_t clocked, std::int64_t threshold, std::int64_t lunch)
{
    return clocked >= threshold ? std::max<std::int64_t>(0, clocked - lunch) : clocked;
}

} // namespace

double msToHours(std::int64_t ms) { return static_cast<double>(ms) / kMsPerHour; }

std::optional<std::int64_t> hoursToMs(double hours)
{
    // A billion hours is far beyond any total and still far inside 64-bit milliseconds.
    constexpr double kLimit = 1e9;
    if (!(std::fabs(hours) < kLimit))
        return std::nullopt;
    return std::llround(hours * kMsPerHour);
}

DayHours toHours(const DayMs& ms)
{
    return {msToHours(ms.NHrs), msToHours(ms.HrsIN), msToHours(ms.NT),
            msToHours(ms.OT1),  msToHours(ms.OT2),   msToHours(ms.HT)};
}

DayHours dayHours(const DayTimes& day, const HoursRules& rules) { return toHours(dayMs(day, rules)); }

DayMs dayMs(const DayTimes& day, const HoursRules& rules)
{
    const std::int64_t lunch = std::max<std::int64_t>(0, msOf(rules.lunchMinutes, 60'000.0));
    const std::int64_t tolerance = msOf(rules.playMinutes, 60'000.0);
    const std::int64_t threshold = msOf(rules.hrsBefore, kMsPerHour);

    const std::int64_t s = day.slotStart;
    const bool slotCrossesMidnight = day.slotEnd < s;
    const std::int64_t e = slotCrossesMidnight ? day.slotEnd + kDay : day.slotEnd;
    const std::int64_t normal = e - s;

    DayMs h;
    h.NHrs = normal;

    if (rules.flexiTime) {
        std::int64_t clocked = 0;
        for (std::size_t n = 0; n < 5; ++n) {
            if (!day.in[n] || !day.out[n])
                continue;
            const std::int64_t a = *day.in[n];
            const std::int64_t b = *day.out[n];
            clocked += b < a ? (kDay - a) + b : b - a;
        }
        h.HrsIN = clocked;
        const std::int64_t w = afterLunch(clocked, threshold, lunch);
        if (day.holiday) {
            h.OT2 = w;
            h.HT = w < normal ? normal - w : 0;
        } else if (day.sunday) {
            h.OT2 = w;
            h.NT = w < normal ? normal - w : 0;
        } else if (w <= normal) {
            h.NT = w;
        } else if (w - normal <= tolerance) {
            h.NT = normal;
        } else {
            h.NT = normal;
            h.OT1 = w - normal;
        }
        return h;
    }

    // On a slot across midnight every time of the pairs is put on the one night: a time before
    // the slot's start by its time of day is the next morning when it lies no later than the
    // slot's end plus WorkLate, otherwise it is the same evening (an early start). The morning
    // never reaches past halfway to the next start, so an evening stays an evening.
    std::int64_t morningEnd = -1;
    if (slotCrossesMidnight) {
        const double lateHours = rules.workLateHours > 0 ? std::min(rules.workLateHours, 24.0) : 0.0;
        const std::int64_t late = msOf(lateHours, kMsPerHour);
        morningEnd = std::min(day.slotEnd + late, day.slotEnd + (s - day.slotEnd) / 2);
    }
    const auto onTheNight = [&](std::int64_t t) { return t < s && t <= morningEnd ? t + kDay : t; };

    std::int64_t inside = 0;
    std::int64_t outside = 0;
    for (std::size_t n = 0; n < 5; ++n) {
        if (!day.in[n] || !day.out[n])
            continue;
        std::int64_t a = *day.in[n];
        std::int64_t b = *day.out[n];
        if (slotCrossesMidnight) {
            a = onTheNight(a);
            b = onTheNight(b);
        }
        if (b < a) {
            // An IN after the end of a slot that lies within one day is an early start on the
            // evening before (the register takes such an IN for this day); any other OUT before
            // its IN lies on the following morning.
            if (!slotCrossesMidnight && a > day.slotEnd)
                a -= kDay;
            else
                b += kDay;
        }
        if (a < s && b > e) {
            outside += (s - a) + (b - e);
            inside += e - s;
        } else if (a < s && b < s) {
            outside += b - a;
        } else if (a < s) { // s <= b <= e
            outside += s - a;
            inside += b - s;
        } else if (b <= e) { // a >= s
            inside += b - a;
        } else if (a > e) {
            outside += b - a;
        } else { // s <= a <= e, b > e
            outside += b - e;
            inside += e - a;
        }
    }
    const std::int64_t clocked = inside + outside;
    h.HrsIN = clocked;
    if (day.holiday) {
        const std::int64_t w = afterLunch(clocked, threshold, lunch);
        h.OT2 = w;
        h.HT = w < normal ? normal - w : 0;
    } else {
        // The lunch comes off the time inside the slot as far as that goes and the rest of it
        // off the time outside, before the tolerance: no value of a day goes below zero.
        std::int64_t normalTime = inside;
        std::int64_t overtime = outside;
        if (clocked >= threshold) {
            const std::int64_t fromInside = std::min(lunch, inside);
            normalTime -= fromInside;
            overtime = std::max<std::int64_t>(0, overtime - (lunch - fromInside));
        }
        h.NT = normalTime;
        h.OT1 = overtime > tolerance ? overtime : 0;
    }
    return h;
}

DayTimes dayTimesOf(const store::Record& r)
{
    DayTimes d;
    d.slotStart = core::timeToMs(r.asDateTime("INTime"));
    d.slotEnd = core::timeToMs(r.asDateTime("OUTTime"));
    static const char* const ins[] = {"In1", "In2", "In3", "In4", "In5"};
    static const char* const outs[] = {"Out1", "Out2", "Out3", "Out4", "Out5"};
    for (std::size_t n = 0; n < 5; ++n) {
        if (!r.isNull(ins[n]))
            d.in[n] = core::timeToMs(r.asDateTime(ins[n]));
        if (!r.isNull(outs[n]))
            d.out[n] = core::timeToMs(r.asDateTime(outs[n]));
    }
    d.holiday = r.asBoolean("Holiday");
    d.sunday = r.asText("DOW") == "Sunday";
    return d;
}

DayTimes dayTimesOf(store::Statement& st, int first)
{
    auto time = [&](int col) -> std::optional<std::int64_t> {
        if (st.isNull(col))
            return std::nullopt;
        return core::timeToMs(core::parseIsoTime(st.columnText(col)).value_or(0.0));
    };
    DayTimes d;
    d.slotStart = time(first).value_or(0);
    d.slotEnd = time(first + 1).value_or(0);
    for (int n = 0; n < 5; ++n) {
        d.in[static_cast<std::size_t>(n)] = time(first + 2 + 2 * n);
        d.out[static_cast<std::size_t>(n)] = time(first + 3 + 2 * n);
    }
    d.holiday = st.columnInt(first + 12) != 0;
    d.sunday = st.columnText(first + 13) == "Sunday";
    return d;
}

HoursRules rulesOf(const store::Record& e)
{
    HoursRules r;
    r.flexiTime = e.asText("FlexiTime") == "YES";
    r.lunchMinutes = e.asReal("Lunch");
    r.hrsBefore = e.asReal("HrsBefore");
    r.playMinutes = e.asReal("Play");
    r.workLateHours = e.asReal("WorkLate");
    return r;
}

HoursRules rulesOf(store::Statement& st, int first)
{
    HoursRules r;
    r.flexiTime = st.columnText(first) == "YES";
    r.lunchMinutes = st.columnReal(first + 1);
    r.hrsBefore = st.columnReal(first + 2);
    r.playMinutes = st.columnReal(first + 3);
    r.workLateHours = st.columnReal(first + 4);
    return r;
}

void AttendanceTableCalcFields(store::Record& row, const HoursRules& rules)
{
    const DayHours h = dayHours(dayTimesOf(row), rules);
    row.set("NHrs", core::Value::real(h.NHrs));
    row.set("HrsIN", core::Value::real(h.HrsIN));
    row.set("NT", core::Value::real(h.NT));
    row.set("OT1", core::Value::real(h.OT1));
    row.set("OT2", core::Value::real(h.OT2));
    row.set("HT", core::Value::real(h.HT));
}

} // namespace registers
