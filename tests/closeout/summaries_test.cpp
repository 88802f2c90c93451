// Summarise and "Apply FULL HOURS work before OVERTIME" on the employee totals.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "closeout/summaries.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using closeout::FullHoursTotals;
using testsupport::FakeServices;

/// The five totals of an employee row; an empty column reads as nullopt.
struct Totals {
    std::optional<double> nt, ot1, ot2, ht, full;
    friend bool operator==(const Totals&, const Totals&) = default;
};

void PrintTo(const Totals& t, std::ostream* os)
{
    auto one = [&](const std::optional<double>& v) {
        if (v)
            *os << *v;
        else
            *os << "NULL";
    };
    *os << "{NT ";
    one(t.nt);
    *os << ", OT1 ";
    one(t.ot1);
    *os << ", OT2 ";
    one(t.ot2);
    *os << ", HT ";
    one(t.ht);
    *os << ", FullHrs ";
    one(t.full);
    *os << "}";
}

class TotalsTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Database& db = *s.db;
    store::Tables& t = *s.tables;
    FakeServices ui;

    void SetUp() override { t.openAll(); }

    void sql(const std::string& text) { s.exec(text); }

    /// Runs "Summarise" or "Apply FULL HOURS work before OVERTIME" as its command does: the
    /// employee cursor read afresh, the employee and register cursors on their first rows.
    template <typename F>
    void run(F&& command)
    {
        using T = store::Table;
        testsupport::asCommand(s, ui, {{T::Employee}, {T::Employee, T::Attendance}}, command);
    }

    Totals totalsOf(int employee)
    {
        store::Statement st(db, "SELECT NT, OT1, OT2, HT, FullHrs FROM Employee WHERE No = ?");
        st.bind(1, employee);
        if (!st.step()) {
            ADD_FAILURE() << "no employee " << employee;
            return {};
        }
        auto v = [&](int c) { return st.isNull(c) ? std::nullopt : std::optional<double>(st.columnReal(c)); };
        return {v(0), v(1), v(2), v(3), v(4)};
    }

    std::string registerDump()
    {
        store::Statement st(db, "SELECT * FROM Attendance ORDER BY Inc");
        std::string out;
        while (st.step()) {
            for (int i = 0; i < st.columnCount(); ++i)
                out += (st.isNull(i) ? std::string("NULL") : st.columnText(i)) + "|";
            out += "\n";
        }
        return out;
    }
};

// ---------------------------------------------------------------------------------------------
// Summarise

class SummariseTest : public TotalsTest {};

TEST_F(SummariseTest, AddsUpEachEmployeesDaysWithTheEmployeesOwnRules)
{
    // Listed out of number order, with stale totals from an earlier run.
    sql("INSERT INTO Employee (No, Name, FlexiTime, Lunch, HrsBefore, Play, NT, OT1, OT2, HT, FullHrs) VALUES "
        "(3, 'Cid', 'NO', 30, 5, 10, 99, 99, 99, 99, 99),"
        "(2, 'Ben', 'YES', 60, 5, 15, NULL, NULL, NULL, NULL, NULL),"
        "(1, 'Ann', 'NO', 30, 5, 10, 1, 2, 3, 4, 5)");
    sql("INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1, Out1, In2, Out2) VALUES "
        // Ann, fixed time, slot 08:00-17:00:
        //   in 07:30-17:30: inside 9 h, outside 1 h -> NT 9 - 0.5 lunch = 8.5, OT1 1, NHrs 9
        "(1, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '07:30:00', '17:30:00', NULL, NULL),"
        //   holiday, in 08:00-12:00: 4 h is below 5 h, no lunch -> OT2 4, HT 9 - 4 = 5, NHrs 9
        "(1, '2024-04-02', 'Tuesday', 1, '08:00:00', '17:00:00', 1, '08:00:00', '12:00:00', NULL, NULL),"
        //   no clockings: NHrs 9 only
        "(1, '2024-04-03', 'Wednesday', 1, '08:00:00', '17:00:00', 0, NULL, NULL, NULL, NULL),"
        // Ben, flexitime, slot 08:00-16:00:
        //   Sunday, in 09:00-12:00: 3 h -> OT2 3, NT 8 - 3 = 5, NHrs 8 (fixed rules would give NT 3)
        "(2, '2024-04-07', 'Sunday', 1, '08:00:00', '16:00:00', 0, '09:00:00', '12:00:00', NULL, NULL),"
        //   07:00-12:00 and 12:30-17:30: 10 h - 1 h lunch = 9 h, 1 h over the 8 h slot -> NT 8, OT1 1
        "(2, '2024-04-08', 'Monday', 1, '08:00:00', '16:00:00', NULL, '07:00:00', '12:00:00', '12:30:00', "
        "'17:30:00'),"
        // A register row of someone who is not (or no longer) an employee.
        "(9, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '07:00:00', '19:00:00', NULL, NULL)");
    t.EmployeeTable.last();
    const std::string registerBefore = registerDump();

    run([&] { closeout::summarise(db, ui); });

    EXPECT_EQ(totalsOf(1), (Totals{8.5, 1, 4, 5, 27}));
    EXPECT_EQ(totalsOf(2), (Totals{13, 1, 3, 0, 16}));
    EXPECT_EQ(totalsOf(3), (Totals{0, 0, 0, 0, 0})); // no register rows
    EXPECT_EQ(registerDump(), registerBefore);

    // The employee cursor is back on its first row and shows the new totals.
    EXPECT_EQ(t.EmployeeTable.recNo(), 0);
    EXPECT_EQ(t.EmployeeTable.asInteger("No"), 1);
    EXPECT_EQ(t.EmployeeTable.asReal("NT"), 8.5);
    EXPECT_EQ(t.EmployeeTable.asReal("FullHrs"), 27);
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(ui.position, 0);
}

