#include "store/schema.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "store/sqlite.h"

namespace store {

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int TableDef::columnIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsNoCase(columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

const ColumnDef* TableDef::autoIncColumn() const
{
    for (const auto& c : columns)
        if (c.type == ColType::AutoInc)
            return &c;
    return nullptr;
}

namespace {

using C = ColType;

std::vector<ColumnDef> pairs(C type)
{
    std::vector<ColumnDef> out;
    for (int i = 1; i <= 5; ++i) {
        out.push_back({"In" + std::to_string(i), type});
        out.push_back({"Out" + std::to_string(i), type});
    }
    return out;
}

template <typename... Parts>
std::vector<ColumnDef> join(Parts&&... parts)
{
    std::vector<ColumnDef> out;
    (out.insert(out.end(), parts.begin(), parts.end()), ...);
    return out;
}

TableDef makeEmployee()
{
    return {"Employee",
            {{"No", C::Integer, true},
             {"Name", C::Text},
             {"MobileNo", C::Text},
             {"PayrollNo", C::Text},
             {"FlexiTime", C::Text},
             {"ShiftNo", C::Integer},
             {"Lat", C::Real},
             {"Lon", C::Real},
             {"NT", C::Real},
             {"OT1", C::Real},
             {"OT2", C::Real},
             {"HT", C::Real},
             {"Lunch", C::Real},
             {"HrsBefore", C::Real},
             {"FullHrs", C::Real},
             {"WorkEarly", C::Real},
             {"WorkLate", C::Real},
             {"Play", C::Real}},
            "No",
            {"No"},
            {{"numeries", "No"}},
            {{"EmployeeMobileNo", "MobileNo"}, {"EmployeePayrollNo", "PayrollNo"}},
            "employee"};
}

TableDef makeShifts()
{
    std::vector<ColumnDef> cols{{"No", C::Integer, true}};
    for (const char* day : {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}) {
        cols.push_back({std::string(day) + "_TI", C::Time});
        cols.push_back({std::string(day) + "_TO", C::Time});
    }
    return {"Shifts", cols, "No", {"No"}, {{"numeries2", "No"}}, {}, "shift"};
}

TableDef makePeriod()
{
    return {"Period",
            {{"Date", C::Date, true},
             {"ShiftNo", C::Integer},
             {"Shift2", C::Integer},
             {"Shift3", C::Integer},
             {"Holiday", C::Text}},
            "Date",
            {"Date"},
            {{"PeriodDate", "Date"}},
            {},
            "period day"};
}

TableDef makeClkData()
{
    return {"ClkData",
            {{"Date", C::Date, true},
             {"Time", C::Time, true},
             {"MobileNo", C::Text},
             {"Name", C::Text},
             {"Status", C::Text},
             {"Distance", C::Text},
             {"Lat", C::Real},
             {"Lon", C::Real},
             {"Used", C::Integer},
             {"Inc", C::AutoInc}},
            "Inc",
            {"Date", "Time", "MobileNo"},
            {},
            {{"ClkDataOrder", "Date, Time, MobileNo"}},
            "clocking"};
}

TableDef makeAttendance()
{
    return {"Attendance",
            join(std::vector<ColumnDef>{{"Inc", C::AutoInc},
                                        {"EmployeeNo", C::Integer},
                                        {"Date", C::Date},
                                        {"DOW", C::Text},
                                        {"Shift", C::Integer},
                                        {"INTime", C::Time},
                                        {"OUTTime", C::Time},
                                        {"Holiday", C::Boolean}},
                 pairs(C::Time)),
            "Inc",
            {"EmployeeNo", "Date"},
            {},
            {{"AttendanceOrder", "EmployeeNo, Date"}},
            "register day"};
}

TableDef makeSummaries()
{
    return {"Summaries",
            {{"Nr", C::AutoInc},       {"Period", C::Integer}, {"StartDate", C::Date}, {"EndDate", C::Date},
             {"Employee", C::Integer}, {"NT", C::Real},        {"OT1", C::Real},       {"OT2", C::Real},
             {"HT", C::Real},          {"FullHours", C::Real}, {"Lunch", C::Real},     {"HrsBeforeLunch", C::Real},
             {"EarlyWork", C::Real},   {"LateWork", C::Real},  {"Play", C::Real},      {"Shift", C::Integer},
             {"FlexiTime", C::Text},   {"Name", C::Text},      {"Report", C::Integer}, {"PayrollNo", C::Text},
             {"MobileNo", C::Text}},
            "Nr",
            {},
            {},
            {{"SummariesPeriod", "Period"}, {"SummariesReport", "Report"}},
            "history row"};
}

TableDef makeHistory()
{
    return {"History",
            join(std::vector<ColumnDef>{{"Date", C::Date},
                                        {"EmployeeNo", C::Integer},
                                        {"Name", C::Text},
                                        {"PayrollNo", C::Text},
                                        {"HrsIN", C::Real},
                                        {"NT", C::Real},
                                        {"OT1", C::Real},
                                        {"OT2", C::Real},
                                        {"Ht", C::Real},
                                        {"NHrs", C::Real},
                                        {"Shift", C::Integer}},
                 pairs(C::Time),
                 std::vector<ColumnDef>{{"Period", C::Integer},
                                        {"DOW", C::Text},
                                        {"Holiday", C::Boolean},
                                        {"Inc", C::AutoInc},
                                        {"INTime", C::Time},
                                        {"OUTTime", C::Time},
                                        {"Report", C::Integer},
                                        {"MobileNo", C::Text}}),
            "Inc",
            {},
            {},
            {{"HistoryPeriod", "Period"}, {"HistoryReport", "Report"}},
            "history row"};
}

TableDef makePerHistory()
{
    return {"PerHistory",
            {{"Period", C::Integer, true}, {"StartDate", C::Date}, {"EndDate", C::Date}},
            "Period",
            {},
            {{"PerHistoryPeriod", "Period"}},
            {},
            "posted period"};
}

const char* sqlType(C type)
{
    switch (type) {
    case C::Integer:
    case C::Boolean: return "INTEGER";
    case C::Real: return "REAL";
    case C::Text:
    case C::Date:
    case C::Time: return "TEXT";
    case C::AutoInc: return "INTEGER PRIMARY KEY AUTOINCREMENT";
    }
    return "";
}

TableDef makeTypedTimes()
{
    // Every register time typed into the grid: kept for good, never changed or removed.
    return {"TypedTimes",
            {{"Inc", C::AutoInc},
             {"EmployeeNo", C::Integer},
             {"Date", C::Date},
             {"Field", C::Text},
             {"OldValue", C::Text},
             {"NewValue", C::Text},
             {"ChangedAt", C::Text}},
            "Inc",
            {},
            {},
            {{"TypedTimesCell", "EmployeeNo, Date, Field"}},
            "typed register time"};
}

} // namespace

const TableDef& employeeTable()
{
    static const TableDef t = makeEmployee();
    return t;
}
const TableDef& shiftsTable()
{
    static const TableDef t = makeShifts();
    return t;
}
const TableDef& periodTable()
{
    static const TableDef t = makePeriod();
    return t;
}
const TableDef& clkDataTable()
{
    static const TableDef t = makeClkData();
    return t;
}
const TableDef& attendanceTable()
{
    static const TableDef t = makeAttendance();
    return t;
}
const TableDef& summariesTable()
{
    static const TableDef t = makeSummaries();
    return t;
}
const TableDef& historyTable()
{
    static const TableDef t = makeHistory();
    return t;
}
const TableDef& perHistoryTable()
{
    static const TableDef t = makePerHistory();
    return t;
}
const TableDef& typedTimesTable()
{
    static const TableDef t = makeTypedTimes();
    return t;
}

const std::vector<const TableDef*>& allTables()
{
    static const std::vector<const TableDef*> all{&employeeTable(),  &attendanceTable(), &clkDataTable(),
                                                  &historyTable(),   &periodTable(),     &shiftsTable(),
                                                  &summariesTable(), &perHistoryTable(), &typedTimesTable()};
    return all;
}

std::string createTableSql(const TableDef& table)
{
    std::string sql = "CREATE TABLE IF NOT EXISTS \"" + table.name + "\" (";
    bool firstCol = true;
    for (const auto& c : table.columns) {
        if (!firstCol)
            sql += ", ";
        firstCol = false;
        sql += "\"" + c.name + "\" " + sqlType(c.type);
        if (c.required)
            sql += " NOT NULL";
    }
    sql += ")";
    return sql;
}

namespace {

/// True when every table and index exists already: start-up then writes nothing, so that it
/// also works while another program holds the database's write lock.
bool schemaComplete(Database& db)
{
    Statement st(db, "SELECT name FROM sqlite_master WHERE type IN ('table', 'index', 'trigger')");
    std::vector<std::string> names;
    while (st.step())
        names.push_back(st.columnText(0));
    auto has = [&](const std::string& n) {
        return std::any_of(names.begin(), names.end(), [&](const std::string& x) { return equalsNoCase(x, n); });
    };
    for (const char* trigger : {"TypedTimesNotChanged", "TypedTimesNotRemoved"})
        if (!has(trigger))
            return false;
    for (const TableDef* t : allTables()) {
        if (!has(t->name))
            return false;
        for (const auto& idx : t->uniqueIndexes)
            if (!has(idx.first))
                return false;
        for (const auto& idx : t->indexes)
            if (!has(idx.first))
                return false;
    }
    return true;
}

} // namespace

void createSchema(Database& db)
{
    if (schemaComplete(db))
        return;
    Transaction tx(db);
    for (const TableDef* t : allTables()) {
        db.exec(createTableSql(*t));
        for (const auto& [name, column] : t->uniqueIndexes)
            db.exec("CREATE UNIQUE INDEX IF NOT EXISTS \"" + name + "\" ON \"" + t->name + "\" (\"" + column + "\")");
        for (const auto& [name, columns] : t->indexes)
            db.exec("CREATE INDEX IF NOT EXISTS \"" + name + "\" ON \"" + t->name + "\" (" + columns + ")");
    }
    // The record of typed times is evidence of who changed what: the database refuses to
    // change or remove a row of it, whatever program asks.
    db.exec("CREATE TRIGGER IF NOT EXISTS TypedTimesNotChanged BEFORE UPDATE ON TypedTimes "
            "BEGIN SELECT RAISE(ABORT, 'the record of typed register times is never changed'); END");
    db.exec("CREATE TRIGGER IF NOT EXISTS TypedTimesNotRemoved BEFORE DELETE ON TypedTimes "
            "BEGIN SELECT RAISE(ABORT, 'the record of typed register times is never changed'); END");
    tx.commit();
}

} // namespace store
