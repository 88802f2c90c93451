#include <gtest/gtest.h>

#include <vector>

#include "store/sqlite.h"
#include "support/testsupport.h"
#include "workforce/calendar.h"

namespace {

using core::Value;
using store::Cursor;

class CursorTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Tables& t = *s.tables;

    void addEmployee(int no, const std::string& mobile = {})
    {
        t.EmployeeTable.append();
        t.EmployeeTable.setInteger("No", no);
        if (!mobile.empty())
            t.EmployeeTable.setText("MobileNo", mobile);
        t.EmployeeTable.post();
    }
    void addDay(int employee, int y, int m, int d)
    {
        ASSERT_TRUE(t.EmployeeTable.findKey(Value::integer(employee)));
        t.AttendanceTable.append();
        t.AttendanceTable.setDateTime("Date", core::encodeDate(y, m, d));
        t.AttendanceTable.post();
    }
    std::vector<std::int64_t> column(Cursor& c, const char* name)
    {
        std::vector<std::int64_t> out;
        for (c.first(); !c.eof(); c.next())
            out.push_back(c.asInteger(name));
        return out;
    }
    int sqlCount(const std::string& sql)
    {
        store::Statement st(*s.db, sql);
        st.step();
        return static_cast<int>(st.columnInt(0));
    }
};

TEST_F(CursorTest, EmptyTableReadsAsEmptyValues)
{
    t.openAll();
    Cursor& e = t.EmployeeTable;
    e.first();
    EXPECT_TRUE(e.eof());
    EXPECT_TRUE(e.bof());
    e.last();
    EXPECT_EQ(e.asInteger("No"), 0);
    EXPECT_EQ(e.asReal("NT"), 0.0);
    EXPECT_EQ(e.asText("Name"), "");
    EXPECT_TRUE(e.isNull("Name"));
    EXPECT_EQ(t.PeriodTable.asDateTime("Date"), 0.0);
    EXPECT_FALSE(t.AttendanceTable.asBoolean("Holiday"));
    EXPECT_EQ(e.recordCount(), 0);
}

TEST_F(CursorTest, NavigationFlagsFollowTheRows)
{
    t.openAll();
    for (int no : {3, 1, 2})
        addEmployee(no);
    Cursor& e = t.EmployeeTable;
    EXPECT_EQ(column(e, "No"), (std::vector<std::int64_t>{1, 2, 3}));

    e.first();
    EXPECT_TRUE(e.bof());
    EXPECT_FALSE(e.eof());
    e.next();
    EXPECT_FALSE(e.bof());
    e.last();
    EXPECT_EQ(e.asInteger("No"), 3);
    EXPECT_FALSE(e.eof());
    e.next();
    EXPECT_TRUE(e.eof());
    EXPECT_EQ(e.asInteger("No"), 3);
    e.prior();
    EXPECT_FALSE(e.eof());
    EXPECT_EQ(e.asInteger("No"), 2);
    e.prior();
    e.prior();
    EXPECT_TRUE(e.bof());
    EXPECT_EQ(e.asInteger("No"), 1);
}

TEST_F(CursorTest, PostedRowTakesItsPlaceInOrderAndStaysCurrent)
{
    t.openAll();
    for (int no : {10, 20, 30})
        addEmployee(no);
    Cursor& e = t.EmployeeTable;
    e.first();
    e.edit();
    e.setInteger("No", 25);
    e.post();
    EXPECT_EQ(e.asInteger("No"), 25);
    EXPECT_EQ(e.recNo(), 1);
    EXPECT_EQ(column(e, "No"), (std::vector<std::int64_t>{20, 25, 30}));
    EXPECT_EQ(sqlCount("SELECT count(*) FROM Employee WHERE No = 25"), 1);
}

TEST_F(CursorTest, ColumnNamesMatchWithoutRegardToCase)
{
    t.openAll();
    Cursor& p = t.PeriodTable;
    p.append();
    p.setDateTime("date", core::encodeDate(2026, 12, 10));
    p.setInteger("Shiftno", 1);
    p.post();
    for (const char* name : {"ShiftNo", "Shiftno", "shiftno", "SHIFTNO"})
        EXPECT_EQ(p.asInteger(name), 1) << name;
    try {
        (void)p.asInteger("NoSuchColumn");
        FAIL();
    } catch (const core::Error& e) {
        EXPECT_STREQ(e.what(), "Period: Field 'NoSuchColumn' not found");
    }
}

