#include "store/tables.h"

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

} // namespace store
