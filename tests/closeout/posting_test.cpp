// Posting a pay period to the history tables, and deleting a posted period.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "closeout/posting.h"
#include "core/error.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using testsupport::FakeServices;
using Rows = std::vector<std::string>;

constexpr const char* kPostQuestion = "COMPLETE PERIOD - POST CLOCK DATA TO HISTORY FILES?";

class HistoryTablesTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Database& db = *s.db;
    store::Tables& t = *s.tables;
    FakeServices ui;

    void SetUp() override { t.openAll(); }

    void sql(const std::string& text) { s.exec(text); }

    /// The rows of a query, each as its columns joined by "|", an empty column as NULL.
    Rows rows(const std::string& query) { return s.rows(query); }

    /// Everything in the three history tables.
    Rows history()
    {
        Rows all = rows("SELECT * FROM PerHistory ORDER BY Period");
        for (const std::string& r : rows("SELECT * FROM Summaries ORDER BY Nr"))
            all.push_back("S " + r);
        for (const std::string& r : rows("SELECT * FROM History ORDER BY Inc"))
            all.push_back("H " + r);
        return all;
    }
};

// ---------------------------------------------------------------------------------------------
// POST CLOCK DATA TO HISTORY FILES

class PostingTest : public HistoryTablesTest {
protected:
    std::string number = "7";
    int periodno = 0;

    void addEmployees()
    {
        sql("INSERT INTO Employee (No, Name, MobileNo, PayrollNo, FlexiTime, ShiftNo, NT, OT1, OT2, HT, FullHrs, "
            "Lunch, "
            "HrsBefore, WorkEarly, WorkLate, Play) VALUES "
            "(2, 'Ben, Jr', '0822', 'P2', 'YES', 2, NULL, 0.5, 3, 0, 8, 60, 5, 1, 1, 15),"
            "(1, 'Ann', '0821', 'P1', 'NO', 1, 8.5, 1, 4, 5, 18, 30, 5, 2, 3, 10)");
    }

    void addCalendar()
    {
        sql("INSERT INTO Period (Date, ShiftNo) VALUES ('2024-04-03', 1), ('2024-04-07', 1), ('2024-04-01', 1), "
            "('2024-04-02', 1), ('2024-04-05', 1), ('2024-04-04', 1), ('2024-04-06', 1)");
    }

    void addRegister()
    {
        sql("INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1, Out1, In2, Out2) "
            "VALUES "
            // Ann, fixed, holiday 08:00-12:00: under 5 h, no lunch -> HrsIN 4, OT2 4, HT 9 - 4 = 5
            "(1, '2024-04-02', 'Tuesday', 1, '08:00:00', '17:00:00', 1, '08:00:00', '12:00:00', NULL, NULL),"
            // Ann, 07:30-17:30 in 08:00-17:00: HrsIN 10, NT 9 - 0.5 = 8.5, OT1 1
            "(1, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '07:30:00', '17:30:00', NULL, NULL),"
            // Ben, flexitime Sunday 09:00-12:00 in 08:00-16:00: HrsIN 3, OT2 3, NT 8 - 3 = 5
            "(2, '2024-04-07', 'Sunday', 2, '08:00:00', '16:00:00', NULL, '09:00:00', '12:00:00', NULL, NULL),"
            // Ben, a day with nothing in it
            "(2, '2024-04-06', 'Saturday', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
            // a register row of no employee
            "(9, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '08:00:00', '17:00:00', NULL, NULL)");
    }

    /// Posts as the command does: the three history cursors read afresh afterwards; a period
    /// posted moves the number box and periodno on to the next number.
    std::optional<int> post()
    {
        const std::optional<int> posted = testsupport::asCommand(
            s, ui, testsupport::kHistoryEffects, [&] { return closeout::postToHistory(db, ui, number); });
        if (posted) {
            periodno = *posted + 1;
            number = std::to_string(periodno);
        }
        return posted;
    }
};

