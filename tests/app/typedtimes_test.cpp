// A register time typed into the grid is kept on record, marked, and outlives the rebuild of
// the register.

#include <gtest/gtest.h>

#include <QLocale>

#include "app/commands.h"
#include "app/program.h"
#include "core/error.h"
#include "core/regional.h"
#include "programs.h"
#include "register/typedtimes.h"
#include "store/sqlite.h"
#include "store/tables.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using core::Value;

class TypedTimesTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<app::Program> p;

    void SetUp() override
    {
        // The moment of a change: this day, pinned.
        p = testsupport::startedProgram(dir.path(), core::encodeDate(2024, 4, 10));
        auto& db = p->db();
        db.exec("INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO) VALUES "
                "(1, '08:00:00', '17:00:00', '08:00:00', '17:00:00')");
        db.exec("INSERT INTO Employee (No, Name, MobileNo, FlexiTime, ShiftNo, Lunch, HrsBefore, Play) VALUES "
                "(1, 'Ann', '0821', 'NO', 1, 0, 5, 0)");
        db.exec("INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4), "
                "('2024-04-02', 1, 2, 4)");
        db.exec("INSERT INTO ClkData (MobileNo, Date, Time, Status) VALUES ('0821', '2024-04-01', '08:00:00', 'IN')");
        for (store::Cursor* c : p->tables().inOrder())
            c->refresh();
        process();
    }
    void TearDown() override { p->FormClose(); }

    /// Runs a command (every question answered Yes) and returns the Result lines it wrote.
    std::vector<std::string> run(const char* handler = "ProcessClockData1Click")
    {
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        app::execute(*p, ui, *app::findCommand(handler));
        return ui.result;
    }
    void process() { run(); }
    std::string rows(const std::string& sql)
    {
        store::Statement st(p->db(), sql);
        std::string out;
        while (st.step()) {
            for (int i = 0; i < st.columnCount(); ++i)
                out += (i ? "|" : "") + st.columnText(i);
            out += "\n";
        }
        return out;
    }
    /// Types a time into the register's cell the way the grid does: edit, set, post.
    void type(const char* date, const char* field, std::optional<core::DateTime> time)
    {
        store::Cursor& a = p->tables().AttendanceTable;
        ASSERT_TRUE(p->tables().EmployeeTable.findKey(Value::integer(1)));
        ASSERT_TRUE(a.locate("Date", Value::date(*core::parseIsoDate(date))));
        a.edit();
        a.setValue(field, time ? Value::time(*time) : Value());
        a.post();
    }
    bool marked(const char* date, const char* field)
    {
        store::Cursor& a = p->tables().AttendanceTable;
        EXPECT_TRUE(a.locate("Date", Value::date(*core::parseIsoDate(date))));
        registers::TypedTimes typed(p->db());
        return typed.typed(a.record(), field);
    }
};

TEST_F(TypedTimesTest, ATypedTimeIsRecordedAndMarkedAndAClockedOneIsNot)
{
    // The clocked IN of the 1st is placed; the forgotten OUT is typed.
    ASSERT_EQ(rows("SELECT In1, ifnull(Out1, '') FROM Attendance WHERE Date = '2024-04-01'"), "08:00:00|\n");
    type("2024-04-01", "Out1", core::encodeTime(17, 0, 0, 0));
    EXPECT_EQ(rows("SELECT EmployeeNo, Date, Field, OldValue, NewValue, ChangedAt FROM TypedTimes"),
              "1|2024-04-01|Out1||17:00:00|2024-04-10 00:00:00\n");
    EXPECT_TRUE(marked("2024-04-01", "Out1"));
    EXPECT_FALSE(marked("2024-04-01", "In1")) << "clocked";
    EXPECT_FALSE(marked("2024-04-02", "Out1"));

    // A change of a typed time, and a time cleared, are recorded as well.
    type("2024-04-01", "Out1", core::encodeTime(16, 30, 0, 0));
    type("2024-04-01", "In1", std::nullopt);
    EXPECT_EQ(rows("SELECT Field, OldValue, NewValue FROM TypedTimes ORDER BY Inc"),
              "Out1||17:00:00\nOut1|17:00:00|16:30:00\nIn1|08:00:00|\n");
    EXPECT_TRUE(marked("2024-04-01", "Out1"));
    EXPECT_FALSE(marked("2024-04-01", "In1")) << "an empty cell shows no mark";
}