TEST_F(SummariseTest, FlexiTimeCountsOnlyForExactlyYes)
{
    // 07:00-12:00 and 12:30-17:30 in an 08:00-16:00 slot, lunch 60, tolerance 15:
    // flexitime: 10 h - 1 h = 9 h, 1 h over -> NT 8, OT1 1;
    // fixed time: inside 4 h + 3.5 h - 1 h = NT 6.5, outside 1 h + 1.5 h = OT1 2.5.
    sql("INSERT INTO Employee (No, FlexiTime, Lunch, HrsBefore, Play) VALUES "
        "(1, 'YES', 60, 5, 15), (2, 'yes', 60, 5, 15), (3, NULL, 60, 5, 15)");
    for (int no : {1, 2, 3})
        sql("INSERT INTO Attendance (EmployeeNo, Date, DOW, INTime, OUTTime, In1, Out1, In2, Out2) VALUES ("
            + std::to_string(no)
            + ", '2024-04-08', 'Monday', '08:00:00', '16:00:00', '07:00:00', '12:00:00', "
              "'12:30:00', '17:30:00')");

    run([&] { closeout::summarise(db, ui); });

    EXPECT_EQ(totalsOf(1), (Totals{8, 1, 0, 0, 8}));
    EXPECT_EQ(totalsOf(2), (Totals{6.5, 2.5, 0, 0, 8}));
    EXPECT_EQ(totalsOf(3), (Totals{6.5, 2.5, 0, 0, 8}));
}

TEST_F(SummariseTest, WithoutEmployeesNothingIsWritten)
{
    sql("INSERT INTO Attendance (EmployeeNo, Date, INTime, OUTTime, In1, Out1) VALUES "
        "(1, '2024-04-01', '08:00:00', '17:00:00', '08:00:00', '17:00:00')");
    const std::string registerBefore = registerDump();

    run([&] { closeout::summarise(db, ui); });

    store::Statement count(db, "SELECT count(*) FROM Employee");
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.columnInt(0), 0);
    EXPECT_EQ(registerDump(), registerBefore);
    EXPECT_EQ(ui.caption, core::kProgressRest);
}

// ---------------------------------------------------------------------------------------------
// The full-hours rule

