#include "closeout/summaries.h"

#include <optional>
#include <vector>

#include "core/datetime.h"
#include "core/services.h"
#include "register/hours.h"
#include "store/sqlite.h"

namespace closeout {

void summarise(store::Database& db, core::WindowServices& ui)
{
    struct Employee {
        std::int64_t rowid;
        std::int64_t no;
        registers::HoursRules rules;
    };
    std::vector<Employee> employees;
    {
        store::Statement st(db, std::string("SELECT rowid, No, ") + registers::kRulesColumns
                                    + " FROM Employee ORDER BY No");
        while (st.step())
            employees.push_back({st.columnInt(0), st.columnInt(1), registers::rulesOf(st, 2)});
    }
    core::startProgress(ui, core::kProgressRest, static_cast<int>(employees.size()), 1);
    store::Statement days(db, std::string("SELECT ") + registers::kDayTimesColumns
                                  + " FROM Attendance WHERE EmployeeNo = ? ORDER BY Date, rowid");
    store::Statement save(db, "UPDATE Employee SET NT = ?, OT1 = ?, OT2 = ?, HT = ?, FullHrs = ? WHERE rowid = ?");
    for (const Employee& e : employees) {
        // Whole milliseconds are added and turned into hours once: 150.1 + 12.2 hours of
        // days stay 162.3, without the residue that adding hours as fractions leaves.
        registers::DayMs sum;
        days.bind(1, e.no);
        while (days.step())
            sum += registers::dayMs(registers::dayTimesOf(days, 0), e.rules);
        days.reset();
        save.bind(1, registers::msToHours(sum.NT));
        save.bind(2, registers::msToHours(sum.OT1));
        save.bind(3, registers::msToHours(sum.OT2));
        save.bind(4, registers::msToHours(sum.HT));
        save.bind(5, registers::msToHours(sum.NHrs));
        save.bind(6, e.rowid);
        save.run();
        ui.stepProgress();
    }
}

FullHoursTotals fullHoursRule(double nt, double ot1, double ht, double fullHrs)
{
    const auto ntMs = registers::hoursToMs(nt);
    const auto ot1Ms = registers::hoursToMs(ot1);
    const auto htMs = registers::hoursToMs(ht);
    const auto fullMs = registers::hoursToMs(fullHrs);
    if (!ntMs || !ot1Ms || !htMs || !fullMs) {
        // Totals beyond any real period (typed in by hand): the rule on the values as they are.
        if (!(ot1 > 0 && fullHrs != 0 && fullHrs - ht > nt))
            return {nt, ot1};
        if (nt + ot1 >= fullHrs)
            return {fullHrs, nt + ot1 - fullHrs};
        return {nt + ot1, 0.0};
    }
    // The rule moves whole milliseconds, so that 150.1 + 12.2 - 160 is 2.3 and not
    // 2.29999999999998.
    if (!(*ot1Ms > 0 && *fullMs != 0 && *fullMs - *htMs > *ntMs))
        return {nt, ot1};
    if (*ntMs + *ot1Ms >= *fullMs)
        return {registers::msToHours(*fullMs), registers::msToHours(*ntMs + *ot1Ms - *fullMs)};
    return {registers::msToHours(*ntMs + *ot1Ms), 0.0};
}

void applyFullHours(store::Database& db, core::WindowServices& ui)
{
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
    core::startProgress(ui, core::kProgressRest, static_cast<int>(rows.size()), 1);
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
