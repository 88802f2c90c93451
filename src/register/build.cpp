#include "register/build.h"

#include <array>
#include <map>
#include <vector>

#include "core/datetime.h"
#include "core/services.h"
#include "store/sqlite.h"

namespace registers {

namespace {

struct PeriodDay {
    core::DateTime date = 0;
    int shiftNo = 0;
    int shift2 = 0;
    int shift3 = 0;
    bool holiday = false;
};

/// Start and end texts of a slot per weekday (1 = Sunday ... 7 = Saturday).
using SlotTimes = std::array<std::pair<std::string, std::string>, 8>;

int intOrZero(store::Statement& st, int col) { return st.isNull(col) ? 0 : static_cast<int>(st.columnInt(col)); }

std::vector<PeriodDay> periodDays(store::Database& db)
{
    std::vector<PeriodDay> days;
    store::Statement st(db, "SELECT Date, ShiftNo, Shift2, Shift3, Holiday FROM Period ORDER BY Date");
    while (st.step()) {
        const auto date = core::parseIsoDate(st.columnText(0));
        if (!date)
            continue;
        days.push_back({*date, intOrZero(st, 1), intOrZero(st, 2), intOrZero(st, 3),
                        !st.isNull(4) && st.columnText(4) == "Holiday"});
    }
    return days;
}

std::map<int, SlotTimes> shiftTimes(store::Database& db)
{
    // An empty time of a slot's row is copied as 00:00.
    static const char* const days[] = {"", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::string sql = "SELECT No";
    for (int d = 1; d <= 7; ++d)
        sql += std::string(", ifnull(") + days[d] + "_TI, '00:00:00'), ifnull(" + days[d] + "_TO, '00:00:00')";
    sql += " FROM Shifts WHERE No IS NOT NULL";
    std::map<int, SlotTimes> out;
    store::Statement st(db, sql);
    while (st.step()) {
        SlotTimes t;
        for (int d = 1; d <= 7; ++d)
            t[static_cast<std::size_t>(d)] = {st.columnText(2 * d - 1), st.columnText(2 * d)};
        out.emplace(static_cast<int>(st.columnInt(0)), t);
    }
    return out;
}

/// One employee's new rows, one per period day in date order.
void planRegister(std::vector<NewDay>& out, std::int64_t employeeNo, std::optional<int> employeeShift,
                  const std::vector<PeriodDay>& days, const std::map<int, SlotTimes>& times)
{
    for (const PeriodDay& day : days) {
        NewDay row;
        row.employeeNo = employeeNo;
        row.date = day.date;
        row.dow = core::dayOfWeek(day.date);
        row.slot = slotFor(employeeShift, day.shiftNo, day.shift2, day.shift3);
        const auto t = row.slot ? times.find(*row.slot) : times.end();
        if (t != times.end()) {
            row.inTime = t->second[static_cast<std::size_t>(row.dow)].first;
            row.outTime = t->second[static_cast<std::size_t>(row.dow)].second;
        }
        row.holiday = day.holiday;
        out.push_back(std::move(row));
    }
}

void bindText(store::Statement& st, int index, const std::optional<std::string>& text)
{
    if (text)
        st.bind(index, std::string_view(*text));
    else
        st.bindNull(index);
}

void insertRow(store::Statement& insert, const NewDay& row, const PairTexts* pairs)
{
    insert.bind(1, row.employeeNo);
    insert.bind(2, std::string_view(core::toIsoDate(row.date)));
    insert.bind(3, core::weekdayName(row.dow));
    if (row.slot)
        insert.bind(4, *row.slot);
    else
        insert.bindNull(4);
    bindText(insert, 5, row.inTime);
    bindText(insert, 6, row.outTime);
    insert.bind(7, row.holiday ? 1 : 0);
    for (int i = 0; i < 10; ++i)
        bindText(insert, 8 + i, pairs ? (*pairs)[static_cast<std::size_t>(i)] : std::nullopt);
    insert.run();
}

void buildRegister(store::Statement& insert, std::int64_t employeeNo, std::optional<int> employeeShift,
                   const std::vector<PeriodDay>& days, const std::map<int, SlotTimes>& times)
{
    std::vector<NewDay> rows;
    planRegister(rows, employeeNo, employeeShift, days, times);
    for (const NewDay& row : rows)
        insertRow(insert, row, nullptr);
}

constexpr const char* kInsertDay =
    "INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1, Out1, In2, Out2, In3, Out3, "
    "In4, Out4, In5, Out5) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

} // namespace

std::optional<int> slotFor(std::optional<int> employeeShift, int dayShiftNo, int dayShift2, int dayShift3)
{
    if (!employeeShift || *employeeShift <= 0)
        return std::nullopt;
    const int n = *employeeShift;
    if (n == 1 || n >= 7)
        return dayShiftNo;
    if (n == 2 || n == 3)
        return n == dayShift2 ? 2 : 3;
    const int f = dayShift3;
    const int s = f == 6 ? 4 : f + 1;
    return n == f ? 4 : (n == s ? 5 : 6);
}

void CreateAttRegister(store::Database& db, std::int64_t employeeNo, std::optional<int> employeeShift)
{
    store::Statement insert(db, kInsertDay);
    buildRegister(insert, employeeNo, employeeShift, periodDays(db), shiftTimes(db));
}

std::optional<RegisterPlan> planResetAttRegister(store::Database& db, core::WindowServices& ui)
{
    if (!ui.question("RESET all Registers and Process Clock Data?"))
        return std::nullopt;
    ui.clearResult();
    ui.setProgressCaption("Creating new attendance register!");
    ui.repaint();

    const std::vector<PeriodDay> days = periodDays(db);
    const std::map<int, SlotTimes> times = shiftTimes(db);
    struct Employee {
        std::int64_t rowid;
        std::int64_t no;
        std::optional<int> shift;
    };
    std::vector<Employee> employees;
    {
        store::Statement st(db, "SELECT rowid, No, ShiftNo FROM Employee ORDER BY No");
        while (st.step())
            employees.push_back({st.columnInt(0), st.columnInt(1),
                                 st.isNull(2) ? std::nullopt : std::optional<int>(static_cast<int>(st.columnInt(2)))});
    }
    ui.setProgressRange(0, static_cast<int>(employees.size()), 1);
    ui.setProgressPosition(0);
    RegisterPlan plan;
    plan.days.reserve(employees.size() * days.size());
    for (const Employee& e : employees) {
        plan.employees.push_back({e.rowid, e.no});
        planRegister(plan.days, e.no, e.shift, days, times);
        ui.stepProgress();
        ui.repaint();
    }
    ui.setProgressPosition(0);
    return plan;
}

void writeResetAttRegister(store::Database& db, const RegisterPlan& plan,
                           const std::function<PairTexts(std::size_t)>& pairs)
{
    store::Statement zero(db, "UPDATE Employee SET NT = 0, OT1 = 0, OT2 = 0, HT = 0 WHERE rowid = ?");
    store::Statement clear(db, "DELETE FROM Attendance WHERE EmployeeNo = ?");
    for (const RegisterPlan::Employee& e : plan.employees) {
        zero.bind(1, e.rowid);
        zero.run();
        clear.bind(1, e.no);
        clear.run();
    }
    store::Statement insert(db, kInsertDay);
    for (std::size_t i = 0; i < plan.days.size(); ++i) {
        const PairTexts texts = pairs ? pairs(i) : PairTexts{};
        insertRow(insert, plan.days[i], &texts);
    }
}

bool ResetAttRegister(store::Database& db, core::WindowServices& ui)
{
    const std::optional<RegisterPlan> plan = planResetAttRegister(db, ui);
    if (!plan)
        return false;
    writeResetAttRegister(db, *plan, nullptr);
    return true;
}

} // namespace registers