TEST_F(CursorTest, DayNameIsWorkedOutRightAfterAppendAndWhileEditing)
{
    t.PeriodTable.onCalcFields = workforce::PeriodTableCalcFields;
    t.openAll();
    Cursor& p = t.PeriodTable;
    p.append();
    p.setDateTime("Date", core::encodeDate(2026, 12, 10));
    EXPECT_EQ(p.asText("DOW"), "Thursday");
    p.post();
    EXPECT_EQ(p.asText("DOW"), "Thursday");
    p.edit();
    p.setDateTime("Date", core::encodeDate(2026, 12, 13));
    EXPECT_EQ(p.asText("DOW"), "Sunday");
    p.post();
    EXPECT_EQ(p.rowAt(0).asText("DOW"), "Sunday");
    EXPECT_EQ(sqlCount("SELECT count(*) FROM pragma_table_info('Period') WHERE name = 'DOW'"), 0);
}

TEST_F(CursorTest, RegisterFollowsTheCurrentEmployee)
{
    t.openAll();
    for (int no : {3, 4, 7})
        addEmployee(no);
    addDay(3, 2026, 12, 2);
    addDay(3, 2026, 12, 1);
    addDay(4, 2026, 12, 5);
    addDay(4, 2026, 12, 4);

    ASSERT_TRUE(t.EmployeeTable.findKey(Value::integer(3)));
    EXPECT_EQ(t.AttendanceTable.recordCount(), 2);
    t.AttendanceTable.last();
    t.EmployeeTable.next();
    ASSERT_EQ(t.EmployeeTable.asInteger("No"), 4);
    EXPECT_EQ(t.AttendanceTable.asDateTime("Date"), core::encodeDate(2026, 12, 4));
    EXPECT_TRUE(t.AttendanceTable.bof());

    // An appended register row takes the current employee's number.
    t.EmployeeTable.last();
    ASSERT_EQ(t.EmployeeTable.asInteger("No"), 7);
    t.AttendanceTable.append();
    t.AttendanceTable.setDateTime("Date", core::encodeDate(2026, 12, 9));
    t.AttendanceTable.post();
    EXPECT_EQ(sqlCount("SELECT count(*) FROM Attendance WHERE EmployeeNo = 7"), 1);
    EXPECT_EQ(t.AttendanceTable.asInteger("EmployeeNo"), 7);
}

TEST_F(CursorTest, DeletingUntilEndEmptiesOnlyTheCurrentEmployeesRegister)
{
    t.openAll();
    for (int no : {1, 2, 3})
        addEmployee(no);
    for (int no : {1, 2, 3})
        for (int d = 1; d <= 4; ++d)
            addDay(no, 2026, 12, d);
    ASSERT_TRUE(t.EmployeeTable.findKey(Value::integer(2)));
    Cursor& a = t.AttendanceTable;
    a.moveTo(2); // not from the first row: deletion must still empty the scope
    while (!a.eof())
        a.remove();
    EXPECT_EQ(a.recordCount(), 0);
    EXPECT_EQ(sqlCount("SELECT count(*) FROM Attendance WHERE EmployeeNo = 2"), 0);
    EXPECT_EQ(sqlCount("SELECT count(*) FROM Attendance"), 8);
}

TEST_F(CursorTest, DeleteMakesTheFollowingOrPrecedingRowCurrent)
{
    t.openAll();
    for (int no : {1, 2, 3})
        addEmployee(no);
    Cursor& e = t.EmployeeTable;
    ASSERT_TRUE(e.findKey(Value::integer(2)));
    e.remove();
    EXPECT_EQ(e.asInteger("No"), 3);
    EXPECT_FALSE(e.eof());
    e.remove();
    EXPECT_EQ(e.asInteger("No"), 1);
    EXPECT_FALSE(e.eof());
    e.remove();
    EXPECT_TRUE(e.eof());
    EXPECT_THROW(e.remove(), core::Error);
}

TEST_F(CursorTest, DeletingAnEmployeeKeepsTheirRegisterRows)
{
    t.openAll();
    addEmployee(5);
    addDay(5, 2026, 12, 1);
    t.EmployeeTable.remove();
    EXPECT_EQ(sqlCount("SELECT count(*) FROM Attendance WHERE EmployeeNo = 5"), 1);
    EXPECT_EQ(t.AttendanceTable.recordCount(), 0);
}

TEST_F(CursorTest, ReportFilterHidesZeroAndEmptyRows)
{
    s.db->exec("INSERT INTO History (EmployeeNo, Report) VALUES (1, 1), (2, 0), (3, NULL), (4, 1)");
    t.openAll();
    Cursor& h = t.HistoryTable;
    h.setFilter("Report = 1");
    EXPECT_EQ(h.recordCount(), 4); // set but not yet switched on
    h.setFiltered(true);
    EXPECT_EQ(column(h, "EmployeeNo"), (std::vector<std::int64_t>{1, 4}));
    h.setFiltered(false);
    EXPECT_EQ(column(h, "EmployeeNo"), (std::vector<std::int64_t>{1, 2, 3, 4}));
    h.setFiltered(true);
    h.setFilter("");
    EXPECT_EQ(h.recordCount(), 4);
    EXPECT_THROW(h.setFilter("Nothing = 1"), core::Error);
}