TEST_F(PostingTest, WritesThePeriodTheTotalsAndEveryRegisterDay)
{
    addEmployees();
    addCalendar();
    addRegister();
    ui.answers = {true};

    EXPECT_TRUE(post());

    EXPECT_EQ(ui.questions, Rows{kPostQuestion});
    EXPECT_EQ(rows("SELECT * FROM PerHistory"), Rows{"7|2024-04-01|2024-04-07"});
    // The totals and settings as stored (an empty total stays empty), Report empty.
    EXPECT_EQ(
        rows("SELECT Period, StartDate, EndDate, Employee, NT, OT1, OT2, HT, FullHours, Lunch, HrsBeforeLunch, "
             "EarlyWork, LateWork, Play, Shift, FlexiTime, Name, PayrollNo, MobileNo, Report FROM Summaries "
             "ORDER BY Employee"),
        (Rows{"7|2024-04-01|2024-04-07|1|8.5|1.0|4.0|5.0|18.0|30.0|5.0|2.0|3.0|10.0|1|NO|Ann|P1|0821|NULL",
              "7|2024-04-01|2024-04-07|2|NULL|0.5|3.0|0.0|8.0|60.0|5.0|1.0|1.0|15.0|2|YES|Ben, Jr|P2|0822|NULL"}));
    // One row per register day of an employee, the hours worked out by the employee's settings,
    // empty times as midnight.
    const std::string midnight8 = "00:00:00|00:00:00|00:00:00|00:00:00|00:00:00|00:00:00|00:00:00|00:00:00";
    EXPECT_EQ(rows("SELECT Date, EmployeeNo, Name, PayrollNo, MobileNo, Period, DOW, Holiday, Shift, INTime, OUTTime, "
                   "In1, Out1, In2, Out2, In3, Out3, In4, Out4, In5, Out5, Report, HrsIN, NHrs, NT, OT1, OT2, Ht "
                   "FROM History ORDER BY EmployeeNo, Date"),
              (Rows{"2024-04-01|1|Ann|P1|0821|7|Monday|0|1|08:00:00|17:00:00|07:30:00|17:30:00|" + midnight8
                        + "|0|10.0|9.0|8.5|1.0|0.0|0.0",
                    "2024-04-02|1|Ann|P1|0821|7|Tuesday|1|1|08:00:00|17:00:00|08:00:00|12:00:00|" + midnight8
                        + "|0|4.0|9.0|0.0|0.0|4.0|5.0",
                    "2024-04-06|2|Ben, Jr|P2|0822|7|Saturday|0|NULL|00:00:00|00:00:00|00:00:00|00:00:00|" + midnight8
                        + "|0|0.0|0.0|0.0|0.0|0.0|0.0",
                    "2024-04-07|2|Ben, Jr|P2|0822|7|Sunday|0|2|08:00:00|16:00:00|09:00:00|12:00:00|" + midnight8
                        + "|0|3.0|8.0|5.0|0.0|3.0|0.0"}));

    EXPECT_EQ(number, "8");
    EXPECT_EQ(periodno, 8);
    // The history pages show the new rows.
    EXPECT_EQ(t.PerhistoryTable.recordCount(), 1);
    EXPECT_EQ(t.SummariesTable.recordCount(), 2);
    EXPECT_EQ(t.HistoryTable.recordCount(), 4);
    EXPECT_EQ(ui.caption, core::kProgressRest);
}

TEST_F(PostingTest, AnsweringNoChangesNothing)
{
    addEmployees();
    addCalendar();
    addRegister();
    ui.answers = {false};

    EXPECT_FALSE(post());

    EXPECT_EQ(ui.questions, Rows{kPostQuestion});
    EXPECT_EQ(history(), Rows{});
    EXPECT_EQ(number, "7");
    EXPECT_EQ(periodno, 0);
    EXPECT_EQ(ui.result, Rows{});
}

TEST_F(PostingTest, EmptyCalendarPostsTheDayZeroDates)
{
    addEmployees();
    ui.answers = {true};

    ASSERT_TRUE(post());

    EXPECT_EQ(rows("SELECT * FROM PerHistory"), Rows{"7|1899-12-30|1899-12-30"});
    EXPECT_EQ(rows("SELECT Employee, StartDate, EndDate FROM Summaries ORDER BY Employee"),
              (Rows{"1|1899-12-30|1899-12-30", "2|1899-12-30|1899-12-30"}));
    EXPECT_EQ(number, "8");
}

