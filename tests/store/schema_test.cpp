#include <gtest/gtest.h>

#include "store/sqlite.h"
#include "support/testsupport.h"

namespace {

using core::Value;
using store::Cursor;

int countRows(store::Database& db, const std::string& table)
{
    store::Statement st(db, "SELECT count(*) FROM \"" + table + "\"");
    st.step();
    return static_cast<int>(st.columnInt(0));
}

struct KeyCase {
    const char* table;
    const char* column;
    Value value;
    const char* caption; ///< the grid's title of the column; none: the column's name
    const char* sentence;
};

void PrintTo(const KeyCase& k, std::ostream* os) { *os << k.table << "." << k.column; }

Cursor& cursorFor(store::Tables& t, const std::string& table)
{
    for (Cursor* c : t.inOrder())
        if (c->table().name == table)
            return *c;
    throw std::runtime_error("no cursor for " + table);
}

/// Posts the cursor's row, expecting the database to refuse it with a rule of the table.
store::ConstraintError refusal(Cursor& c)
{
    try {
        c.post();
    } catch (const store::ConstraintError& e) {
        return e;
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("not told in plain words: ") + e.what());
    }
    throw std::runtime_error("the row was stored");
}

class UniqueKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(UniqueKeyTest, SecondRowWithSameKeyIsRefusedInPlainWordsAndStaysInInsert)
{
    const KeyCase& k = GetParam();
    testsupport::MemoryStore s;
    Cursor& c = cursorFor(*s.tables, k.table);
    if (k.caption != nullptr)
        c.setCaption(k.column, k.caption);
    c.open();
    c.append();
    c.setValue(k.column, k.value);
    c.post();
    c.append();
    c.setValue(k.column, k.value);
    const store::ConstraintError e = refusal(c);
    EXPECT_EQ(std::string(e.what()), k.sentence);
    EXPECT_EQ(e.kind(), store::ConstraintError::Kind::Unique);
    EXPECT_EQ(e.original(), std::string("UNIQUE constraint failed: ") + k.table + "." + k.column);
    EXPECT_EQ(e.table(), k.table);
    ASSERT_EQ(e.columns().size(), 1U);
    EXPECT_EQ(e.columns()[0].name, k.column);
    EXPECT_EQ(c.state(), Cursor::State::Insert);
    EXPECT_EQ(countRows(*s.db, k.table), 1);
    c.cancel();
    EXPECT_EQ(c.recordCount(), 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, UniqueKeyTest,
    ::testing::Values(
        KeyCase{"Employee", "No", Value::integer(7), nullptr,
                "No 7 is already used by another employee: each employee needs a No of its own. "
                "(UNIQUE constraint failed: Employee.No)"},
        KeyCase{"Shifts", "No", Value::integer(1), "Group",
                "Group 1 is already used by another shift: each shift needs a Group of its own. "
                "(UNIQUE constraint failed: Shifts.No)"},
        KeyCase{"Period", "Date", Value::date(core::encodeDate(2026, 12, 10)), nullptr,
                "Date 12/10/26 is already used by another period day: each period day needs a Date of its own. "
                "(UNIQUE constraint failed: Period.Date)"},
        KeyCase{"PerHistory", "Period", Value::integer(12), "pay period",
                "Pay period 12 is already used by another posted period: each posted period needs a pay period "
                "of its own. (UNIQUE constraint failed: PerHistory.Period)"}));
// clang-format on

class RequiredColumnTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RequiredColumnTest, RowWithoutRequiredValueIsRefusedInPlainWords)
{
    const KeyCase& k = GetParam();
    testsupport::MemoryStore s;
    Cursor& c = cursorFor(*s.tables, k.table);
    if (k.caption != nullptr)
        c.setCaption(k.column, k.caption);
    c.open();
    c.append();
    // Fill every required column except the one under test.
    for (const auto& col : c.table().columns)
        if (col.required && col.name != k.column)
            c.setValue(col.name, col.type == store::ColType::Date   ? Value::date(45000)
                                 : col.type == store::ColType::Time ? Value::time(0.5)
                                                                    : Value::integer(1));
    const store::ConstraintError e = refusal(c);
    EXPECT_EQ(std::string(e.what()), k.sentence);
    EXPECT_EQ(e.kind(), store::ConstraintError::Kind::NotNull);
    ASSERT_EQ(e.columns().size(), 1U);
    EXPECT_EQ(e.columns()[0].name, k.column);
    EXPECT_FALSE(e.columns()[0].value.has_value());
    EXPECT_EQ(c.state(), Cursor::State::Insert);
    EXPECT_EQ(countRows(*s.db, k.table), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Required, RequiredColumnTest,
    ::testing::Values(
        KeyCase{"Employee", "No", {}, nullptr,
                "Every employee needs a No: the No of this row is empty. (NOT NULL constraint failed: Employee.No)"},
        KeyCase{"Shifts", "No", {}, "Group",
                "Every shift needs a Group: the Group of this row is empty. (NOT NULL constraint failed: Shifts.No)"},
        KeyCase{"Period", "Date", {}, nullptr,
                "Every period day needs a Date: the Date of this row is empty. "
                "(NOT NULL constraint failed: Period.Date)"},
        KeyCase{"ClkData", "Date", {}, nullptr,
                "Every clocking needs a Date: the Date of this row is empty. (NOT NULL constraint failed: ClkData.Date)"},
        KeyCase{"ClkData", "Time", {}, "Entry",
                "Every clocking needs an Entry: the Entry of this row is empty. "
                "(NOT NULL constraint failed: ClkData.Time)"},
        KeyCase{"PerHistory", "Period", {}, nullptr,
                "Every posted period needs a Period: the Period of this row is empty. "
                "(NOT NULL constraint failed: PerHistory.Period)"}));
// clang-format on

/// Rules a site's database may carry beyond the program's own: a key over several columns, a
/// primary key, a check.
struct SiteRuleCase {
    const char* name;
    const char* sql; ///< run on the open store: the rule and the rows already stored
    const char* table;
    std::vector<std::pair<const char*, Value>> row; ///< the refused row
    std::vector<std::pair<const char*, const char*>> captions;
    store::ConstraintError::Kind kind;
    std::vector<std::string> columns;
    const char* sentence;
};

void PrintTo(const SiteRuleCase& k, std::ostream* os) { *os << k.name; }

class SiteRuleTest : public ::testing::TestWithParam<SiteRuleCase> {};

TEST_P(SiteRuleTest, RefusedRowIsToldInPlainWordsAndStaysInInsert)
{
    const SiteRuleCase& k = GetParam();
    testsupport::MemoryStore s;
    s.tables->openAll();
    s.exec(k.sql);
    Cursor& c = cursorFor(*s.tables, k.table);
    for (const auto& [field, caption] : k.captions)
        c.setCaption(field, caption);
    const int before = countRows(*s.db, k.table);
    c.append();
    for (const auto& [field, value] : k.row)
        c.setValue(field, value);
    const store::ConstraintError e = refusal(c);
    EXPECT_EQ(std::string(e.what()), k.sentence);
    EXPECT_EQ(e.kind(), k.kind);
    std::vector<std::string> names;
    for (const auto& col : e.columns())
        names.push_back(col.name);
    EXPECT_EQ(names, k.columns);
    EXPECT_EQ(c.state(), Cursor::State::Insert);
    EXPECT_EQ(countRows(*s.db, k.table), before);
    c.cancel();
    EXPECT_EQ(c.recordCount(), before);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rules, SiteRuleTest,
    ::testing::Values(
        SiteRuleCase{"RegisterDayTwice",
                     "CREATE UNIQUE INDEX AttendanceDay ON Attendance (EmployeeNo, Date);"
                     "INSERT INTO Employee (No) VALUES (3);"
                     "INSERT INTO Attendance (EmployeeNo, Date) VALUES (3, '2026-03-02')",
                     "Attendance",
                     {{"Date", Value::date(core::encodeDate(2026, 3, 2))}, {"Shift", Value::integer(2)}},
                     {{"Shift", "SLOT"}, {"Date", "Day"}},
                     store::ConstraintError::Kind::Unique,
                     {"EmployeeNo", "Date"},
                     "EmployeeNo 3 and Day 3/2/26 are already used together by another register day: each register "
                     "day needs a combination of EmployeeNo and Day of its own. "
                     "(UNIQUE constraint failed: Attendance.EmployeeNo, Attendance.Date)"},
        SiteRuleCase{"ClockingTwice",
                     "CREATE UNIQUE INDEX ClkDataOnce ON ClkData (Date, Time, MobileNo);"
                     "INSERT INTO ClkData (Date, Time, MobileNo) VALUES ('2026-03-02', '07:58:00', '0821')",
                     "ClkData",
                     {{"Date", Value::date(core::encodeDate(2026, 3, 2))},
                      {"Time", Value::time(core::encodeTime(7, 58, 0, 0))},
                      {"MobileNo", Value::text("0821")}},
                     {},
                     store::ConstraintError::Kind::Unique,
                     {"Date", "Time", "MobileNo"},
                     "Date 3/2/26, Time 7:58:00 AM and MobileNo 0821 are already used together by another clocking: "
                     "each clocking needs a combination of Date, Time and MobileNo of its own. "
                     "(UNIQUE constraint failed: ClkData.Date, ClkData.Time, ClkData.MobileNo)"},
        SiteRuleCase{"PostedPeriodAsPrimaryKey",
                     "DROP TABLE PerHistory;"
                     "CREATE TABLE PerHistory (Period INTEGER PRIMARY KEY, StartDate TEXT, EndDate TEXT);"
                     "INSERT INTO PerHistory (Period) VALUES (12)",
                     "PerHistory",
                     {{"Period", Value::integer(12)}},
                     {},
                     store::ConstraintError::Kind::PrimaryKey,
                     {"Period"},
                     "Period 12 is already used by another posted period: each posted period needs a Period of its "
                     "own. (UNIQUE constraint failed: PerHistory.Period)"},
        SiteRuleCase{"CheckedColumn",
                     "ALTER TABLE Employee ADD COLUMN Grade INTEGER DEFAULT 1 CHECK (No > 0)",
                     "Employee",
                     {{"No", Value::integer(-4)}},
                     {},
                     store::ConstraintError::Kind::Check,
                     {},
                     "This employee breaks a rule of the database: correct the row or cancel it. "
                     "(CHECK constraint failed: No > 0)"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct OtherErrorCase {
    const char* name;
    const char* sql; ///< run on the open store
    const char* text;
};

class OtherErrorTest : public ::testing::TestWithParam<OtherErrorCase> {};

TEST_P(OtherErrorTest, KeepsSQLitesTextAndTheRowInInsert)
{
    const OtherErrorCase& k = GetParam();
    testsupport::MemoryStore s;
    s.tables->openAll();
    s.db->exec(k.sql);
    Cursor& c = s.tables->EmployeeTable;
    c.append();
    c.setInteger("No", 5);
    c.setText("Name", "Ann");
    try {
        c.post();
        FAIL() << "the row was stored";
    } catch (const store::ConstraintError& e) {
        FAIL() << "told as a rule of the table: " << e.what();
    } catch (const store::SqlError& e) {
        EXPECT_EQ(std::string(e.what()), k.text);
    }
    EXPECT_EQ(c.state(), Cursor::State::Insert);
    EXPECT_EQ(c.asText("Name"), "Ann");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Errors, OtherErrorTest,
    ::testing::Values(
        OtherErrorCase{"TriggerRefusal",
                       "CREATE TRIGGER NoNewEmployees BEFORE INSERT ON Employee "
                       "BEGIN SELECT RAISE(ABORT, 'the employee list is closed'); END",
                       "the employee list is closed"},
        OtherErrorCase{"KeyOnAnExpression",
                       "INSERT INTO Employee (No, Name) VALUES (1, 'ANN');"
                       "CREATE UNIQUE INDEX EmployeeName ON Employee (lower(Name))",
                       "UNIQUE constraint failed: index 'EmployeeName'"},
        OtherErrorCase{"TableGone", "DROP TABLE Employee", "no such table: Employee"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(Schema, MissingTableOrColumnIsReportedWhenTheCursorOpens)
{
    auto db = store::openMemoryDatabase();
    db->exec("DROP TABLE History");
    db->exec("ALTER TABLE Employee DROP COLUMN Play");
    const auto regional = testsupport::usRegional();
    store::Tables t(*db, regional);
    try {
        t.HistoryTable.open();
        FAIL() << "opened a missing table";
    } catch (const store::SqlError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table: History"), std::string::npos) << e.what();
    }
    try {
        t.EmployeeTable.open();
        FAIL() << "opened a table with a missing column";
    } catch (const store::SqlError& e) {
        EXPECT_NE(std::string(e.what()).find("Play"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(t.EmployeeTable.isOpen());
}

TEST(Schema, ExtraColumnsOfAnOlderDatabaseAreIgnoredAndCreationIsRepeatable)
{
    testsupport::TempDir dir;
    {
        auto db = store::openDatabase(dir / "t.db");
        db->exec("ALTER TABLE Employee ADD COLUMN MonH REAL");
        db->exec("INSERT INTO Employee (No, Name, MonH) VALUES (5, 'Ann', 8)");
    }
    auto db = store::openDatabase(dir / "t.db");
    const auto regional = testsupport::usRegional();
    store::Tables t(*db, regional);
    t.openAll();
    EXPECT_EQ(t.EmployeeTable.asInteger("No"), 5);
    EXPECT_EQ(t.EmployeeTable.asText("Name"), "Ann");
    store::Statement mode(*db, "PRAGMA journal_mode");
    ASSERT_TRUE(mode.step());
    EXPECT_EQ(mode.columnText(0), "wal");
}

} // namespace
