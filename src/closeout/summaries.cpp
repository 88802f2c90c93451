#include "closeout/summaries.h"

#include <optional>
#include <vector>

#include "core/datetime.h"
#include "core/services.h"
#include "register/hours.h"
#include "store/sqlite.h"
#include "store/tables.h"

namespace closeout {

namespace {

/// Puts both cursors back on their first rows with fresh data, however the command ends.
struct CursorsBack {
    store::Tables& t;
    core::WindowServices& ui;
    ~CursorsBack()
    {
        try {
            t.EmployeeTable.invalidateCache();
            t.EmployeeTable.refresh();
            t.EmployeeTable.first();
            t.AttendanceTable.invalidateCache();
            t.AttendanceTable.refresh();
            t.AttendanceTable.first();
        } catch (...) {
        }
    }
};

} // namespace

void summarise(store::Database& db, store::Tables& tables, core::WindowServices& ui)
{
    store::DisplaySuspended quiet(tables.AttendanceTable);
    CursorsBack back{tables, ui};
    struct Employee {
        std::int64_t rowid;
        std::int64_t no;
        registers::HoursRules rules;
    };
    std::vector<Employee> employees;
    {
        store::Statement st(db, "SELECT rowid, No, ifnull(FlexiTime, ''), ifnull(Lunch, 0), ifnull(HrsBefore, 0), "
                                "ifnull(Play, 0) FROM Employee ORDER BY No");
        while (st.step())
            employees.push_back({st.columnInt(0), st.columnInt(1),
                                 {st.columnText(2) == "YES", st.columnReal(3), st.columnReal(4), st.columnReal(5)}});
    }
    core::ProgressScope bar(ui, core::kProgressRest, static_cast<int>(employees.size()), 1);
    store::Statement days(db, std::string("SELECT ") + registers::kDayTimesColumns
                                  + " FROM Attendance WHERE EmployeeNo = ? ORDER BY Date, rowid");
    store::Statement save(db, "UPDATE Employee SET NT = ?, OT1 = ?, OT2 = ?, HT = ?, FullHrs = ? WHERE rowid = ?");
    for (const Employee& e : employees) {
        registers::DayHours sum;
        days.bind(1, e.no);
        while (days.step()) {
            const registers::DayHours h = registers::dayHours(registers::dayTimesOf(days, 0), e.rules);
            sum.NT += h.NT;
            sum.OT1 += h.OT1;
            sum.OT2 += h.OT2;
            sum.HT += h.HT;
            sum.NHrs += h.NHrs;
        }
        days.reset();
        save.bind(1, sum.NT);
        save.bind(2, sum.OT1);
        save.bind(3, sum.OT2);
        save.bind(4, sum.HT);
        save.bind(5, sum.NHrs);
        save.bind(6, e.rowid);
        save.run();
        ui.stepProgress();
    }
}

FullHoursTotals fullHoursRule(double nt, double ot1, double ht, double fullHrs)
{
    if (!(ot1 > 0 && fullHrs != 0 && fullHrs - ht > nt))
        return {nt, ot1};
    if (nt + ot1 >= fullHrs)
        return {fullHrs, nt + ot1 - fullHrs};
    return {nt + ot1, 0.0};
}

void applyFullHours(store::Database& db, store::Tables& tables, core::WindowServices& ui)
{
    CursorsBack back{tables, ui};
    struct Row {
        std::int64_t rowid;
        double nt, ot1, ht, full;
    };
    std::vector<Row> rows;
    {
        store::Statement st(db, "SELECT rowid, ifnull(NT, 0), ifnull(OT1, 0), ifnull(HT, 0), ifnull(FullHrs, 0) "
                                "FROM Employee ORDER BY No");
        while (st.step())
            rows.push_back({st.columnInt(0), st.columnReal(1), st.columnReal(2), st.columnReal(3), st.columnReal(4)});
    }
    core::ProgressScope bar(ui, core::kProgressRest, static_cast<int>(rows.size()), 1);
    store::Statement save(db, "UPDATE Employee SET NT = ?, OT1 = ? WHERE rowid = ?");
    for (const Row& r : rows) {
        const FullHoursTotals t = fullHoursRule(r.nt, r.ot1, r.ht, r.full);
        if (t.nt != r.nt || t.ot1 != r.ot1) {
            save.bind(1, t.nt);
            save.bind(2, t.ot1);
            save.bind(3, r.rowid);
            save.run();
        }
        ui.stepProgress();
    }
}

} // namespace closeout
