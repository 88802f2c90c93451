// The demo month from import to totals: every clocking pays once, in one register day, to one
// employee.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/commands.h"
#include "app/demo.h"
#include "app/program.h"
#include "programs.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

class DemoMonthTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<app::Program> p;

    void SetUp() override { p = testsupport::startedDemo(dir.path()); }
    void TearDown() override { p->FormClose(); }

    std::vector<std::string> run(const char* handler, const std::vector<std::string>& open = {})
    {
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        for (const std::string& f : open)
            ui.openFiles.push_back(dir / f);
        app::execute(*p, ui, *app::findCommand(handler));
        return ui.result;
    }

    void importAndProcess()
    {
        run("ImportPreviousdownloadedfiles1Click", {"clockdata.txt"});
        run("DownloadfromBiometricUnit1Click", {"scanner.dat"});
        run("ProcessClockData1Click");
    }

    double total(int employee, const char* column)
    {
        store::Statement st(p->db(), std::string("SELECT ") + column + " FROM Employee WHERE No = ?");
        st.bind(1, static_cast<std::int64_t>(employee));
        return st.step() ? st.columnReal(0) : -1;
    }
};

TEST_F(DemoMonthTest, EveryFilledRegisterCellHoldsAClockingNoOtherCellHolds)
{
    importAndProcess();
    // The placed clockings of each employee: (employee, date, time) -> how many cells hold it.
    std::map<std::tuple<std::int64_t, std::string, std::string>, int> held;
    {
        store::Statement st(p->db(), "SELECT e.No, c.Date, c.Time FROM ClkData c JOIN Employee e ON c.MobileNo IN "
                                     "(e.MobileNo, e.PayrollNo) WHERE c.Used = 1");
        while (st.step())
            held[{st.columnInt(0), st.columnText(1), st.columnText(2)}] = 0;
    }
    ASSERT_GT(held.size(), 400u);
    int cells = 0;
    store::Statement st(p->db(), "SELECT EmployeeNo, Date, date(Date, '-1 day'), date(Date, '+1 day'), In1, Out1, In2, "
                                 "Out2, In3, Out3, In4, Out4, In5, Out5 FROM Attendance");
    while (st.step()) {
        for (int col = 4; col < 14; ++col) {
            if (st.isNull(col))
                continue;
            ++cells;
            // A cell holds a time of day; its clocking is dated that day or the one before or after.
            int matches = 0;
            for (int d = 1; d <= 3; ++d) {
                const auto it = held.find({st.columnInt(0), st.columnText(d), st.columnText(col)});
                if (it != held.end()) {
                    ++it->second;
                    ++matches;
                }
            }
            EXPECT_EQ(matches, 1) << st.columnInt(0) << " " << st.columnText(1) << " " << st.columnText(col);
        }
    }
    for (const auto& [clocking, count] : held)
        EXPECT_EQ(count, 1) << std::get<0>(clocking) << " " << std::get<1>(clocking) << " " << std::get<2>(clocking);
    EXPECT_EQ(cells, static_cast<int>(held.size()));
}

TEST_F(DemoMonthTest, AColleagueClockingBetweenTwoInsAtTheGateDoesNotKeepTheDouble)
{
    // A colleague clocks between Thandi's two INs of 4 March (07:58:24 and 07:59:34).
    p->db().exec("INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES "
                 "('2026-03-04', '07:59:00', '0837654321', 'IN', 0)");
    importAndProcess();
    run("Summarise1Click");
    EXPECT_NEAR(total(1, "NT"), 177.4425, 1e-9);
}

// March posted, April begins: the clockings of 31 March, which March placed, are in April's
// import window but are neither placed again nor listed.
TEST_F(DemoMonthTest, APostedPeriodsClockingsAreNotListedByTheNextOne)
{
    importAndProcess();
    run("Summarise1Click");
    run("POSTtoHISTORYFILE1Click");
    run("Button3Click"); // Next Month
    const std::vector<std::string> log = run("ProcessClockData1Click");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "Reset and Process Clock Data: 0 clockings placed, 0 not placed");
    for (const std::string& line : log)
        EXPECT_EQ(line.find("3/31/26"), std::string::npos) << line;
}

} // namespace
