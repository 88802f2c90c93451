// One clock number clocks for one employee, and slot 1 (the day job) keeps within a day: the
// grids refuse what would pay a clocking twice or a night wrongly, and so does the import.

#include <gtest/gtest.h>

#include <string>

#include "app/commands.h"
#include "app/program.h"
#include "core/error.h"
#include "programs.h"
#include "store/sqlite.h"
#include "store/tables.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

class ClockNumbersTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<app::Program> p;
    store::Cursor* employees = nullptr;
    store::Cursor* shifts = nullptr;

    void SetUp() override
    {
        p = testsupport::startedProgram(dir.path(), core::encodeDate(2024, 4, 10));
        p->db().exec("INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES "
                     "(1, 'Thandi Mokoena', '0821234567', 'P1', 1), (2, 'Pieter van Wyk', '0831234567', NULL, 1)");
        employees = &p->tables().EmployeeTable;
        shifts = &p->tables().ShiftsTable;
        employees->refresh();
    }
    void TearDown() override { p->FormClose(); }

    std::string stored(const std::string& sql)
    {
        store::Statement st(p->db(), sql);
        std::string out;
        while (st.step())
            out += (out.empty() ? "" : ";") + st.columnText(0);
        return out;
    }
};

TEST_F(ClockNumbersTest, ANumberAnotherEmployeeHasIsRefusedInTheGrid)
{
    struct Case {
        const char* what;
        const char* column;
        const char* number;
        const char* refusal; ///< empty: accepted
    } const cases[] = {
        {"another's MobileNo as MobileNo", "MobileNo", "0821234567",
         "MobileNo 0821234567 is already the clock number of employee 1 Thandi Mokoena: one clock number clocks for "
         "one employee only."},
        {"another's PayrollNo as MobileNo", "MobileNo", "P1",
         "MobileNo P1 is already the clock number of employee 1 Thandi Mokoena: one clock number clocks for one "
         "employee only."},
        {"another's MobileNo as PayrollNo", "PayrollNo", "0831234567",
         "PayrollNo 0831234567 is already the clock number of employee 2 Pieter van Wyk: one clock number clocks "
         "for one employee only."},
        {"a number of its own", "MobileNo", "0841234567", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        employees->append();
        employees->setInteger("No", 3);
        employees->setText("Name", "New Hand");
        employees->setText(c.column, c.number);
        if (*c.refusal) {
            try {
                employees->post();
                ADD_FAILURE() << "posted";
            } catch (const core::Error& e) {
                EXPECT_EQ(std::string(e.what()), c.refusal);
            }
            // The row stays for the clerk to correct; nothing was written.
            EXPECT_EQ(employees->state(), store::Cursor::State::Insert);
            employees->cancel();
            EXPECT_EQ(stored("SELECT count(*) FROM Employee"), "2");
        } else {
            employees->post();
            EXPECT_EQ(stored("SELECT MobileNo FROM Employee WHERE No = 3"), c.number);
        }
    }
}

TEST_F(ClockNumbersTest, AnEditThatKeepsTheNumbersIsNotRefusedByAPairAlreadyStored)
{
    // A pair stored before the check existed: the clerk can still correct a name, and moving
    // the number onto the other employee is refused.
    p->db().exec("UPDATE Employee SET PayrollNo = '0821234567' WHERE No = 2");
    employees->refresh();
    ASSERT_TRUE(employees->findKey(core::Value::integer(2)));
    employees->edit();
    employees->setText("Name", "Pieter J van Wyk");
    employees->post();
    EXPECT_EQ(stored("SELECT Name FROM Employee WHERE No = 2"), "Pieter J van Wyk");

    ASSERT_TRUE(employees->findKey(core::Value::integer(1)));
    employees->edit();
    employees->setText("PayrollNo", "0831234567");
    EXPECT_THROW(employees->post(), core::Error);
    employees->cancel();
    EXPECT_EQ(stored("SELECT PayrollNo FROM Employee WHERE No = 1"), "P1");
}

TEST_F(ClockNumbersTest, TheImportRefusesANumberInUseAndGoesOn)
{
    const auto file = dir.path() / "Employees.csv";
    testsupport::writeFile(file, "10,Sipho Ndlovu,0821234567,P10,\r\n"
                                 "11,Maria Santos,0851234567,P11,\r\n"
                                 "12,Anna Twin,0851234567,P12,\r\n");
    testsupport::FakeServices ui;
    ui.openFiles.push_back(file);
    app::execute(*p, ui, *app::findCommand("ImportEmployees1Click"));
    EXPECT_EQ(stored("SELECT No FROM Employee ORDER BY No"), "1;2;11");
    EXPECT_EQ(ui.result, (std::vector<std::string>{
                             "10,Sipho Ndlovu,0821234567,P10,:MobileNo 0821234567 is already the clock number of "
                             "employee 1 Thandi Mokoena: one clock number clocks for one employee only.",
                             "12,Anna Twin,0851234567,P12,:MobileNo 0851234567 is already the clock number of employee "
                             "11 Maria Santos: one clock number clocks for one employee only."}));
}

// "Delete Double Clock Entries" from the menu on a gate's morning, stored out of order: each
// phone's clockings are compared with its own, whoever clocked between them.
TEST_F(ClockNumbersTest, TheMenuCommandDeletesEachPhonesDoublesAmongOthers)
{
    p->db().exec("INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES "
                 "('2024-04-02', '07:59:34', '0821234567', 'IN', 0),"  // 1 double of 3
                 "('2024-04-02', '07:58:50', '0831234567', 'IN', 0),"  // 2
                 "('2024-04-02', '07:58:24', '0821234567', 'IN', 0),"  // 3
                 "('2024-04-02', '10:04:00', '0821234567', 'in', 0),"  // 4 a short break: stays
                 "('2024-04-02', '10:00:00', '0821234567', 'OUT', 0)," // 5
                 "('2024-04-02', '07:59:10', '0831234567', 'IN', 0),"  // 6 double of 2
                 "('2024-04-02', '07:59:00', '0841234567', 'IN', 0),"  // 7 a third phone between
                 "('2024-04-02', '17:01:00', '0831234567', 'OUT', 0)," // 8
                 "('2024-04-02', '17:03:00', '0831234567', 'OUT', 0)"  // 9 double of 8
    );
    p->tables().ClkdataTable.refresh();
    testsupport::FakeServices ui;
    app::execute(*p, ui, *app::findCommand("DeleteDoubleClockEntries1Click"));
    EXPECT_EQ(stored("SELECT Inc FROM ClkData ORDER BY Inc"), "2;3;4;5;7;8");
    EXPECT_EQ(p->tables().ClkdataTable.recordCount(), 6);
}

TEST_F(ClockNumbersTest, SlotOneMayNotRunAcrossMidnight)
{
    struct Case {
        int slot;
        const char* from;
        const char* to;
        bool refused;
    } const cases[] = {
        {1, "22:00:00", "06:00:00", true},
        {1, "16:00:00", "00:00:00", false}, // to midnight itself
        {1, "08:00:00", "17:00:00", false},
        {3, "22:00:00", "06:00:00", false}, // night shifts belong in slots 2 to 6
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.slot) + " " + c.from + " " + c.to);
        p->db().exec("DELETE FROM Shifts");
        shifts->refresh();
        shifts->append();
        shifts->setInteger("No", c.slot);
        shifts->setValue("Tue_TI", core::Value::time(*core::parseIsoTime(c.from)));
        shifts->setValue("Tue_TO", core::Value::time(*core::parseIsoTime(c.to)));
        if (c.refused) {
            try {
                shifts->post();
                ADD_FAILURE() << "posted";
            } catch (const core::Error& e) {
                EXPECT_EQ(std::string(e.what()), "Slot 1 is the day job and may not run across midnight, as it would "
                                                 "on Tuesday (10:00:00 PM to 6:00:00 AM): night shifts belong in "
                                                 "slots 2 to 6.");
            }
            shifts->cancel();
            EXPECT_EQ(stored("SELECT count(*) FROM Shifts"), "0");
        } else {
            shifts->post();
            EXPECT_EQ(stored("SELECT Tue_TO FROM Shifts"), c.to);
        }
    }
}

} // namespace
