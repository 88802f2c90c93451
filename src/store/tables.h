#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "store/cursor.h"

namespace core {
class WindowServices;
}

namespace store {

class Database;

/// One of the eight tables that a cursor shows, in the order of Tables::inOrder().
enum class Table : std::uint8_t { Employee, Attendance, Clkdata, History, Period, Shifts, Summaries, Perhistory };

/// A set of tables: those a command writes, those whose cursor it leaves on the first row.
class TableSet {
public:
    constexpr TableSet() = default;
    constexpr TableSet(std::initializer_list<Table> tables)
    {
        for (const Table t : tables)
            bits_ |= bit(t);
    }
    constexpr bool contains(Table t) const { return (bits_ & bit(t)) != 0; }

private:
    static constexpr unsigned bit(Table t) { return 1U << static_cast<unsigned>(t); }
    unsigned bits_ = 0;
};

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

    /// Reads the open cursors of these tables afresh, after a command changed the tables by
    /// SQL of its own: the cached rows go and the row identities are read again. Only the
    /// tables named: a history of millions of rows is not re-read for a command that left it
    /// alone. The employee cursor goes before the register cursor that follows it.
    void resync(TableSet which);
    /// Puts the open cursors of these tables on their first row (the employee cursor before
    /// the register cursor, which then shows that employee's days from the first).
    void first(TableSet which);
};

/// What a command leaves behind in the cursors, beyond the rows it wrote.
struct CommandEffects {
    TableSet writes; ///< the tables the command may change: their cursors are resynchronised
    TableSet first;  ///< the cursors put on their first row after the command
    /// False for a command that replaces the whole database through SQLite's online backup,
    /// which cannot run inside a transaction: it runs without one (the backup is one itself).
    bool transaction = true;
};

/// The common course of every command: `command` runs in one transaction (BEGIN IMMEDIATE, so
/// that a second program waits and is then told the database is busy). Afterwards, also when
/// it failed, the cursors of the tables it writes are read afresh and put where the command
/// leaves them, the progress caption and bar go back to rest (unless `keepProgress` says a
/// background task still shows its own), and the transaction is committed: what a failed
/// command wrote before its error stays written, and a program killed in the middle leaves
/// the database as it was before. `committed`, when given, is called once the commit has
/// succeeded (before a failed command's error is passed on). The command's error is passed
/// on to the caller. `ui` may be null: work of the program's own that shows no progress.
void runCommand(Database& db, Tables& tables, core::WindowServices* ui, const CommandEffects& effects,
                const std::function<void()>& command, const std::function<bool()>& keepProgress = {},
                const std::function<void()>& committed = {});

} // namespace store