TEST_F(CursorTest, LocateFindsFirstInOrderWithCaseSensitivePrefix)
{
    s.db->exec("INSERT INTO ClkData (Date, Time, MobileNo) VALUES "
               "('2026-12-02', '07:00:00', '0821234567'), ('2026-12-01', '07:00:00', '0821234567'), "
               "('2026-12-01', '06:00:00', 'ab123'), ('2026-12-01', '08:00:00', '0829999999')");
    t.openAll();
    Cursor& c = t.ClkdataTable;
    struct Case {
        const char* value;
        bool prefix;
        bool found;
        const char* date;
        const char* time;
    };
    const Case cases[] = {
        {"0821", true, true, "2026-12-01", "07:00:00"},        {"082", true, true, "2026-12-01", "07:00:00"},
        {"0829999999", false, true, "2026-12-01", "08:00:00"}, {"AB", true, false, nullptr, nullptr},
        {"ab", true, true, "2026-12-01", "06:00:00"},          {"0821", false, false, nullptr, nullptr},
    };
    for (const Case& k : cases) {
        c.last();
        const auto before = c.recNo();
        EXPECT_EQ(c.locate("MobileNo", Value::text(k.value), k.prefix), k.found) << k.value;
        if (k.found) {
            EXPECT_EQ(core::toIsoDate(c.asDateTime("Date")), k.date) << k.value;
            EXPECT_EQ(core::toIsoTime(c.asDateTime("Time")), k.time) << k.value;
        } else {
            EXPECT_EQ(c.recNo(), before) << k.value;
        }
    }
}

TEST_F(CursorTest, FailedPostStaysInEditUntilCancelled)
{
    t.openAll();
    addEmployee(1);
    addEmployee(2);
    Cursor& e = t.EmployeeTable;
    e.last();
    e.edit();
    e.setInteger("No", 1);
    e.setText("Name", "Bob");
    EXPECT_THROW(e.post(), store::SqlError);
    EXPECT_EQ(e.state(), Cursor::State::Edit);
    EXPECT_EQ(sqlCount("SELECT count(*) FROM Employee WHERE Name = 'Bob'"), 0);
    e.cancel();
    EXPECT_EQ(e.asInteger("No"), 2);
    EXPECT_TRUE(e.isNull("Name"));
}

TEST_F(CursorTest, RefusedEditIsToldByCaptionAndCanBeCorrected)
{
    t.openAll();
    addEmployee(1);
    addEmployee(2);
    Cursor& e = t.EmployeeTable;
    e.setCaption("no", "Clock No");
    EXPECT_EQ(e.caption("No"), "Clock No");
    EXPECT_EQ(e.caption("Name"), "Name");
    e.last();
    e.edit();
    e.clear("No");
    e.setText("Name", "Bob");
    // Leaving the row posts it; the refusal keeps the clerk on the row with what was typed.
    try {
        e.first();
        FAIL() << "the row was stored";
    } catch (const store::ConstraintError& err) {
        EXPECT_EQ(std::string(err.what()), "Every employee needs a Clock No: the Clock No of this row is empty. "
                                           "(NOT NULL constraint failed: Employee.No)");
    }
    EXPECT_EQ(e.state(), Cursor::State::Edit);
    EXPECT_EQ(e.recNo(), 1);
    EXPECT_EQ(e.asText("Name"), "Bob");
    e.setInteger("No", 1);
    try {
        e.post();
        FAIL() << "the row was stored";
    } catch (const store::ConstraintError& err) {
        EXPECT_EQ(std::string(err.what()), "Clock No 1 is already used by another employee: each employee needs a "
                                           "Clock No of its own. (UNIQUE constraint failed: Employee.No)");
        ASSERT_EQ(err.columns().size(), 1U);
        EXPECT_EQ(err.columns()[0].value, "1");
    }
    EXPECT_EQ(e.state(), Cursor::State::Edit);
    EXPECT_EQ(s.rows("SELECT No, Name FROM Employee ORDER BY No"), (std::vector<std::string>{"1|NULL", "2|NULL"}));
    e.setInteger("No", 5);
    e.post();
    EXPECT_EQ(s.rows("SELECT No, Name FROM Employee ORDER BY No"), (std::vector<std::string>{"1|NULL", "5|Bob"}));
    // Without a caption the column is named as the table names it.
    e.setCaption("No", "");
    e.last();
    e.edit();
    e.setInteger("No", 1);
    EXPECT_THROW(
        {
            try {
                e.post();
            } catch (const store::ConstraintError& err) {
                EXPECT_EQ(std::string(err.what()), "No 1 is already used by another employee: each employee needs a "
                                                   "No of its own. (UNIQUE constraint failed: Employee.No)");
                throw;
            }
        },
        store::SqlError);
    e.cancel();
}

