#pragma once

#include <string>

namespace core {
class Regional;
class WindowServices;
} // namespace core

namespace store {
class Cursor;
class Database;
} // namespace store

namespace closeout {

/// "Reset" of a history page, and leaving the page: the filter is cleared and switched off,
/// so that the page shows every row again. The Report marks stay as they are.
void resetHistoryFilter(store::Cursor& cursor);

/// Which history page.
enum class HistoryView {
    Detail,    ///< History, employee column EmployeeNo
    Summaries, ///< Summaries, employee column Employee
};

/// The four boxes of a page's filter strip as typed.
struct HistoryBounds {
    std::string fromEmployee, toEmployee, fromPeriod, toPeriod;
};

/// "Show": marks Report 1 on the rows inside the bounds (signed, both ends included) and 0 on
/// the others, then filters the view to "Report = 1". The boxes are converted before any
/// mark changes; with an empty table they are not read.
void showHistory(store::Database& db, store::Cursor& view, HistoryView which, const HistoryBounds& bounds);

/// "Export csv": the view as it stands (filtered or not) through the "Summary" save dialog.
void exportHistory(store::Cursor& view, HistoryView which, core::WindowServices& ui);

} // namespace closeout
