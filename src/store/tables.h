#pragma once

#include <array>

#include "store/cursor.h"

namespace store {

class Database;

/// The eight table cursors, shared by the grids and the commands. The register cursor
/// follows the employee cursor; the period and register cursors carry calculated columns
/// whose hooks the program attaches.
struct Tables {
    Tables(Database& db, const core::Regional& regional);

    Cursor EmployeeTable;
    Cursor AttendanceTable;
    Cursor ClkdataTable;
    Cursor HistoryTable;
    Cursor PeriodTable;
    Cursor ShiftsTable;
    Cursor SummariesTable;
    Cursor PerhistoryTable;

    /// The cursors in the order they open and close.
    std::array<Cursor*, 8> inOrder();
    void openAll();
    void closeAll();
};

} // namespace store
