#pragma once

namespace core {
class WindowServices;
}

namespace store {
class Database;
}

namespace closeout {

/// "Summarise": every employee's register days added up into NT, OT1, OT2, HT and FullHrs
/// (the sum of the days' NHrs), with the hours worked out by the employee's own settings.
void summarise(store::Database& db, core::WindowServices& ui);

/// "Apply FULL HOURS work before OVERTIME": where OT1 > 0, FullHrs != 0 and FullHrs - HT > NT,
/// overtime moves into normal time until NT reaches FullHrs. The totals are compared and
/// moved as whole milliseconds.
void applyFullHours(store::Database& db, core::WindowServices& ui);

/// The rule on one employee's totals; returns the new NT and OT1.
struct FullHoursTotals {
    double nt;
    double ot1;
};
FullHoursTotals fullHoursRule(double nt, double ot1, double ht, double fullHrs);

} // namespace closeout
