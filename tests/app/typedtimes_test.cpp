// A register time typed into the grid is kept on record, marked, and outlives the rebuild of
// the register.

#include <gtest/gtest.h>

#include <QLocale>

#include "app/commands.h"
#include "app/program.h"
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

    void process()
    {
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        app::execute(*p, ui, *app::findCommand("ProcessClockData1Click"));
    }
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

TEST_F(TypedTimesTest, TheRecordOutlivesTheRebuildAndIsNeverChanged)
{
    type("2024-04-01", "Out1", core::encodeTime(17, 0, 0, 0));
    process(); // the register is rebuilt from the clockings: the typed OUT is gone from it
    EXPECT_EQ(rows("SELECT ifnull(Out1, '') FROM Attendance WHERE Date = '2024-04-01'"), "\n");
    EXPECT_FALSE(marked("2024-04-01", "Out1"));
    EXPECT_EQ(rows("SELECT Field, NewValue FROM TypedTimes"), "Out1|17:00:00\n");
    EXPECT_THROW(p->db().exec("UPDATE TypedTimes SET NewValue = '18:00:00'"), std::exception);
    EXPECT_THROW(p->db().exec("DELETE FROM TypedTimes"), std::exception);
    EXPECT_EQ(rows("SELECT Field, NewValue FROM TypedTimes"), "Out1|17:00:00\n");
}

} // namespace
