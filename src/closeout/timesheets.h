#pragma once

// Printed records of the current pay period, as PDF files: a timesheet per employee to be
// signed and filed, and one report of the totals that go to payroll.

#include <filesystem>
#include <optional>
#include <string>

#include "core/datetime.h"

namespace core {
class Regional;
class WindowServices;
} // namespace core

namespace store {
class Database;
} // namespace store

namespace closeout {

/// What a print wrote.
struct Printed {
    std::filesystem::path file;
    int employees = 0;
    int pages = 0;
};

/// The period as the register holds it and the moment of printing.
struct PrintContext {
    std::string periodNumber; ///< the Setup page's pay period number
    core::DateTime printedAt = 0;
};

/// "Print Timesheets": a timesheet per employee on A4 landscape pages, through the save
/// dialog "Timesheets" (pdf). Each lists the employee's register days with the five pairs and
/// the day's hours, the employee's totals NT, OT1, OT2 and HT as they stand (what the payroll
/// file gets), with a note where the full-hours rule moved hours or where the totals are not
/// the days added up (then also a Result line), lines for the employee's and
/// a supervisor's signature, and on every page the page number and the print date. A time
/// typed into the register by hand carries an asterisk. Ends with the Result line
/// "FILE: N timesheets on P pages written"; empty when the dialog was cancelled.
std::optional<Printed> printTimesheets(store::Database& db, core::WindowServices& ui, const core::Regional& regional,
                                       const PrintContext& context);

/// "Print Period Report": one line per employee with the totals that go to payroll (as the
/// Attendance page's totals stand) and the grand totals, on A4 portrait pages, through the
/// save dialog "PeriodReport" (pdf). Ends with "FILE: N employees on P pages written".
std::optional<Printed> printPeriodReport(store::Database& db, core::WindowServices& ui, const core::Regional& regional,
                                         const PrintContext& context);

} // namespace closeout
