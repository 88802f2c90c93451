#include "workforce/calendar.h"

#include "core/services.h"
#include "core/value.h"
#include "store/cursor.h"
#include "store/record.h"

namespace workforce {

namespace {

constexpr const char* kEmptyCalendar = "Current period table is empty, use CREATE PERIOD instead.";

int nextTwoShift(int a) { return a == 2 ? 3 : 2; }

int nextThreeShift(int b) { return b == 4 ? 5 : (b == 5 ? 6 : 4); }

bool isSunday(core::DateTime date) { return core::dayOfWeek(date) == 1; }

void deleteAllDays(store::Cursor& period)
{
    period.first();
    while (!period.eof())
        period.remove();
}

void appendDays(store::Cursor& period, core::DateTime first, core::DateTime last)
{
    for (core::DateTime d = first; d <= last; d += 1) {
        period.append();
        period.setValue("Date", core::Value::date(d));
        period.post();
    }
}

} // namespace

void PeriodTableCalcFields(store::Record& row)
{
    const core::Value& date = row.value("Date");
    if (date.isEmpty())
        return;
    row.set("DOW", core::Value::text(std::string(core::weekdayName(core::dayOfWeek(row.asDateTime("Date"))))));
}

Rotation insertShifts(store::Cursor& period, Rotation rotation)
{
    int a = rotation.twoShift;
    int b = rotation.threeShift;
    store::DisplaySuspended quiet(period);
    for (period.first(); !period.eof(); period.next()) {
        period.edit();
        period.setInteger("ShiftNo", 1);
        period.setInteger("Shift2", a);
        period.setInteger("Shift3", b);
        period.post();
        if (isSunday(period.asDateTime("Date"))) {
            a = nextTwoShift(a);
            b = nextThreeShift(b);
        }
    }
    if (period.recordCount() == 0)
        return rotation;
    period.last();
    a = static_cast<int>(period.asInteger("Shift2"));
    b = static_cast<int>(period.asInteger("Shift3"));
    if (isSunday(period.asDateTime("Date"))) {
        a = nextTwoShift(a);
        b = nextThreeShift(b);
    }
    return {a, b};
}

Rotation createPeriod(store::Cursor& period, core::WindowServices& ui, core::DateTime start, core::DateTime end,
                      Rotation rotation)
{
    if (!ui.question("Create a new period?"))
        return rotation;
    const core::DateTime s = core::dateOf(start);
    const core::DateTime e = core::dateOf(end);
    // The dates are tested before anything is deleted: a refused date keeps the calendar.
    if (s >= e) {
        ui.message("Incorrect Start date/End date");
        return rotation;
    }
    if (e - s > 50) {
        ui.message("Too many days selected for Pay Period!");
        return rotation;
    }
    store::DisplaySuspended quiet(period);
    deleteAllDays(period);
    appendDays(period, s, e);
    return insertShifts(period, rotation);
}

Rotation incrementPeriod(store::Cursor& period, core::WindowServices& ui, int days, Rotation rotation)
{
    if (!ui.question("Increment Period?"))
        return rotation;
    if (period.recordCount() == 0) {
        ui.message(kEmptyCalendar);
        return rotation;
    }
    period.last();
    const core::DateTime last = core::dateOf(period.asDateTime("Date"));
    store::DisplaySuspended quiet(period);
    deleteAllDays(period);
    appendDays(period, last + 1, last + days);
    return insertShifts(period, rotation);
}

Rotation nextMonth(store::Cursor& period, core::WindowServices& ui, core::DateTime newEnd, Rotation rotation)
{
    if (!ui.question("Rollover to the next month? - new month end date to be completed first!"))
        return rotation;
    if (period.recordCount() == 0) {
        ui.message(kEmptyCalendar);
        return rotation;
    }
    period.last();
    const core::DateTime last = core::dateOf(period.asDateTime("Date"));
    const core::DateTime e = core::dateOf(newEnd);
    if (e - last > 50) {
        ui.message("Too many days in Pay Period");
        return rotation;
    }
    if (last >= e) {
        ui.message("Period End date incorrect!");
        return rotation;
    }
    store::DisplaySuspended quiet(period);
    deleteAllDays(period);
    appendDays(period, last + 1, e);
    return insertShifts(period, rotation);
}

void setHoliday(store::Cursor& period, bool holiday)
{
    if (period.recordCount() == 0)
        return;
    period.edit();
    if (holiday)
        period.setText("Holiday", "Holiday");
    else
        period.clear("Holiday");
    period.post();
}

} // namespace workforce
