#pragma once

#include "core/datetime.h"

namespace core {
class WindowServices;
}

namespace store {
class Cursor;
class Record;
} // namespace store

namespace workforce {

/// The period cursor's hook: DOW is the English weekday name of the row's Date.
void PeriodTableCalcFields(store::Record& row);

/// The starting groups of the two rotations, as the "Period" page's choices hold them:
/// a two-shift group (2 or 3) and a three-shift group (4, 5 or 6).
struct Rotation {
    int twoShift = 2;
    int threeShift = 4;
};

/// "Insert Shifts": writes ShiftNo 1, Shift2 and Shift3 into every period day, starting
/// from `rotation` and rotating after every Sunday. Returns the groups of the day after the
/// period (the choices' new starting groups); an empty calendar returns `rotation` as it was.
Rotation insertShifts(store::Cursor& period, Rotation rotation);

/// The three commands that make a new calendar end with "Insert Shifts" and return its
/// groups; when they ask and the clerk declines, or refuse the dates, they change nothing and
/// return `rotation` as it was.
/// "Create Period" from the start to the end date (dates only; 2 to 51 days).
Rotation createPeriod(store::Cursor& period, core::WindowServices& ui, core::DateTime start, core::DateTime end,
                      Rotation rotation);
/// "Increment Weekly Based Periods": the next `days` days after the last period day.
Rotation incrementPeriod(store::Cursor& period, core::WindowServices& ui, int days, Rotation rotation);
/// "Next Month": the days after the last period day up to the new end date (1 to 50 days).
Rotation nextMonth(store::Cursor& period, core::WindowServices& ui, core::DateTime newEnd, Rotation rotation);

/// "Set as HOLIDAY" / "Reset HOLIDAY" on the current period day; nothing when there is none.
void setHoliday(store::Cursor& period, bool holiday);

} // namespace workforce