TEST_F(PostingTest, WithoutEmployeesOnlyThePeriodIsPostedAndTheNumberAdvances)
{
    addCalendar();
    addRegister(); // register rows, but of no employee
    ui.answers = {true};

    ASSERT_TRUE(post());

    EXPECT_EQ(history(), Rows{"7|2024-04-01|2024-04-07"});
    EXPECT_EQ(number, "8");
    EXPECT_EQ(periodno, 8);
}

TEST_F(PostingTest, ConsecutivePostingsTakeConsecutiveNumbers)
{
    addEmployees();
    addCalendar();
    ui.answerAllYes = true;

    ASSERT_TRUE(post());
    ASSERT_TRUE(post());

    EXPECT_EQ(rows("SELECT Period FROM PerHistory ORDER BY Period"), (Rows{"7", "8"}));
    EXPECT_EQ(rows("SELECT Period, count(*) FROM Summaries GROUP BY Period"), (Rows{"7|2", "8|2"}));
    EXPECT_EQ(number, "9");
    EXPECT_EQ(ui.result, (Rows{"Pay period 7 posted: 2 employees, 0 register days",
                               "Pay period 8 posted: 2 employees, 0 register days"}));
}

struct PostedLineCase {
    const char* what;
    const char* sql; ///< employees and register days; empty: the two employees and their days above
    const char* line;
    friend std::ostream& operator<<(std::ostream& os, const PostedLineCase& c) { return os << c.what; }
};

class PostedLineTest : public PostingTest, public ::testing::WithParamInterface<PostedLineCase> {};

TEST_P(PostedLineTest, ResultLineNamesThePeriodAndCountsWhatWasStored)
{
    addCalendar();
    if (GetParam().sql[0] != '\0') {
        sql(GetParam().sql);
    } else {
        addEmployees();
        addRegister();
    }
    ui.result = {"a line of an earlier command"};
    ui.answers = {true};

    ASSERT_TRUE(post());

    EXPECT_EQ(ui.result, (Rows{"a line of an earlier command", GetParam().line}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, PostedLineTest,
    ::testing::Values(
        PostedLineCase{"two employees, a register row of nobody", "",
                       "Pay period 7 posted: 2 employees, 4 register days"},
        PostedLineCase{"one employee, one day",
                       "INSERT INTO Employee (No, Name) VALUES (1, 'Ann');"
                       "INSERT INTO Attendance (EmployeeNo, Date, DOW) VALUES (1, '2024-04-01', 'Monday')",
                       "Pay period 7 posted: 1 employee, 1 register day"},
        PostedLineCase{"no employees",
                       "INSERT INTO Attendance (EmployeeNo, Date, DOW) VALUES (9, '2024-04-01', 'Monday')",
                       "Pay period 7 posted: 0 employees, 0 register days"}));
// clang-format on

// All or nothing: whatever stops a posting, the history tables and the number stay as they were,
// whether the command runs on its own or inside the program's command transaction (which is
// committed also when the command fails).

struct Failure {
    const char* name;
    const char* number;
    const char* sql;     ///< what is in place before the posting
    const char* message; ///< a part of the error text
};

// The number posted never repeats a posted one: the larger of the box and the highest posted
// + 1, said on the Result page when the box held another.
TEST_F(PostingTest, TheNumberPostedIsAboveEveryPostedOne)
{
    struct Case {
        const char* typed;
        const char* posted; ///< the numbers posted before, as SQL values
        int number;
        const char* note; ///< empty: none
    } const cases[] = {
        {"7", "", 7, ""},
        {"4", "(1), (2), (3)", 4, ""},
        {"7", "(7)", 8,
         "Current Pay Period Number was 7 and the highest posted pay period is 7: this period is posted as 8"},
        {"1", "(1), (3), (2)", 4,
         "Current Pay Period Number was 1 and the highest posted pay period is 3: this period is posted as 4"},
        {"9", "(3)", 9,
         "Current Pay Period Number was 9 and the highest posted pay period is 3: this period is posted as 9"},
    };
    addEmployees();
    addCalendar();
    addRegister();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed + std::string(" after ") + c.posted);
        sql("DELETE FROM PerHistory; DELETE FROM Summaries; DELETE FROM History");
        if (*c.posted)
            sql(std::string("INSERT INTO PerHistory (Period) VALUES ") + c.posted);
        number = c.typed;
        ui.result.clear();
        ui.answers = {true};
        const std::optional<int> posted = post();
        ASSERT_TRUE(posted);
        EXPECT_EQ(*posted, c.number);
        EXPECT_EQ(number, std::to_string(c.number + 1)) << "the box holds the next one";
        EXPECT_EQ(rows("SELECT count(*) FROM Summaries WHERE Period = " + std::to_string(c.number)), Rows{"2"});
        Rows want;
        if (*c.note)
            want.push_back(c.note);
        want.push_back("Pay period " + std::to_string(c.number) + " posted: 2 employees, 4 register days");
        EXPECT_EQ(ui.result, want);
    }
}

