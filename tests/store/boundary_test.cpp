// The common end of every command: the cursors of the tables it wrote read afresh and placed,
// the bar at rest and the transaction committed, also when the command fails.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/datetime.h"
#include "core/error.h"
#include "core/services.h"
#include "store/sqlite.h"
#include "store/tables.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using store::Table;
using testsupport::FakeServices;

class BoundaryTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Tables& t = *s.tables;
    FakeServices ui;

    void SetUp() override
    {
        s.exec("INSERT INTO ClkData (Date, Time, MobileNo) VALUES ('2024-04-01', '08:00:00', '0821'), "
               "('2024-04-01', '09:00:00', '0822');"
               "INSERT INTO History (Period, EmployeeNo, Date) VALUES (1, 1, '2024-04-01');"
               "INSERT INTO Employee (No, Name) VALUES (1, 'Ann'), (2, 'Ben');"
               "INSERT INTO Attendance (EmployeeNo, Date) VALUES (1, '2024-04-01'), (1, '2024-04-02'), "
               "(2, '2024-04-01')");
        t.openAll();
    }

    /// SQL of a command's own: rows the cursors do not know of yet.
    void writeBehindTheCursors()
    {
        s.db->exec("INSERT INTO ClkData (Date, Time, MobileNo) VALUES ('2024-04-01', '07:00:00', '0823');"
                   "INSERT INTO History (Period, EmployeeNo, Date) VALUES (1, 1, '2024-04-02')");
    }

    int count(const std::string& table)
    {
        store::Statement st(*s.db, "SELECT count(*) FROM " + table);
        st.step();
        return static_cast<int>(st.columnInt(0));
    }
};

TEST_F(BoundaryTest, ReadsAfreshOnlyTheTablesTheCommandWrites)
{
    store::runCommand(*s.db, t, &ui, {{Table::Clkdata}, {}}, [&] {
        ui.setProgressCaption("Working...");
        ui.setProgressPosition(7);
        writeBehindTheCursors();
    });

    EXPECT_EQ(t.ClkdataTable.recordCount(), 3);
    // History was not named: a large history is not re-read for a command that leaves it be.
    EXPECT_EQ(t.HistoryTable.recordCount(), 1);
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(ui.position, 0);
    EXPECT_FALSE(s.db->inTransaction());
}

TEST_F(BoundaryTest, FailedCommandKeepsWhatItWroteAndStillTidiesUp)
{
    t.ClkdataTable.last();
    try {
        store::runCommand(*s.db, t, &ui, {{Table::Clkdata, Table::History}, {Table::Clkdata}}, [&] {
            ui.setProgressCaption("Importing clock data...");
            ui.setProgressPosition(500);
            writeBehindTheCursors();
            throw core::Error("line 3: '2024/13/01' is not a valid date");
        });
        FAIL() << "the command's error was not passed on";
    } catch (const core::Error& e) {
        EXPECT_STREQ(e.what(), "line 3: '2024/13/01' is not a valid date");
    }

    // Committed: the rows written before the error stay, and the grids show them.
    EXPECT_FALSE(s.db->inTransaction());
    EXPECT_EQ(count("ClkData"), 3);
    EXPECT_EQ(t.ClkdataTable.recordCount(), 3);
    EXPECT_EQ(t.HistoryTable.recordCount(), 2);
    EXPECT_EQ(t.ClkdataTable.recNo(), 0);
    EXPECT_EQ(t.ClkdataTable.asText("MobileNo"), "0823");
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(ui.position, 0);
}

TEST_F(BoundaryTest, FirstRowsPutTheRegisterOnTheFirstEmployeesFirstDay)
{
    t.EmployeeTable.last();
    t.AttendanceTable.last();
    ASSERT_EQ(t.EmployeeTable.asInteger("No"), 2);

    store::runCommand(*s.db, t, &ui, {{Table::Employee, Table::Attendance}, {Table::Employee, Table::Attendance}},
                      [&] { s.db->exec("INSERT INTO Attendance (EmployeeNo, Date) VALUES (1, '2024-03-31')"); });

    EXPECT_EQ(t.EmployeeTable.asInteger("No"), 1);
    EXPECT_EQ(t.AttendanceTable.recordCount(), 3);
    EXPECT_EQ(t.AttendanceTable.recNo(), 0);
    EXPECT_EQ(core::toIsoDate(t.AttendanceTable.asDateTime("Date")), "2024-03-31");
}

TEST_F(BoundaryTest, ARowLeftInEditStaysForTheClerk)
{
    // The command's row breaks a rule of the table: it stays in edit, unposted, and the
    // clean-up neither posts it again nor stops before the other cursors it reads afresh.
    store::Cursor& e = t.EmployeeTable;
    EXPECT_THROW(store::runCommand(*s.db, t, &ui, {{Table::Employee, Table::Clkdata}, {Table::Employee}},
                                   [&] {
                                       writeBehindTheCursors();
                                       e.append();
                                       e.setInteger("No", 2);
                                       e.post();
                                   }),
                 store::ConstraintError);
    EXPECT_EQ(e.state(), store::Cursor::State::Insert);
    EXPECT_EQ(e.asInteger("No"), 2);
    EXPECT_EQ(t.ClkdataTable.recordCount(), 3);
    e.cancel();
    EXPECT_EQ(count("Employee"), 2);
    EXPECT_FALSE(s.db->inTransaction());
}

TEST_F(BoundaryTest, KeepProgressLeavesABackgroundTasksCaption)
{
    store::runCommand(
        *s.db, t, &ui, {}, [&] { ui.setProgressCaption("Downloading the clock-data file acme.txt ..."); },
        [] { return true; });
    EXPECT_EQ(ui.caption, "Downloading the clock-data file acme.txt ...");
}

TEST_F(BoundaryTest, InsideAnOpenTransactionTheCallerCommits)
{
    store::Transaction outer(*s.db);
    store::runCommand(*s.db, t, &ui, {{Table::Clkdata}, {}}, [&] { writeBehindTheCursors(); });
    EXPECT_TRUE(s.db->inTransaction());
    EXPECT_EQ(t.ClkdataTable.recordCount(), 3);
    outer.rollback();
    EXPECT_EQ(count("ClkData"), 2);
}

TEST(TableSet, NamesItsTables)
{
    const store::TableSet some{Table::Employee, Table::Perhistory};
    EXPECT_TRUE(some.contains(Table::Employee));
    EXPECT_TRUE(some.contains(Table::Perhistory));
    EXPECT_FALSE(some.contains(Table::History));
    EXPECT_FALSE(store::TableSet{}.contains(Table::Employee));
}

} // namespace