// A typed time and its record are one change: when the record cannot be written, neither is
// the time, and the row stays in edit for the clerk.
TEST_F(TypedTimesTest, ATimeIsNotStoredWithoutItsRecord)
{
    p->db().exec(
        "CREATE TEMP TRIGGER NoRecord BEFORE INSERT ON TypedTimes BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_THROW(type("2024-04-01", "Out1", core::encodeTime(17, 0, 0, 0)), std::exception);
    EXPECT_EQ(p->tables().AttendanceTable.state(), store::Cursor::State::Edit);
    p->tables().AttendanceTable.cancel();
    EXPECT_EQ(rows("SELECT ifnull(Out1, '') FROM Attendance WHERE Date = '2024-04-01'"), "\n");
    EXPECT_EQ(rows("SELECT count(*) FROM TypedTimes"), "0\n");
}

// The nightly runner rebuilt the register while the window showed it: the typed time went
// into no row, and the clerk is told so instead of a time recorded that was never stored.
TEST_F(TypedTimesTest, AnEditOfARowAnotherProgramRemovedFailsAndReadsTheGridAgain)
{
    store::Cursor& a = p->tables().AttendanceTable;
    ASSERT_TRUE(p->tables().EmployeeTable.findKey(Value::integer(1)));
    ASSERT_TRUE(a.locate("Date", Value::date(*core::parseIsoDate("2024-04-01"))));
    a.edit();
    a.setValue("Out1", Value::time(core::encodeTime(17, 0, 0, 0)));
    // What a rebuild does: the rows go and come back under new identities.
    p->db().exec("INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1) "
                 "SELECT EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1 FROM Attendance");
    p->db().exec("DELETE FROM Attendance WHERE Inc IN (SELECT min(Inc) FROM Attendance GROUP BY Date)");
    try {
        a.post();
        FAIL() << "posted";
    } catch (const core::Error& e) {
        EXPECT_NE(std::string(e.what()).find("is no longer in the table: another program changed the table meanwhile"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(a.state(), store::Cursor::State::Browse);
    EXPECT_EQ(a.recordCount(), 2) << "read again";
    EXPECT_EQ(rows("SELECT count(*) FROM TypedTimes"), "0\n");
    EXPECT_EQ(rows("SELECT count(*) FROM Attendance WHERE Out1 IS NOT NULL"), "0\n");
}

TEST_F(TypedTimesTest, ATypedTimeOutlivesEveryPassAndIsPosted)
{
    const auto out1 = [&] { return rows("SELECT ifnull(Out1, '') FROM Attendance WHERE Date = '2024-04-01'"); };
    // The forgotten clock-out typed, then the register rebuilt (a late scanner file came in).
    type("2024-04-01", "Out1", core::encodeTime(17, 0, 0, 0));
    EXPECT_EQ(run().back(), "Reset and Process Clock Data: 1 clocking placed, 0 not placed, 1 typed time put back");
    EXPECT_EQ(out1(), "17:00:00\n");
    EXPECT_TRUE(marked("2024-04-01", "Out1"));

    // Typed again: the latest typed value is the one that stands.
    type("2024-04-01", "Out1", core::encodeTime(16, 30, 0, 0));
    run();
    EXPECT_EQ(out1(), "16:30:00\n");

    // The OUT turns up after all: the pass of the new clock data puts it in the next free
    // Out; the next rebuild places it in Out1, where the typed time keeps it out and says so.
    p->db().exec("INSERT INTO ClkData (MobileNo, Date, Time, Status) VALUES ('0821', '2024-04-01', '17:05:00', 'OUT')");
    p->tables().ClkdataTable.refresh();
    EXPECT_EQ(run("AddClockDataToExistingRegister1Click").back(),
              "Process the New Clock Data: 1 clocking placed, 0 not placed");
    EXPECT_EQ(rows("SELECT Out1, Out2 FROM Attendance WHERE Date = '2024-04-01'"), "16:30:00|17:05:00\n");
    EXPECT_EQ(run(), (std::vector<std::string>{
                         "Clockings that a time typed into the register keeps out:",
                         "0821 - 4/1/24 5:05:00 PM - OUT - Out1 typed 4:30:00 PM on 4/1/24",
                         "Reset and Process Clock Data: 1 clocking placed, 0 not placed, 1 typed time put back"}));
    EXPECT_EQ(rows("SELECT In1, Out1, ifnull(Out2, '') FROM Attendance WHERE Date = '2024-04-01'"),
              "08:00:00|16:30:00|\n");

    // A cell typed empty stays empty: the clocked IN does not come back.
    type("2024-04-01", "In1", std::nullopt);
    run();
    EXPECT_EQ(rows("SELECT ifnull(In1, '') FROM Attendance WHERE Date = '2024-04-01'"), "\n");
    type("2024-04-01", "In1", core::encodeTime(8, 0, 0, 0));
    run();

    // Posting carries the typed time into the history.
    run("Summarise1Click");
    run("POSTtoHISTORYFILE1Click");
    EXPECT_EQ(rows("SELECT In1, Out1, NT FROM History WHERE Date = '2024-04-01'"), "08:00:00|16:30:00|8.5\n");

    // The record itself is never changed or removed.
    EXPECT_THROW(p->db().exec("UPDATE TypedTimes SET NewValue = '18:00:00'"), std::exception);
    EXPECT_THROW(p->db().exec("DELETE FROM TypedTimes"), std::exception);
    EXPECT_EQ(rows("SELECT count(*) FROM TypedTimes"), "4\n");
}

} // namespace
