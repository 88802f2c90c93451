// What the commands' adapters keep in the program beyond the logic's results: the mode of the
// next clock-processing pass, the pay period number after a posting, and where the employee
// grid stands afterwards.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/program.h"
#include "core/error.h"
#include "store/sqlite.h"
#include "store/tables.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using testsupport::FakeServices;

constexpr const char* kResetQuestion = "RESET all Registers and Process Clock Data?";

class CommandsTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<app::Program> p;
    FakeServices ui;

    void SetUp() override
    {
        app::ProgramOptions o;
        o.home = dir.path();
        o.today = core::encodeDate(2024, 4, 10);
        o.regional = testsupport::usRegional();
        p = std::make_unique<app::Program>(o);
        p->FormCreate();
        p->FormShow();
        p->db().exec(R"(
            INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES
                (1, 'Ann', '0821', 'P1', 1), (2, 'Ben', '0822', 'P2', 1), (3, 'Cara', '0823', 'P3', 1);
            INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
            INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
            INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES ('2024-04-01', '08:00:00', '0821', 'IN', 0);
        )");
        for (store::Cursor* c : p->tables().inOrder())
            c->refresh();
    }
    void TearDown() override { p->FormClose(); }

    void run(const char* handler) { app::execute(*p, ui, *app::findCommand(handler)); }

    std::string firstIn()
    {
        store::Statement st(p->db(), "SELECT ifnull(In1, '-') FROM Attendance WHERE EmployeeNo = 1");
        return st.step() ? st.columnText(0) : std::string("no row");
    }
};

TEST_F(CommandsTest, ResetattFollowsThePasses)
{
    EXPECT_EQ(p->resetatt, 1);
    ui.answers = {true};
    run("ProcessClockData1Click");
    EXPECT_EQ(p->resetatt, 1);
    EXPECT_EQ(firstIn(), "08:00:00");

    // A failed "Process the New Clock Data" leaves resetatt 0 ...
    p->db().exec("INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES "
                 "('2024-04-01', '17:00:00', '0821', 'OUT', 0);"
                 "CREATE TRIGGER NoMarks BEFORE UPDATE OF Used ON ClkData BEGIN SELECT RAISE(ABORT, 'disk says no'); "
                 "END;");
    EXPECT_THROW(run("AddClockDataToExistingRegister1Click"), core::Error);
    EXPECT_EQ(p->resetatt, 0);

    // ... so the next pass adds to the register without asking, and then sets it back to 1.
    p->db().exec("DROP TRIGGER NoMarks");
    ui.questions.clear();
    run("ProcessClockData1Click");
    EXPECT_EQ(ui.questions, std::vector<std::string>{});
    EXPECT_EQ(p->resetatt, 1);

    // A declined reset leaves everything, resetatt included, as it was.
    ui.answers = {false};
    run("ProcessClockData1Click");
    EXPECT_EQ(ui.questions, std::vector<std::string>{kResetQuestion});
    EXPECT_EQ(p->resetatt, 1);
}

TEST_F(CommandsTest, PostingMovesTheNumberBoxOnAndLeavesTheGridOnTheLastEmployee)
{
    p->setup.number = "7";
    p->tables().EmployeeTable.first();
    ui.answers = {true};

    run("POSTtoHISTORYFILE1Click");

    EXPECT_EQ(p->setup.number, "8");
    EXPECT_EQ(p->periodno, 8);
    EXPECT_GT(ui.fieldChanges, 0);
    EXPECT_EQ(p->tables().EmployeeTable.asInteger("No"), 3);
    EXPECT_EQ(p->tables().PerhistoryTable.recordCount(), 1);
    EXPECT_EQ(p->tables().SummariesTable.recordCount(), 3);
}

TEST_F(CommandsTest, NoPostingLeavesTheNumberBox)
{
    struct Case {
        const char* what;
        const char* number;
        bool yes;
    };
    for (const Case& c : {Case{"answered No", "7", false}, Case{"a number that is not whole", "7x", true}}) {
        SCOPED_TRACE(c.what);
        p->setup.number = c.number;
        p->periodno = 0;
        ui.fieldChanges = 0;
        p->tables().EmployeeTable.first();
        ui.answers = {c.yes};
        try {
            run("POSTtoHISTORYFILE1Click");
        } catch (const core::Error&) {
        }
        EXPECT_EQ(p->setup.number, c.number);
        EXPECT_EQ(p->periodno, 0);
        EXPECT_EQ(ui.fieldChanges, 0);
        EXPECT_EQ(p->tables().EmployeeTable.asInteger("No"), 1);
        EXPECT_EQ(p->tables().PerhistoryTable.recordCount(), 0);
    }
}

TEST_F(CommandsTest, PayrollFileLeavesTheGridOnTheLastEmployee)
{
    for (const char* handler : {"ExportNTOT1OT2HT1Click", "ExportNTHTOT1OT21Click"}) {
        SCOPED_TRACE(handler);
        p->tables().EmployeeTable.first();
        ui.saveFiles.push_back(std::nullopt); // cancelled: the grid stays
        run(handler);
        EXPECT_EQ(p->tables().EmployeeTable.asInteger("No"), 1);
        ui.saveFiles.push_back(dir / "payroll.csv");
        run(handler);
        EXPECT_EQ(p->tables().EmployeeTable.asInteger("No"), 3);
    }
}

} // namespace