struct RuleCase {
    const char* name;
    double full, ht, nt, ot1;
    double wantNt, wantOt1;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class FullHoursRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(FullHoursRuleTest, MovesOvertimeIntoNormalTimeUpToTheFullHours)
{
    const RuleCase& c = GetParam();
    const FullHoursTotals r = closeout::fullHoursRule(c.nt, c.ot1, c.ht, c.full);
    EXPECT_EQ(r.nt, c.wantNt);
    EXPECT_EQ(r.ot1, c.wantOt1);
}

// Columns: FullHrs, HT, NT, OT1 -> NT, OT1.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, FullHoursRuleTest,
    ::testing::Values(RuleCase{"ReachesTheFullHours", 160, 0, 150, 12, 160, 2},
                      RuleCase{"OvertimeNotEnoughForTheFullHours", 160, 0, 150, 6, 156, 0},
                      RuleCase{"ExactlyEnoughOvertime", 160, 0, 150, 10, 160, 0},
                      RuleCase{"HolidayHoursOnlyDecideWhetherItApplies", 160, 8, 150, 12, 160, 2},
                      RuleCase{"NormalTimeAboveFullLessHoliday", 160, 8, 153, 12, 153, 12},
                      RuleCase{"NormalTimeExactlyFullLessHoliday", 160, 8, 152, 12, 152, 12},
                      RuleCase{"NoOvertime", 160, 0, 150, 0, 150, 0},
                      RuleCase{"NegativeOvertime", 160, 0, 150, -2, 150, -2},
                      RuleCase{"NoFullHours", 0, 0, 150, 12, 150, 12},
                      RuleCase{"OneMillisecondShortStillCounts", 40, 0, 40 - 1.0 / 3'600'000, 0.5, 40,
                               1'799'999.0 / 3'600'000},
                      RuleCase{"LessThanAMillisecondShortIsNoShortfall", 40, 0, 39.99999999999, 0.5, 39.99999999999,
                               0.5},
                      RuleCase{"MovesWithoutFloatingResidue", 160, 0, 150.1, 12.2, 160, 2.3}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });
// clang-format on

// ---------------------------------------------------------------------------------------------
// Apply FULL HOURS work before OVERTIME on the table

class ApplyFullHoursTest : public TotalsTest {};

TEST_F(ApplyFullHoursTest, ChangesOnlyNormalTimeAndOvertimeWhereTheRuleApplies)
{
    sql("INSERT INTO Employee (No, NT, OT1, OT2, HT, FullHrs) VALUES "
        "(5, 150, 12, 3, 0, 160),"       // -> 160, 2
        "(1, 150, 6, 4, 0, 160),"        // -> 156, 0
        "(2, 150, 12, 5, 8, 160),"       // -> 160, 2 (HT stays 8)
        "(3, 153, 12, 6, 8, 160),"       // unchanged: 160 - 8 is not above 153
        "(4, 152, 12, 7, 8, 160),"       // unchanged: exactly full less holiday
        "(6, 150, 12, 0, 0, 0),"         // unchanged: no full hours
        "(7, 150, 0, 0, 0, 160),"        // unchanged: no overtime
        "(8, NULL, 12, NULL, NULL, 10)," // empty totals count 0 -> 10, 2
        "(9, 5, 12, NULL, NULL, NULL)"); // empty full hours: unchanged
    t.EmployeeTable.last();

    run([&] { closeout::applyFullHours(db, ui); });

    EXPECT_EQ(totalsOf(5), (Totals{160, 2, 3, 0, 160}));
    EXPECT_EQ(totalsOf(1), (Totals{156, 0, 4, 0, 160}));
    EXPECT_EQ(totalsOf(2), (Totals{160, 2, 5, 8, 160}));
    EXPECT_EQ(totalsOf(3), (Totals{153, 12, 6, 8, 160}));
    EXPECT_EQ(totalsOf(4), (Totals{152, 12, 7, 8, 160}));
    EXPECT_EQ(totalsOf(6), (Totals{150, 12, 0, 0, 0}));
    EXPECT_EQ(totalsOf(7), (Totals{150, 0, 0, 0, 160}));
    EXPECT_EQ(totalsOf(8), (Totals{10, 2, std::nullopt, std::nullopt, 10}));
    EXPECT_EQ(totalsOf(9), (Totals{5, 12, std::nullopt, std::nullopt, std::nullopt}));

    EXPECT_EQ(t.EmployeeTable.recNo(), 0);
    EXPECT_EQ(t.EmployeeTable.asInteger("No"), 1);
    EXPECT_EQ(t.EmployeeTable.asReal("NT"), 156); // the cursor shows the new values
    EXPECT_EQ(ui.caption, core::kProgressRest);
}

TEST_F(ApplyFullHoursTest, ASecondRunChangesNothing)
{
    sql("INSERT INTO Employee (No, NT, OT1, OT2, HT, FullHrs) VALUES "
        "(1, 150, 12, 0, 0, 160), (2, 150, 6, 0, 0, 160), (3, 150, 12, 0, 8, 160)");
    run([&] { closeout::applyFullHours(db, ui); });
    const std::vector<Totals> once{totalsOf(1), totalsOf(2), totalsOf(3)};
    ASSERT_EQ(once[0], (Totals{160, 2, 0, 0, 160}));

    run([&] { closeout::applyFullHours(db, ui); });

    EXPECT_EQ((std::vector<Totals>{totalsOf(1), totalsOf(2), totalsOf(3)}), once);
}

} // namespace