TEST_F(CursorTest, WritingNeedsEditOrInsert)
{
    t.openAll();
    addEmployee(1);
    EXPECT_THROW(t.EmployeeTable.setText("Name", "x"), core::Error);
    EXPECT_THROW(t.EmployeeTable.setValue("Name", Value::text("x")), core::Error);
}

TEST_F(CursorTest, RefreshSeesOutsideChangesAndKeepsTheCurrentRow)
{
    t.openAll();
    addEmployee(2);
    addEmployee(4);
    t.EmployeeTable.findKey(Value::integer(4));
    s.db->exec("INSERT INTO Employee (No) VALUES (1), (3)");
    s.db->exec("UPDATE Employee SET Name = 'Dee' WHERE No = 4");
    t.EmployeeTable.invalidateCache();
    t.EmployeeTable.refresh();
    EXPECT_EQ(t.EmployeeTable.recordCount(), 4);
    EXPECT_EQ(t.EmployeeTable.asInteger("No"), 4);
    EXPECT_EQ(t.EmployeeTable.asText("Name"), "Dee");
}

TEST_F(CursorTest, TimesAndDatesKeepMillisecondsAndStoreAsText)
{
    t.openAll();
    addEmployee(1);
    addDay(1, 2026, 12, 10);
    Cursor& a = t.AttendanceTable;
    a.edit();
    a.setDateTime("Out1", core::encodeTime(23, 59, 25, 440));
    a.setDateTime("In1", core::encodeTime(0, 0));
    a.post();
    store::Statement st(*s.db, "SELECT Date, In1, Out1, In2 FROM Attendance");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.columnText(0), "2026-12-10");
    EXPECT_EQ(st.columnText(1), "00:00:00");
    EXPECT_EQ(st.columnText(2), "23:59:25.440");
    EXPECT_TRUE(st.isNull(3));
    a.refresh();
    EXPECT_FALSE(a.isNull("In1")); // midnight is a value, not empty
    EXPECT_EQ(core::timeToMs(a.asDateTime("Out1")), core::timeToMs(core::encodeTime(23, 59, 25, 440)));
}

class CountingObserver : public store::CursorObserver {
public:
    int events = 0;
    void cursorChanged(Cursor&, store::CursorEvent) override { ++events; }
};

TEST_F(CursorTest, SuspendedDisplayHearsNothingUntilResumed)
{
    t.openAll();
    CountingObserver view;
    t.EmployeeTable.addObserver(&view);
    t.EmployeeTable.suspendDisplay();
    for (int no = 1; no <= 5; ++no)
        addEmployee(no);
    t.EmployeeTable.first();
    EXPECT_EQ(view.events, 0);
    t.EmployeeTable.resumeDisplay();
    EXPECT_EQ(view.events, 1);
    t.EmployeeTable.next();
    EXPECT_EQ(view.events, 2);
    t.EmployeeTable.removeObserver(&view);
}

TEST_F(CursorTest, LargeTableIsReadByPositionWithoutLoadingRows)
{
    s.db->exec("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 5000) "
               "INSERT INTO History (EmployeeNo, Period, NT) SELECT x, x / 100, x * 0.5 FROM n");
    t.openAll();
    Cursor& h = t.HistoryTable;
    EXPECT_EQ(h.recordCount(), 5000);
    for (int i : {4999, 0, 2500, 137})
        EXPECT_EQ(h.rowAt(i).asInteger("EmployeeNo"), i + 1);
    EXPECT_EQ(h.recNo(), 0);
    h.last();
    EXPECT_DOUBLE_EQ(h.asReal("NT"), 2500.0);
}

} // namespace

namespace {

// A locate on a table of more rows than the cursor keeps in its cache (50,000): the row found
// is compared with others while the cache fills up and is emptied, so the row must be held by
// the locate itself, not by the cache. Run under the sanitizers, a reference into the cache
// read after the cache was emptied is a failure.
TEST_F(CursorTest, LocateOnMoreRowsThanTheCacheHoldsFindsEachRow)
{
    s.db->exec("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 60000) "
               "INSERT INTO Employee (No, Name) SELECT x, 'E' || x FROM n");
    Cursor& e = t.EmployeeTable;
    t.openAll();
    ASSERT_EQ(e.recordCount(), 60000);
    // The first 49,900 rows read (the cache just short of full), then rows beyond them located:
    // each locate's search reads rows not yet in the cache, and one of them fills it up.
    e.first();
    for (int i = 1; i < 49'900; ++i)
        e.next();
    for (int i = 0; i < 300; ++i) {
        const int no = 50'001 + (i * 37) % 10'000;
        ASSERT_TRUE(e.locate("Name", Value::text("E" + std::to_string(no)))) << no;
        ASSERT_EQ(e.asInteger("No"), no);
    }
}

} // namespace