void PrintTo(const Failure& f, std::ostream* os) { *os << f.name; }

class PostingFailureTest : public PostingTest, public ::testing::WithParamInterface<std::tuple<Failure, bool>> {};

TEST_P(PostingFailureTest, LeavesTheHistoryAndTheNumberAsTheyWere)
{
    const auto& [failure, inTransaction] = GetParam();
    addEmployees();
    addCalendar();
    addRegister();
    if (failure.sql[0] != '\0')
        sql(failure.sql);
    number = failure.number;
    const Rows before = history();
    ui.answers = {true};

    std::string error;
    auto run = [&] {
        try {
            post();
        } catch (const core::Error& e) {
            error = e.what();
        }
    };
    if (inTransaction) {
        store::Transaction tx(db);
        run();
        tx.commit();
    } else {
        run();
    }

    EXPECT_NE(error.find(failure.message), std::string::npos) << error;
    EXPECT_EQ(history(), before);
    EXPECT_EQ(number, failure.number);
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(ui.result, Rows{});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Causes, PostingFailureTest,
    ::testing::Combine(
        ::testing::Values(
            Failure{"NumberNotWhole", "7x", "", "'7x' is not a valid integer value"},
            Failure{"NumberWithoutANext", "2147483647", "", "the next period would have none"},
            Failure{"AfterTheHighestNumberPosted", "7", "INSERT INTO PerHistory VALUES (2147483647, NULL, NULL)",
                    "no period can be posted after it"},
            // The second History row fails: the period, both totals and a first day are written by then.
            Failure{"DatabaseErrorHalfway", "7",
                    "CREATE TRIGGER HistoryFull BEFORE INSERT ON History WHEN (SELECT count(*) FROM History) >= 1 "
                    "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END",
                    "database or disk is full"}),
        ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<Failure, bool>>& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "InTransaction" : "OnItsOwn");
        // clang-format on
    });

TEST_F(PostingTest, FailedPostingPutsTheProgressBarBackAtRest)
{
    addEmployees();
    number = "7x";
    ui.answers = {true};

    EXPECT_THROW(post(), core::ConvertError);

    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(ui.position, 0);
}

// ---------------------------------------------------------------------------------------------
// Delete Pay Period

constexpr const char* kDeleteQ1 = "Delete Permanently period number 3 ? - are you sure";
constexpr const char* kDeleteQ2 = "The records of period 3 in the SUMMARIES will also be deleted - are you sure?";
constexpr const char* kDeleteQ3 =
    "The records of period 3 in the DETAILLED HISTORY will also be deleted - are you sure?";

class DeletePeriodTest : public HistoryTablesTest {
protected:
    /// Deletes as the command does: the three history cursors read afresh afterwards.
    void deletePeriod()
    {
        testsupport::asCommand(s, ui, testsupport::kHistoryEffects, [&] {
            closeout::deletePayPeriod(db, t.PerhistoryTable, t.SummariesTable, t.HistoryTable, ui);
        });
    }

