#include "store/tables.h"

#include <optional>

#include <exception>

#include "core/services.h"
#include "store/sqlite.h"

namespace store {

Tables::Tables(Database& db, const core::Regional& regional)
    : EmployeeTable(db, employeeTable(), regional, "EmployeeTable"),
      AttendanceTable(db, attendanceTable(), regional, "AttendanceTable"),
      ClkdataTable(db, clkDataTable(), regional, "ClkdataTable"),
      HistoryTable(db, historyTable(), regional, "HistoryTable"),
      PeriodTable(db, periodTable(), regional, "PeriodTable"),
      ShiftsTable(db, shiftsTable(), regional, "ShiftsTable"),
      SummariesTable(db, summariesTable(), regional, "SummariesTable"),
      PerhistoryTable(db, perHistoryTable(), regional, "PerhistoryTable")
{
    AttendanceTable.linkTo(EmployeeTable, "No", "EmployeeNo");
    PeriodTable.addCalcField("DOW", ColType::Text);
    for (const char* name : {"NHrs", "HrsIN", "NT", "OT1", "OT2", "HT"})
        AttendanceTable.addCalcField(name, ColType::Real);
}

std::array<Cursor*, 8> Tables::inOrder()
{
    return {&EmployeeTable, &AttendanceTable, &ClkdataTable,   &HistoryTable,
            &PeriodTable,   &ShiftsTable,     &SummariesTable, &PerhistoryTable};
}

void Tables::openAll()
{
    for (Cursor* c : inOrder())
        c->open();
}

void Tables::closeAll()
{
    for (Cursor* c : inOrder())
        c->close();
}

namespace {

/// Runs `f` on the cursors of the tables in `which`, in the order of inOrder(), leaving out
/// the closed ones and those in edit: a row that a failed command left in edit (a number used
/// twice, say) stays as it is, for the clerk to correct or cancel; re-reading would post it.
template <typename F>
void forEachInBrowse(Tables& tables, TableSet which, F&& f)
{
    const std::array<Cursor*, 8> all = tables.inOrder();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (which.contains(static_cast<Table>(i)) && all[i]->state() == Cursor::State::Browse)
            f(*all[i]);
}

} // namespace

void Tables::resync(TableSet which)
{
    forEachInBrowse(*this, which, [](Cursor& c) {
        c.invalidateCache();
        c.refresh();
    });
}

void Tables::first(TableSet which)
{
    forEachInBrowse(*this, which, [](Cursor& c) { c.first(); });
}

void runCommand(Database& db, Tables& tables, core::WindowServices* ui, const CommandEffects& effects,
                const std::function<void()>& command, const std::function<bool()>& keepProgress,
                const std::function<void()>& committed)
{
    std::optional<Transaction> tx;
    if (effects.transaction)
        tx.emplace(db);
    std::exception_ptr failure;
    try {
        command();
    } catch (...) {
        failure = std::current_exception();
    }
    // The clean-up runs whatever the command did. When the command failed, its error is the
    // one to report: an error of the clean-up itself then goes unreported (the grids are read
    // again at their next refresh, and the commit below says whether the data is safe).
    try {
        tables.resync(effects.writes);
        tables.first(effects.first);
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    if (ui != nullptr && !(keepProgress && keepProgress())) {
        ui->setProgressPosition(0);
        ui->setProgressCaption(core::kProgressRest);
    }
    try {
        if (tx)
            tx->commit();
    } catch (...) {
        if (!failure)
            throw;
        // The command's own error is the one to report; the transaction rolls back with it.
        std::rethrow_exception(failure);
    }
    if (committed)
        committed();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace store
