#include "closeout/posting.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "closeout/history.h"
#include "core/counted.h"
#include "core/datetime.h"
#include "core/numparse.h"
#include "core/services.h"
#include "register/hours.h"
#include "store/cursor.h"
#include "store/sqlite.h"

namespace closeout {

namespace {

std::string isoTimeOrMidnight(const std::optional<std::int64_t>& ms)
{
    return core::toIsoTime(ms ? static_cast<double>(*ms) / static_cast<double>(core::kMsPerDay) : 0.0);
}

} // namespace

std::optional<int> postToHistory(store::Database& db, core::WindowServices& ui, const std::string& periodNumber)
{
    if (!ui.question("COMPLETE PERIOD - POST CLOCK DATA TO HISTORY FILES?"))
        return std::nullopt;
    ui.setProgressCaption("Process transactions...");
    ui.repaint();

    struct Employee {
        std::int64_t no;
        std::optional<std::int64_t> shift;
        std::string name, payroll, mobile, flexi;
        std::optional<double> nt, ot1, ot2, ht, full, lunch, hrsBefore, early, late, play;
        registers::HoursRules rules;
    };
    std::vector<Employee> employees;
    {
        store::Statement st(db, "SELECT No, ShiftNo, Name, PayrollNo, MobileNo, FlexiTime, NT, OT1, OT2, HT, FullHrs, "
                                "Lunch, HrsBefore, WorkEarly, WorkLate, Play FROM Employee ORDER BY No");
        auto real = [&](int c) { return st.isNull(c) ? std::nullopt : std::optional<double>(st.columnReal(c)); };
        auto text = [&](int c) { return st.isNull(c) ? std::string() : st.columnText(c); };
        while (st.step()) {
            Employee e;
            e.no = st.columnInt(0);
            e.shift = st.isNull(1) ? std::nullopt : std::optional<std::int64_t>(st.columnInt(1));
            e.name = text(2);
            e.payroll = text(3);
            e.mobile = text(4);
            e.flexi = text(5);
            e.nt = real(6);
            e.ot1 = real(7);
            e.ot2 = real(8);
            e.ht = real(9);
            e.full = real(10);
            e.lunch = real(11);
            e.hrsBefore = real(12);
            e.early = real(13);
            e.late = real(14);
            e.play = real(15);
            e.rules = {e.flexi == "YES", e.lunch.value_or(0), e.hrsBefore.value_or(0), e.play.value_or(0),
                       e.late.value_or(0)};
            employees.push_back(std::move(e));
        }
    }
    ui.setProgressRange(0, static_cast<int>(employees.size()), 1);
    ui.setProgressPosition(0);

    // The number is converted before anything is written. A posted number is never taken
    // again: a settings file that went back (another program wrote an old copy) would make
    // every later posting fail on it. The larger of the box and the highest posted + 1 is
    // taken, and the Result page says so when they differ.
    const int typed = core::parseInt(periodNumber);
    std::int64_t highest = 0;
    bool anyPosted = false;
    {
        store::Statement st(db, "SELECT max(Period) FROM PerHistory");
        if (st.step() && !st.isNull(0)) {
            highest = st.columnInt(0);
            anyPosted = true;
        }
    }
    if (anyPosted && highest >= std::numeric_limits<int>::max())
        throw core::Error("Pay period " + std::to_string(highest)
                          + " is posted, the highest number there is: no period can be posted after it.");
    const int periodno = anyPosted ? static_cast<int>(std::max<std::int64_t>(typed, highest + 1)) : typed;
    std::string numberNote;
    if (anyPosted && typed != highest + 1)
        numberNote = "Current Pay Period Number was " + std::to_string(typed) + " and the highest posted pay period is "
                     + std::to_string(highest) + ": this period is posted as " + std::to_string(periodno);
    // The box then holds the next number: the highest number there is has none after it.
    if (periodno == std::numeric_limits<int>::max())
        throw core::Error("Pay period " + std::to_string(periodno)
                          + " is the highest number there is, and the next period would have none: please "
                            "type a lower number into Current Pay Period Number.");

    std::string startDate = core::toIsoDate(0);
    std::string endDate = startDate;
    {
        store::Statement st(db, "SELECT min(Date), max(Date) FROM Period");
        if (st.step() && !st.isNull(0)) {
            startDate = st.columnText(0);
            endDate = st.columnText(1);
        }
    }

    store::Savepoint guard(db, "all_or_nothing");
    {
        store::Statement per(db, "INSERT INTO PerHistory (Period, StartDate, EndDate) VALUES (?, ?, ?)");
        per.bind(1, periodno);
        per.bind(2, std::string_view(startDate));
        per.bind(3, std::string_view(endDate));
        per.run();
    }
    store::Statement summary(db,
                             "INSERT INTO Summaries (Period, StartDate, EndDate, Employee, NT, OT1, OT2, HT, "
                             "FullHours, Lunch, HrsBeforeLunch, EarlyWork, LateWork, Play, Shift, FlexiTime, Name, "
                             "PayrollNo, MobileNo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    // Columns 1 to 14 are the day as the hours read it; then the slot and the employee.
    store::Statement days(db, std::string("SELECT ifnull(Date, '1899-12-30'), ") + registers::kDayTimesColumns
                                  + ", Shift, EmployeeNo FROM Attendance WHERE EmployeeNo = ? ORDER BY Date, rowid");
    store::Statement history(db, "INSERT INTO History (Date, EmployeeNo, Name, PayrollNo, HrsIN, NT, OT1, OT2, Ht, "
                                 "NHrs, Shift, In1, Out1, In2, Out2, In3, Out3, In4, Out4, In5, Out5, Period, DOW, "
                                 "Holiday, INTime, OUTTime, Report, MobileNo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                 "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?)");
    auto bindReal = [](store::Statement& st, int i, const std::optional<double>& v) {
        if (v)
            st.bind(i, *v);
        else
            st.bindNull(i);
    };
    int registerDays = 0;
    for (const Employee& e : employees) {
        summary.bind(1, periodno);
        summary.bind(2, std::string_view(startDate));
        summary.bind(3, std::string_view(endDate));
        summary.bind(4, e.no);
        bindReal(summary, 5, e.nt);
        bindReal(summary, 6, e.ot1);
        bindReal(summary, 7, e.ot2);
        bindReal(summary, 8, e.ht);
        bindReal(summary, 9, e.full);
        bindReal(summary, 10, e.lunch);
        bindReal(summary, 11, e.hrsBefore);
        bindReal(summary, 12, e.early);
        bindReal(summary, 13, e.late);
        bindReal(summary, 14, e.play);
        if (e.shift)
            summary.bind(15, *e.shift);
        else
            summary.bindNull(15);
        summary.bind(16, std::string_view(e.flexi));
        summary.bind(17, std::string_view(e.name));
        summary.bind(18, std::string_view(e.payroll));
        summary.bind(19, std::string_view(e.mobile));
        summary.run();

        days.bind(1, e.no);
        while (days.step()) {
            const registers::DayTimes d = registers::dayTimesOf(days, 1);
            const std::string dow = days.columnText(14);
            const registers::DayHours h = registers::dayHours(d, e.rules);
            history.bind(1, std::string_view(days.columnText(0)));
            history.bind(2, days.columnInt(16));
            history.bind(3, std::string_view(e.name));
            history.bind(4, std::string_view(e.payroll));
            history.bind(5, h.HrsIN);
            history.bind(6, h.NT);
            history.bind(7, h.OT1);
            history.bind(8, h.OT2);
            history.bind(9, h.HT);
            history.bind(10, h.NHrs);
            if (days.isNull(15))
                history.bindNull(11);
            else
                history.bind(11, days.columnInt(15));
            for (std::size_t n = 0; n < 5; ++n) {
                history.bind(12 + 2 * static_cast<int>(n), std::string_view(isoTimeOrMidnight(d.in[n])));
                history.bind(13 + 2 * static_cast<int>(n), std::string_view(isoTimeOrMidnight(d.out[n])));
            }
            history.bind(22, periodno);
            history.bind(23, std::string_view(dow));
            history.bind(24, d.holiday ? 1 : 0);
            history.bind(25, std::string_view(isoTimeOrMidnight(d.slotStart)));
            history.bind(26, std::string_view(isoTimeOrMidnight(d.slotEnd)));
            history.bind(27, std::string_view(e.mobile));
            history.run();
            ++registerDays;
        }
        days.reset();
        ui.stepProgress();
    }
    guard.release();
    if (!numberNote.empty())
        ui.appendResult(numberNote);
    ui.appendResult("Pay period " + std::to_string(periodno)
                    + " posted: " + core::counted(static_cast<std::int64_t>(employees.size()), "employee", "employees")
                    + ", " + core::counted(registerDays, "register day", "register days"));
    return periodno;
}

void deletePayPeriod(store::Database& db, store::Cursor& periods, store::Cursor& summaries, store::Cursor& history,
                     core::WindowServices& ui)
{
    if (periods.recordCount() == 0) {
        ui.message("There is no posted period to delete.");
        return;
    }
    const std::int64_t n = periods.asInteger("Period");
    const std::string text = std::to_string(n);
    if (!ui.question("Delete Permanently period number " + text + " ? - are you sure"))
        return;
    if (!ui.question("The records of period " + text + " in the SUMMARIES will also be deleted - are you sure?"))
        return;
    if (!ui.question("The records of period " + text
                     + " in the DETAILLED HISTORY will also be deleted - are you sure?"))
        return;
    resetHistoryFilter(summaries);
    resetHistoryFilter(history);
    {
        store::Savepoint guard(db, "all_or_nothing");
        periods.remove();
        ui.setProgressCaption("Deleting selected period in summaries!");
        ui.repaint();
        std::vector<std::pair<std::int64_t, std::string>> rows;
        {
            store::Statement st(db, "SELECT rowid, ifnull(Name, '') FROM Summaries WHERE ifnull(Period, 0) = ?");
            st.bind(1, n);
            while (st.step())
                rows.emplace_back(st.columnInt(0), st.columnText(1));
        }
        ui.setProgressRange(0, static_cast<int>(rows.size()), 1);
        ui.setProgressPosition(0);
        store::Statement del(db, "DELETE FROM Summaries WHERE rowid = ?");
        for (const auto& [rowid, name] : rows) {
            ui.setProgressCaption("Deleting selected period in summaries : " + name);
            ui.repaint();
            del.bind(1, rowid);
            del.run();
            ui.stepProgress();
        }
        ui.setProgressCaption("Deleting selected period in history!");
        ui.repaint();
        ui.setProgressRange(0, 1, 1);
        ui.setProgressPosition(0);
        store::Statement hist(db, "DELETE FROM History WHERE Period = ?1 OR (?1 = 0 AND Period IS NULL)");
        hist.bind(1, n);
        hist.run();
        ui.setProgressPosition(1);
        guard.release();
    }
    ui.message("Periodno " + text + " has been deleted!");
}

} // namespace closeout