    /// Periods 2, 3 and 4 posted, two employees each; the cursor on period 3; both history
    /// pages filtered.
    void postThreePeriods()
    {
        sql("INSERT INTO PerHistory VALUES (2, '2024-03-18', '2024-03-24'), (3, '2024-03-25', '2024-03-31'), "
            "(4, '2024-04-01', '2024-04-07')");
        sql("INSERT INTO Summaries (Period, Employee, Name, Report) VALUES "
            "(2, 1, 'Ann', 1), (2, 2, 'Ben', 0), (3, 1, 'Ann', 1), (3, 2, 'Ben', NULL), (4, 1, 'Ann', 0), "
            "(4, 2, 'Ben', 0)");
        sql("INSERT INTO History (Period, EmployeeNo, Date, Report) VALUES "
            "(2, 1, '2024-03-18', 1), (2, 2, '2024-03-18', 0), (3, 1, '2024-03-25', 1), (3, 2, '2024-03-25', 0), "
            "(3, 2, '2024-03-26', 0), (4, 1, '2024-04-01', 0), (4, 2, '2024-04-01', 0)");
        for (store::Cursor* c : {&t.SummariesTable, &t.HistoryTable}) {
            c->setFilter("Report = 1");
            c->setFiltered(true);
        }
        ASSERT_TRUE(t.PerhistoryTable.findKey(core::Value::integer(3)));
    }
};

TEST_F(DeletePeriodTest, RemovesOnlyThatPeriodFromAllThreeTables)
{
    postThreePeriods();
    ui.answers = {true, true, true};

    deletePeriod();

    EXPECT_EQ(ui.questions, (Rows{kDeleteQ1, kDeleteQ2, kDeleteQ3}));
    EXPECT_EQ(ui.messages, Rows{"Periodno 3 has been deleted!"});
    EXPECT_EQ(rows("SELECT Period FROM PerHistory ORDER BY Period"), (Rows{"2", "4"}));
    EXPECT_EQ(rows("SELECT Period, Employee FROM Summaries ORDER BY Nr"), (Rows{"2|1", "2|2", "4|1", "4|2"}));
    EXPECT_EQ(rows("SELECT Period, EmployeeNo FROM History ORDER BY Inc"), (Rows{"2|1", "2|2", "4|1", "4|2"}));
    // Both history pages show every remaining row again.
    EXPECT_FALSE(t.SummariesTable.filtered());
    EXPECT_FALSE(t.HistoryTable.filtered());
    EXPECT_EQ(t.SummariesTable.recordCount(), 4);
    EXPECT_EQ(t.HistoryTable.recordCount(), 4);
    EXPECT_EQ(t.PerhistoryTable.recordCount(), 2);
}

class DeletePeriodAnsweredNoTest : public DeletePeriodTest, public ::testing::WithParamInterface<int> {};

TEST_P(DeletePeriodAnsweredNoTest, DeletesNothing)
{
    const int no = GetParam(); // the question answered No, from 0
    postThreePeriods();
    const Rows before = history();
    ui.answers.assign(static_cast<std::size_t>(no), true);
    ui.answers.push_back(false);

    deletePeriod();

    const Rows asked{kDeleteQ1, kDeleteQ2, kDeleteQ3};
    EXPECT_EQ(ui.questions, Rows(asked.begin(), asked.begin() + no + 1));
    EXPECT_EQ(history(), before);
    EXPECT_EQ(ui.messages, Rows{});
    EXPECT_EQ(t.PerhistoryTable.recordCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(Questions, DeletePeriodAnsweredNoTest, ::testing::Values(0, 1, 2));

TEST_F(DeletePeriodTest, WithoutPostedPeriodsSaysSoAndAsksNothing)
{
    // Rows left from a period whose PerHistory row is gone stay as they are.
    sql("INSERT INTO Summaries (Period, Employee) VALUES (3, 1)");
    sql("INSERT INTO History (Period, EmployeeNo) VALUES (3, 1)");
    const Rows before = history();

    deletePeriod();

    EXPECT_EQ(ui.messages, Rows{"There is no posted period to delete."});
    EXPECT_EQ(ui.questions, Rows{});
    EXPECT_EQ(history(), before);
}

} // namespace
