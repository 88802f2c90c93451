#include "register/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <QLocale>

#include "bench/rowbyrow.h"
#include "core/error.h"
#include "core/regional.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::FakeServices;
using testsupport::MemoryStore;

/// Runs a pass as its two commands do: the employee, register and clockings grids read afresh
/// afterwards, the employee and register grids on their first rows, the bar at rest.
std::optional<registers::ProcessSummary> pass(MemoryStore& s, FakeServices& ui, registers::ProcessMode mode,
                                              const registers::ShiftMargins& margins = {})
{
    using T = store::Table;
    return testsupport::asCommand(s, ui, {{T::Employee, T::Attendance, T::Clkdata}, {T::Employee, T::Attendance}},
                                  [&] { return registers::processClockData(*s.db, ui, s.regional, mode, margins); });
}

constexpr const char* kResetQuestion = "RESET all Registers and Process Clock Data?";
constexpr const char* kPairColumns = "In1, Out1, In2, Out2, In3, Out3, In4, Out4, In5, Out5";
using registers::kIncompletePairsHeading;

// ---------------------------------------------------------------------------------------------
// Reading the tables back
// ---------------------------------------------------------------------------------------------

/// Every row of a query as one line, the columns joined by '|' (NULL reads as nothing).
std::vector<std::string> queryLines(store::Database& db, const std::string& sql)
{
    std::vector<std::string> out;
    store::Statement st(db, sql);
    while (st.step()) {
        std::string line;
        for (int c = 0; c < st.columnCount(); ++c) {
            if (c > 0)
                line += '|';
            line += st.columnText(c);
        }
        out.push_back(line);
    }
    return out;
}

/// EmployeeNo|Date|Shift|INTime|OUTTime|In1|Out1|...|Out5 in EmployeeNo, Date order.
std::vector<std::string> registerLines(store::Database& db)
{
    return queryLines(db, std::string("SELECT EmployeeNo, Date, Shift, INTime, OUTTime, ") + kPairColumns
                              + " FROM Attendance ORDER BY EmployeeNo, Date, Inc");
}

/// The register with the day's name and holiday mark as well.
std::vector<std::string> fullRegisterLines(store::Database& db)
{
    return queryLines(db, std::string("SELECT EmployeeNo, Date, DOW, Holiday, Shift, INTime, OUTTime, ") + kPairColumns
                              + " FROM Attendance ORDER BY EmployeeNo, Date, Inc");
}

/// Inc|Used of every clocking in Inc order.
std::vector<std::string> usedLines(store::Database& db)
{
    return queryLines(db, "SELECT Inc, Used FROM ClkData ORDER BY Inc");
}

std::vector<std::string> totalsLines(store::Database& db)
{
    return queryLines(db, "SELECT No, NT, OT1, OT2, HT FROM Employee ORDER BY No");
}

/// Compares two lists of lines and names the first line that differs (lists can be long).
::testing::AssertionResult sameLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected)
{
    const std::size_t common = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < common; ++i)
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure()
                   << "line " << i + 1 << " is \"" << actual[i] << "\", expected \"" << expected[i] << "\" ("
                   << actual.size() << " lines, expected " << expected.size() << ")";
    if (actual.size() > common)
        return ::testing::AssertionFailure() << actual.size() << " lines, expected " << expected.size()
                                             << "; first extra line: \"" << actual[common] << "\"";
    if (expected.size() > common)
        return ::testing::AssertionFailure() << actual.size() << " lines, expected " << expected.size()
                                             << "; first missing line: \"" << expected[common] << "\"";
    return ::testing::AssertionSuccess();
}

std::vector<std::string> fileLines(const fs::path& file)
{
    EXPECT_TRUE(fs::exists(file)) << file;
    std::vector<std::string> out;
    std::istringstream in(testsupport::readFile(file));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Golden folders: tests/register/cases/NAME/{input.sql, mode, expected_register.txt,
// expected_used.txt, expected_log.txt}
// ---------------------------------------------------------------------------------------------

std::vector<std::string> caseNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(TALLIX_REGISTER_CASES))
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ProcessCase : public ::testing::TestWithParam<std::string> {};

TEST_P(ProcessCase, MatchesExpectedFiles)
{
    const fs::path dir = fs::path(TALLIX_REGISTER_CASES) / GetParam();
    const std::vector<std::string> mode = fileLines(dir / "mode");
    ASSERT_EQ(mode.size(), 1u) << "mode holds one word: reset or add";
    ASSERT_TRUE(mode[0] == "reset" || mode[0] == "add") << mode[0];
    const bool reset = mode[0] == "reset";

    MemoryStore s;
    s.tables->openAll();
    s.db->exec(testsupport::readFile(dir / "input.sql"));
    FakeServices ui;
    ui.answerAllYes = true;
    ui.result = {"a line of an earlier command"};
    const registers::ProcessMode passMode = reset ? registers::ProcessMode::Reset : registers::ProcessMode::Add;
    registers::ShiftMargins margins;
    if (fs::exists(dir / "margins")) {
        const std::vector<std::string> words = fileLines(dir / "margins");
        ASSERT_EQ(words.size(), 1u) << "margins holds one line: EARLY_MINUTES LATE_MINUTES";
        std::istringstream in(words[0]);
        std::string early;
        std::string late;
        in >> early >> late;
        margins = registers::marginsFromMinutes(early, late, s.regional);
    }

    pass(s, ui, passMode, margins);

    const std::vector<std::string> expectedLog = fileLines(dir / "expected_log.txt");
    EXPECT_TRUE(sameLines(registerLines(*s.db), fileLines(dir / "expected_register.txt"))) << "register";
    EXPECT_TRUE(sameLines(usedLines(*s.db), fileLines(dir / "expected_used.txt"))) << "Used marks";
    EXPECT_TRUE(sameLines(ui.result, expectedLog)) << "Result log";
    // The page comes to the front when there is more to read than the closing line.
    EXPECT_EQ(ui.pages, expectedLog.size() > 1 ? std::vector<std::string>{"Result"} : std::vector<std::string>{});
    EXPECT_EQ(ui.questions, reset ? std::vector<std::string>{kResetQuestion} : std::vector<std::string>{});
    if (reset) {
        EXPECT_TRUE(
            sameLines(queryLines(*s.db, "SELECT No FROM Employee WHERE NT <> 0 OR OT1 <> 0 OR OT2 <> 0 OR HT <> 0 "
                                        "OR NT IS NULL OR OT1 IS NULL OR OT2 IS NULL OR HT IS NULL"),
                      {}))
            << "employees whose totals were not set to 0";
    }
    EXPECT_EQ(ui.caption, "Progressbar");
    EXPECT_EQ(ui.position, 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(ProcessCases, ProcessCase, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });
// clang-format on

// ---------------------------------------------------------------------------------------------
// Reset mode: the question and the rebuilt register
// ---------------------------------------------------------------------------------------------

TEST(ProcessReset, DeclinedLeavesEverythingAsItWas)
{
    MemoryStore s;
    s.tables->openAll();
    s.db->exec(R"(
        INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, NT, OT1, OT2, HT) VALUES (1, 'Ann', '0821', 'P1', 1, 40, 2, 1, 8);
        INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
        INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
        INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1, Out1)
            VALUES (1, '2024-03-25', 'Monday', 1, '07:00:00', '16:00:00', 0, '07:10:00', '16:20:00');
        INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
            ('2024-04-01', '08:00:00', '0821', 'IN', 0), ('2024-04-01', '09:00:00', '0821', 'in', 1);
    )");
    const auto registerBefore = fullRegisterLines(*s.db);
    const auto usedBefore = usedLines(*s.db);
    const auto totalsBefore = totalsLines(*s.db);
    FakeServices ui;
    ui.answers = {false};
    ui.result = {"a line of an earlier command"};
    const registers::ProcessMode mode = registers::ProcessMode::Reset;

    EXPECT_FALSE(pass(s, ui, mode));

    EXPECT_EQ(ui.questions, std::vector<std::string>{kResetQuestion});
    EXPECT_TRUE(sameLines(fullRegisterLines(*s.db), registerBefore)) << "register";
    EXPECT_TRUE(sameLines(usedLines(*s.db), usedBefore)) << "Used marks";
    EXPECT_TRUE(sameLines(totalsLines(*s.db), totalsBefore)) << "totals";
    EXPECT_EQ(ui.result, std::vector<std::string>{"a line of an earlier command"});
}

/// A database error while the pass writes its results (here a trigger that refuses the Used
/// marks) ends it with the error and leaves the tables as they were: the old register, its
/// totals and the marks.
TEST(ProcessFailure, AnErrorWhileWritingLeavesTheTablesAsTheyWere)
{
    for (const bool reset : {true, false}) {
        SCOPED_TRACE(reset ? "reset" : "add");
        MemoryStore s;
        s.tables->openAll();
        s.db->exec(R"(
            INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, NT) VALUES (1, 'Ann', '0821', 'P1', 1, 40);
            INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
            INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
            INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1)
                VALUES (1, '2024-04-01', 'Monday', 1, '07:00:00', '16:00:00', 0, '07:10:00');
            INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
                ('2024-04-01', '08:00:00', '0821', 'IN', 0), ('2024-04-01', '17:00:00', '0821', 'OUT', 0);
            CREATE TRIGGER NoMarks BEFORE UPDATE OF Used ON ClkData BEGIN SELECT RAISE(ABORT, 'disk says no'); END;
        )");
        const auto registerBefore = fullRegisterLines(*s.db);
        const auto usedBefore = usedLines(*s.db);
        const auto totalsBefore = totalsLines(*s.db);
        FakeServices ui;
        ui.answerAllYes = true;
        const registers::ProcessMode mode = reset ? registers::ProcessMode::Reset : registers::ProcessMode::Add;

        EXPECT_THROW(pass(s, ui, mode), core::Error);

        EXPECT_TRUE(sameLines(fullRegisterLines(*s.db), registerBefore)) << "register";
        EXPECT_TRUE(sameLines(usedLines(*s.db), usedBefore)) << "Used marks";
        EXPECT_TRUE(sameLines(totalsLines(*s.db), totalsBefore)) << "totals";
        EXPECT_EQ(ui.caption, "Progressbar");
    }
}

TEST(ProcessReset, RebuildsRegisterFromPeriodAndShifts)
{
    MemoryStore s;
    s.tables->openAll();
    // A week from Sunday to Saturday. Slot 1 has its own times per weekday and none on Sunday;
    // Friday's ShiftNo 8 has no Shifts row. Only the exact text "Holiday" marks a holiday.
    s.db->exec(R"(
        INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, NT, OT1, OT2, HT) VALUES
            (3, 'Day', '0803', 'P3', 1, 40.5, 2, 1, 8), (1, 'None', '0801', 'P1', NULL, 1, 1, 1, 1);
        INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO, Wed_TI, Wed_TO, Thu_TI, Thu_TO,
                            Fri_TI, Fri_TO, Sat_TI, Sat_TO, Sun_TI, Sun_TO)
            VALUES (1, '07:01:00', '16:01:00', '07:02:00', '16:02:00', '07:03:00', '16:03:00', '07:04:00', '16:04:00',
                    '07:05:00', '16:05:00', '07:06:00', '12:06:00', NULL, NULL);
        INSERT INTO Period (Date, ShiftNo, Shift2, Shift3, Holiday) VALUES
            ('2024-03-31', 1, 2, 4, 'Holiday'), ('2024-04-01', 1, 3, 5, 'holiday'), ('2024-04-02', 1, 3, 5, 'Holiday '),
            ('2024-04-03', 1, 3, 5, NULL), ('2024-04-04', 1, 3, 5, 'Holiday'), ('2024-04-05', 8, 3, 5, ''),
            ('2024-04-06', 1, 3, 5, 'Good Friday');
        INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1, Out1) VALUES
            (3, '2024-03-01', 'Friday', 1, '07:00:00', '16:00:00', 0, '07:10:00', '16:20:00'),
            (3, '2024-04-01', 'Monday', 1, '07:00:00', '16:00:00', 0, '07:10:00', '16:20:00'),
            (99, '2024-03-01', 'Friday', 1, '07:00:00', '16:00:00', 1, '07:10:00', '16:20:00');
    )");
    FakeServices ui;
    ui.answerAllYes = true;
    const registers::ProcessMode mode = registers::ProcessMode::Reset;

    pass(s, ui, mode);

    EXPECT_TRUE(
        sameLines(fullRegisterLines(*s.db), {
                                                "1|2024-03-31|Sunday|1|||||||||||||",
                                                "1|2024-04-01|Monday|0|||||||||||||",
                                                "1|2024-04-02|Tuesday|0|||||||||||||",
                                                "1|2024-04-03|Wednesday|0|||||||||||||",
                                                "1|2024-04-04|Thursday|1|||||||||||||",
                                                "1|2024-04-05|Friday|0|||||||||||||",
                                                "1|2024-04-06|Saturday|0|||||||||||||",
                                                "3|2024-03-31|Sunday|1|1|00:00:00|00:00:00||||||||||",
                                                "3|2024-04-01|Monday|0|1|07:01:00|16:01:00||||||||||",
                                                "3|2024-04-02|Tuesday|0|1|07:02:00|16:02:00||||||||||",
                                                "3|2024-04-03|Wednesday|0|1|07:03:00|16:03:00||||||||||",
                                                "3|2024-04-04|Thursday|1|1|07:04:00|16:04:00||||||||||",
                                                "3|2024-04-05|Friday|0|8||||||||||||",
                                                "3|2024-04-06|Saturday|0|1|07:06:00|12:06:00||||||||||",
                                                "99|2024-03-01|Friday|1|1|07:00:00|16:00:00|07:10:00|16:20:00||||||||",
                                            }));
    EXPECT_TRUE(sameLines(totalsLines(*s.db), {"1|0.0|0.0|0.0|0.0", "3|0.0|0.0|0.0|0.0"}));
}

/// The slot a register day gets from the employee's ShiftNo and the day's rotation numbers.
TEST(ProcessReset, SlotOfEachDay)
{
    struct Case {
        const char* employeeShift; // SQL literal
        const char* shiftNo;
        const char* shift2;
        const char* shift3;
        const char* expected; // the register's Shift, empty for no slot
    };
    const Case cases[] = {
        {"1", "1", "2", "4", "1"},    {"1", "9", "2", "4", "9"}, {"1", "0", "2", "4", "0"},
        {"9", "1", "2", "4", "1"},    {"7", "3", "2", "4", "3"}, {"2", "1", "2", "4", "2"},
        {"2", "1", "3", "4", "3"},    {"3", "1", "3", "4", "2"}, {"3", "1", "2", "4", "3"},
        {"2", "1", "NULL", "4", "3"}, {"4", "1", "2", "4", "4"}, {"5", "1", "2", "4", "5"},
        {"6", "1", "2", "4", "6"},    {"4", "1", "2", "6", "5"}, {"5", "1", "2", "6", "6"},
        {"6", "1", "2", "6", "4"},    {"6", "1", "2", "5", "5"}, {"4", "1", "2", "5", "6"},
        {"4", "1", "2", "NULL", "6"}, {"0", "1", "2", "4", ""},  {"-1", "1", "2", "4", ""},
        {"NULL", "1", "2", "4", ""},  {"''", "1", "2", "4", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("employee ") + c.employeeShift + ", day " + c.shiftNo + "/" + c.shift2 + "/"
                     + c.shift3);
        MemoryStore s;
        s.tables->openAll();
        s.db->exec(std::string("INSERT INTO Employee (No, Name, MobileNo, ShiftNo) VALUES (1, 'Ann', '0821', ")
                   + c.employeeShift + ");"
                   + "INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', " + c.shiftNo + ", "
                   + c.shift2 + ", " + c.shift3 + ");");
        FakeServices ui;
        ui.answerAllYes = true;
        const registers::ProcessMode mode = registers::ProcessMode::Reset;
        pass(s, ui, mode);
        EXPECT_EQ(queryLines(*s.db, "SELECT Shift FROM Attendance"), std::vector<std::string>{c.expected});
    }
}

// ---------------------------------------------------------------------------------------------
// The same-day margins from the setup texts
// ---------------------------------------------------------------------------------------------

TEST(ProcessMargins, SetupTextsInMinutes)
{
    const core::Regional us = testsupport::usRegional();
    const core::Regional de = core::Regional::pinned(QLocale(QLocale::German, QLocale::Germany));
    struct Case {
        const char* early;
        const char* late;
        const core::Regional* regional;
        std::int64_t earlyMs;
        std::int64_t lateMs;
    };
    const Case cases[] = {
        {"", "", &us, 0, 0},
        {"0", "0", &us, 0, 0},
        {"15", "20", &us, 900'000, 1'200'000},
        {"7.5", "0.25", &us, 450'000, 15'000},
        {"7,5", "7.5", &de, 450'000, 450'000}, // the regional separator or a point
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.early) + " / " + c.late);
        const registers::ShiftMargins m = registers::marginsFromMinutes(c.early, c.late, *c.regional);
        EXPECT_EQ(m.earlyMs, c.earlyMs);
        EXPECT_EQ(m.lateMs, c.lateMs);
    }
    struct Bad {
        const char* early;
        const char* late;
        const char* named; // what the error names
    };
    const Bad bad[] = {{"15x", "0", "15x"}, {"0", "-5", "-5"}, {"1441", "0", "1441"}};
    for (const Bad& b : bad) {
        SCOPED_TRACE(std::string(b.early) + " / " + b.late);
        try {
            registers::marginsFromMinutes(b.early, b.late, us);
            ADD_FAILURE() << "no error";
        } catch (const core::Error& e) {
            EXPECT_NE(std::string(e.what()).find(b.named), std::string::npos) << e.what();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Where the walk over the clockings starts
// ---------------------------------------------------------------------------------------------

/// The period is 10 and 11 April; the day job's clockings before it can never be placed and
/// are logged for both days, unless the walk starts after them.
TEST(ProcessStart, OldClockingsAreSkippedOnlyWhenTheTableStartsLongBeforeThePeriod)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> clockings; // date, number
        std::vector<std::string> log;
    };
    const std::vector<Case> cases = {
        {"first clocking two days before: nothing skipped",
         {{"2024-04-08", "0821"}, {"2024-04-09", "0821"}},
         {"0821 - 4/8/24 8:00:00 AM - IN", "0821 - 4/9/24 8:00:00 AM - IN",
          "Reset and Process Clock Data: 0 clockings placed, 2 not placed"}},
        {"first clocking three days before: only the day before the period is kept",
         {{"2024-04-07", "0821"}, {"2024-04-08", "0821"}, {"2024-04-09", "0821"}},
         {"0821 - 4/9/24 8:00:00 AM - IN", "Reset and Process Clock Data: 0 clockings placed, 1 not placed"}},
        {"the table's first clocking decides, whoever it belongs to; a skipped number is not listed",
         {{"2024-04-01", "0999"}, {"2024-04-08", "0821"}, {"2024-04-09", "0821"}},
         {"0821 - 4/9/24 8:00:00 AM - IN", "Reset and Process Clock Data: 0 clockings placed, 1 not placed"}},
        {"first clocking three days before, none on the day before",
         {{"2024-04-07", "0821"}, {"2024-04-10", "0821"}},
         {kIncompletePairsHeading, "1 - Ann - 4/10/24 - pair 1",
          "Reset and Process Clock Data: 1 clocking placed, 0 not placed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStore s;
        s.tables->openAll();
        s.db->exec(R"(
            INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0821', 'P1', 1);
            INSERT INTO Shifts (No, Wed_TI, Wed_TO, Thu_TI, Thu_TO) VALUES (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00');
            INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-10', 1, 2, 4), ('2024-04-11', 1, 2, 4);
        )");
        for (const auto& [date, number] : c.clockings)
            s.db->exec(std::string("INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES ('") + date
                       + "', '08:00:00', '" + number + "', 'IN', 0)");
        FakeServices ui;
        ui.answerAllYes = true;
        const registers::ProcessMode mode = registers::ProcessMode::Reset;
        pass(s, ui, mode);
        EXPECT_TRUE(sameLines(ui.result, c.log));
    }
}

// ---------------------------------------------------------------------------------------------
// A generated month
// ---------------------------------------------------------------------------------------------

/// A pay month of May 2024 with a couple of hundred employees of every kind and their
/// clockings, as SQL. Deterministic: a fixed seed and no library distributions.
class MonthGenerator {
public:
    static constexpr int kEmployees = 200;
    static constexpr int kDays = 31;

    /// Employees, shifts, the period and the clockings of every day but the last.
    std::string month()
    {
        std::string sql = "BEGIN;";
        sql += shiftsSql();
        sql += periodSql();
        sql += employeesSql();
        sql += registerSql();
        std::vector<Row> rows;
        for (const Person& p : people_)
            for (int day = 0; day < kDays - 1; ++day)
                work(p, day, rows);
        strays(rows, -5, kDays - 1);
        // The table starts well before the period (so the walk skips ahead) and has
        // clockings on the day before it.
        rows.push_back({-5, 9 * 60, 0, "0999", "IN", "0"});
        rows.push_back({-2, 23 * 60, 0, people_[0].mobile, "IN", "0"});
        rows.push_back({-1, 12 * 60, 0, people_[1].mobile, "OUT", "0"});
        sql += clockingsSql(rows);
        return sql + "COMMIT;";
    }

    /// The clockings of the last day (with the mornings after its night shifts).
    std::string lastDay()
    {
        std::vector<Row> rows;
        for (const Person& p : people_)
            work(p, kDays - 1, rows);
        strays(rows, kDays - 1, kDays);
        return "BEGIN;" + clockingsSql(rows) + "COMMIT;";
    }

private:
    struct Person {
        int no = 0;
        std::optional<int> shift;
        std::string mobile;  ///< empty: NULL
        std::string payroll; ///< empty: NULL
        int earlyQuarters = 0;
        int lateQuarters = 0;
        bool nights = false; ///< a day job worked at night (carried over)
    };
    struct Row {
        int day;    ///< days from 1 May, may be negative
        int minute; ///< minutes from that day's midnight, may run over
        int second;
        std::string number;
        std::string status;
        std::string used; ///< "0", "1" or "" for NULL
        int msec = 0;
    };
    struct Span {
        int in;  ///< minutes
        int out; ///< minutes, below in: the next day
        bool empty = false;
    };

    std::mt19937 rng_{20240501u};
    std::vector<Person> people_;
    std::vector<std::array<int, 3>> rotation_; ///< ShiftNo, Shift2, Shift3 per day

    int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    bool chance(int percent) { return below(100) < percent; }

    /// Weekday of a day of May 2024, 0 = Sunday (1 May was a Wednesday).
    static int weekday(int day) { return ((day + 3) % 7 + 7) % 7; }

    static std::string date(int day)
    {
        char buf[48];
        if (day < 0)
            std::snprintf(buf, sizeof buf, "2024-04-%02d", 31 + day);
        else if (day >= 31)
            std::snprintf(buf, sizeof buf, "2024-06-%02d", day - 30);
        else
            std::snprintf(buf, sizeof buf, "2024-05-%02d", day + 1);
        return buf;
    }

    static std::string quoted(const std::string& text) { return text.empty() ? "NULL" : "'" + text + "'"; }

    /// The times of slots 1 to 6 per weekday: day jobs with an empty Sunday; 2/3 a day and a
    /// night (Sunday's day shift running to 23:30); 4/5/6 midnight, morning and evening to
    /// midnight (Saturday's 5 from 01:00).
    static Span span(int slot, int wd)
    {
        switch (slot) {
        case 1:
            return wd == 0 ? Span{8 * 60, 17 * 60, true} : (wd == 6 ? Span{8 * 60, 12 * 60} : Span{8 * 60, 17 * 60});
        case 2: return wd == 0 ? Span{14 * 60, 23 * 60 + 30} : Span{6 * 60, 18 * 60};
        case 3: return {18 * 60, 6 * 60};
        case 4: return {0, 8 * 60};
        case 5: return wd == 6 ? Span{60, 9 * 60} : Span{8 * 60, 16 * 60};
        case 6: return {16 * 60, 0};
        default: return {8 * 60, 17 * 60, true};
        }
    }

    static std::string hm(int minutes)
    {
        char buf[48];
        std::snprintf(buf, sizeof buf, "'%02d:%02d:00'", minutes / 60, minutes % 60);
        return buf;
    }

    std::string shiftsSql()
    {
        static const char* const days[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        std::string sql;
        for (int slot = 1; slot <= 6; ++slot) {
            std::string cols = "No";
            std::string values = std::to_string(slot);
            for (int wd = 0; wd < 7; ++wd) {
                const Span s = span(slot, wd);
                cols += std::string(", ") + days[wd] + "_TI, " + days[wd] + "_TO";
                values += s.empty ? ", NULL, NULL" : ", " + hm(s.in) + ", " + hm(s.out);
            }
            sql += "INSERT INTO Shifts (" + cols + ") VALUES (" + values + ");";
        }
        return sql;
    }

    /// Insert-Shifts-like rotation: ShiftNo 1, Shift2 and Shift3 move on after every Sunday.
    /// One Sunday has ShiftNo 0 and another day 7; two holidays (and a day marked in lower case).
    std::string periodSql()
    {
        std::string sql;
        int a = 2;
        int b = 4;
        for (int day = 0; day < kDays; ++day) {
            const int shiftNo = day == 11 ? 0 : (day == 18 ? 7 : 1);
            rotation_.push_back({shiftNo, a, b});
            const char* holiday = day == 0 || day == 26 ? "'Holiday'" : (day == 19 ? "'holiday'" : "NULL");
            sql += "INSERT INTO Period (Date, ShiftNo, Shift2, Shift3, Holiday) VALUES ('" + date(day) + "', "
                   + std::to_string(shiftNo) + ", " + std::to_string(a) + ", " + std::to_string(b) + ", " + holiday
                   + ");";
            if (weekday(day) == 0) {
                a = a == 2 ? 3 : 2;
                b = b == 4 ? 5 : (b == 5 ? 6 : 4);
            }
        }
        return sql;
    }

    /// Every kind: day jobs (shift 1, flexi or not, some at night), shift 9 and 8, two-shift
    /// 2/3, three-shift 4/5/6, no shift (0, -1, empty); some without a PayrollNo or MobileNo.
    std::string employeesSql()
    {
        for (int i = 0; i < kEmployees; ++i) {
            Person p;
            p.no = 10 + 3 * i;
            const int kind = i % 20;
            if (kind <= 6 || kind == 19)
                p.shift = 1;
            else if (kind == 7)
                p.shift = 9;
            else if (kind <= 17)
                p.shift = 2 + (kind - 8) / 2;
            else
                switch (i / 20 % 4) {
                case 0: p.shift = 0; break;
                case 1: p.shift = -1; break;
                case 2: p.shift = std::nullopt; break;
                default: p.shift = 8; break;
                }
            p.nights = kind == 6;
            p.mobile = i % 67 == 5 ? "" : "07" + std::to_string(1000 + i);
            p.payroll = kind == 19 && i % 40 == 19 ? "" : "PR" + std::to_string(5000 + i);
            p.earlyQuarters = below(13);
            p.lateQuarters = below(21);
            people_.push_back(p);
        }
        // Two day workers who share a clock number: its clockings are placed for neither.
        people_[41].payroll = people_[40].mobile;
        // Stored in a scrambled order: the pass goes by No.
        std::vector<const Person*> order;
        for (const Person& p : people_)
            order.push_back(&p);
        for (std::size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[static_cast<std::size_t>(below(static_cast<int>(i)))]);
        std::string sql;
        for (const Person* p : order) {
            // Totals to be cleared, drawn one by one so that the order of drawing is fixed.
            std::string totals = std::to_string(below(200)) + ".5";
            totals += ", " + std::to_string(below(20));
            totals += ", " + std::to_string(below(10));
            totals += ", " + std::to_string(below(8));
            sql += "INSERT INTO Employee (No, Name, MobileNo, PayrollNo, FlexiTime, ShiftNo, WorkEarly, WorkLate, NT, "
                   "OT1, OT2, HT) VALUES ("
                   + std::to_string(p->no) + ", 'Employee " + std::to_string(p->no) + "', " + quoted(p->mobile) + ", "
                   + quoted(p->payroll) + ", " + (p->no % 2 ? "'Y'" : "'N'") + ", "
                   + (p->shift ? std::to_string(*p->shift) : "NULL") + ", "
                   + (p->no % 11 == 3 ? std::string("NULL") : std::to_string(p->earlyQuarters * 0.25)) + ", "
                   + (p->no % 13 == 4 ? std::string("NULL") : std::to_string(p->lateQuarters * 0.25)) + ", " + totals
                   + ");";
        }
        return sql;
    }

    /// An old register to be thrown away, and rows of an employee that no longer exists.
    std::string registerSql()
    {
        std::string sql;
        for (int day = 0; day < 3; ++day) {
            sql += "INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1, Out1) VALUES ("
                   + std::to_string(people_[0].no) + ", '" + date(day - 30) + "', 'x', 1, '08:00:00', '17:00:00', 0, "
                   + "'08:01:00', '17:02:00');";
            sql +=
                "INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1) VALUES (9999, '"
                + date(day) + "', 'Monday', 1, '08:00:00', '17:00:00', 1, '22:00:00');";
        }
        return sql;
    }

    int slotOf(const Person& p, int day) const
    {
        if (!p.shift || *p.shift <= 0)
            return 0;
        const int n = *p.shift;
        const auto& r = rotation_[static_cast<std::size_t>(day)];
        if (n == 1 || n >= 7)
            return r[0];
        if (n <= 3)
            return n == r[1] ? 2 : 3;
        const int s = r[2] == 6 ? 4 : r[2] + 1;
        return n == r[2] ? 4 : (n == s ? 5 : 6);
    }

    /// Who the clocking is numbered with: mostly the MobileNo, sometimes the PayrollNo.
    std::string numberOf(const Person& p) { return chance(12) && !p.payroll.empty() ? p.payroll : p.mobile; }

    std::string status(bool in)
    {
        const int r = below(100);
        if (r < 4)
            return in ? "in" : "out";
        if (r < 5)
            return in ? "In" : "Out";
        return in ? "IN" : "OUT";
    }

    std::string used()
    {
        const int r = below(100);
        return r < 3 ? "1" : (r < 13 ? "" : "0");
    }

    void clock(std::vector<Row>& rows, const Person& p, int day, int minute, bool in)
    {
        Row r{day, minute, below(60), numberOf(p), status(in), used()};
        if (chance(3))
            r.msec = 1 + below(999);
        rows.push_back(r);
        if (chance(2))
            rows.push_back(r); // the same clocking read twice
    }

    /// One working day of one employee around the times of the day's slot.
    void work(const Person& p, int day, std::vector<Row>& rows)
    {
        if (chance(8))
            return;
        const int slot = slotOf(p, day);
        if (slot == 0 || slot >= 7 || p.nights) {
            // No slot, a slot without times, or a day job: office hours, or a night for the
            // night workers, with a lunch break now and then.
            if (p.nights && chance(70)) {
                clock(rows, p, day, 22 * 60 - 20 + below(40), true);
                clock(rows, p, day, 24 * 60 + 6 * 60 - 20 + below(50), false);
                return;
            }
            clock(rows, p, day, 8 * 60 - 30 + below(45), true);
            if (chance(15)) {
                clock(rows, p, day, 12 * 60 + below(20), false);
                clock(rows, p, day, 12 * 60 + 30 + below(20), true);
            }
            if (chance(4))
                clock(rows, p, day, 8 * 60 + 20 + below(20), true);
            clock(rows, p, day, 17 * 60 - 15 + below(60), false);
            return;
        }
        const Span s = span(slot, weekday(day));
        const int end = s.out > s.in ? s.out : s.out + 24 * 60;
        int in = s.in - 15 + below(25);
        if (chance(20))
            in = s.in - below(4 * 60); // early, on the day before for a shift starting at midnight
        int out = end - 10 + below(40);
        if (chance(20))
            out = end + below(5 * 60 + 30); // late, into the next day for a night shift
        clock(rows, p, day, in, true);
        if (slot == 1 && chance(15)) {
            clock(rows, p, day, 12 * 60 + below(20), false);
            clock(rows, p, day, 12 * 60 + 30 + below(20), true);
        }
        if (chance(3))
            clock(rows, p, day, in + 3 + below(10), true);
        clock(rows, p, day, out, false);
    }

    /// Clockings nobody planned: unknown numbers and no number at all.
    void strays(std::vector<Row>& rows, int from, int to)
    {
        const int count = 4 * (to - from);
        for (int i = 0; i < count; ++i) {
            const int day = from + below(to - from);
            const int minute = below(24 * 60);
            const bool unnumbered = chance(40);
            rows.push_back({day, minute, below(60), unnumbered ? "" : "09" + std::to_string(100 + below(50)),
                            chance(50) ? "IN" : "OUT", used()});
        }
    }

    /// Normalises the minutes to a date and a time and stores the rows in a shuffled order.
    std::string clockingsSql(std::vector<Row>& rows)
    {
        for (std::size_t i = rows.size(); i > 1; --i)
            std::swap(rows[i - 1], rows[static_cast<std::size_t>(below(static_cast<int>(i)))]);
        std::string sql;
        for (const Row& r : rows) {
            int day = r.day;
            int minute = r.minute;
            while (minute < 0) {
                minute += 24 * 60;
                --day;
            }
            day += minute / (24 * 60);
            minute %= 24 * 60;
            char time[64];
            if (r.msec != 0)
                std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d", minute / 60, minute % 60, r.second, r.msec);
            else
                std::snprintf(time, sizeof time, "%02d:%02d:%02d", minute / 60, minute % 60, r.second);
            sql += "INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES ('" + date(day) + "', '" + time
                   + "', " + quoted(r.number) + ", '" + r.status + "', " + (r.used.empty() ? "NULL" : r.used) + ");";
        }
        return sql;
    }
};

/// Everything the pass writes, compared between the store the program worked on and the one
/// the reference pass worked on. The reference knows the clockings' lines only: the program's
/// log is theirs followed by its own closing line, which must tell the counts it returned.
void expectSameResults(store::Database& real, store::Database& ref, std::vector<std::string> realLog,
                       const std::vector<std::string>& refLog, const std::string& caption,
                       const std::optional<registers::ProcessSummary>& summary)
{
    EXPECT_TRUE(sameLines(fullRegisterLines(real), fullRegisterLines(ref))) << "register";
    EXPECT_TRUE(sameLines(usedLines(real), usedLines(ref))) << "Used marks";
    EXPECT_TRUE(sameLines(totalsLines(real), totalsLines(ref))) << "totals";
    ASSERT_TRUE(summary);
    ASSERT_FALSE(realLog.empty());
    EXPECT_EQ(realLog.back(), caption + ": " + std::to_string(summary->placed) + " clockings placed, "
                                  + std::to_string(summary->notPlaced) + " not placed");
    realLog.pop_back();
    EXPECT_TRUE(sameLines(realLog, refLog)) << "Result log";
}

int usedCount(store::Database& db)
{
    return std::stoi(queryLines(db, "SELECT count(*) FROM ClkData WHERE Used = 1").at(0));
}

TEST(ProcessReference, GeneratedMonthMatchesRowByRowPass)
{
    MonthGenerator generator;
    MemoryStore real;
    MemoryStore ref;
    real.tables->openAll();
    ref.tables->openAll();
    const std::string month = generator.month();
    real.db->exec(month);
    ref.db->exec(month);
    reference::Tally tally;

    {
        SCOPED_TRACE("reset and process");
        FakeServices ui;
        ui.answerAllYes = true;
        const registers::ProcessMode mode = registers::ProcessMode::Reset;
        const int usedBefore = usedCount(*ref.db);
        const auto summary = pass(real, ui, mode);
        const std::vector<std::string> log = reference::pass(*ref.db, true, tally);
        expectSameResults(*real.db, *ref.db, ui.result, log, "Reset and Process Clock Data", summary);
        // Clockings marked used before the reset can be placed again without a new mark.
        ASSERT_TRUE(summary);
        EXPECT_GE(summary->placed, usedCount(*ref.db) - usedBefore);
        EXPECT_GT(summary->notPlaced, 0);
    }
    {
        SCOPED_TRACE("process the new clock data");
        const std::string lastDay = generator.lastDay();
        real.db->exec(lastDay);
        ref.db->exec(lastDay);
        FakeServices ui;
        const registers::ProcessMode mode = registers::ProcessMode::Add;
        const int usedBefore = usedCount(*ref.db);
        const auto summary = pass(real, ui, mode);
        const std::vector<std::string> log = reference::pass(*ref.db, false, tally);
        expectSameResults(*real.db, *ref.db, ui.result, log, "Process the New Clock Data", summary);
        // Only unused clockings are offered, so each one placed is one new mark.
        ASSERT_TRUE(summary);
        EXPECT_EQ(summary->placed, usedCount(*ref.db) - usedBefore);
        EXPECT_GT(summary->placed, 0);
        EXPECT_TRUE(ui.questions.empty());
    }

    // The month has to reach every rule for the comparison to mean something.
    EXPECT_GT(tally.dayJob, 0);
    EXPECT_GT(tally.carryOver, 0);
    EXPECT_GT(tally.dropped, 0);
    EXPECT_GT(tally.earlyStart, 0);
    EXPECT_GT(tally.lateFinish, 0);
    EXPECT_GT(tally.within, 0);
    EXPECT_GT(tally.byPayrollNo, 0);
    EXPECT_GT(tally.byEmptyNumber, 0);
    EXPECT_GT(tally.otherStatus, 0);
    EXPECT_GT(tally.passedOverUsed, 0);
    EXPECT_GT(tally.skippedAtStart, 0u);
    EXPECT_GT(tally.toNearerDay, 0);
    EXPECT_GT(tally.sharedNumber, 0);
}

/// The same month with same-day margins of 20 and 30 minutes: the program's pass and the
/// reference agree, and the margins place clockings that the shift alone refuses.
TEST(ProcessReference, GeneratedMonthWithMarginsMatchesRowByRowPass)
{
    MonthGenerator generator;
    MemoryStore real;
    MemoryStore ref;
    MemoryStore plain;
    const std::string month = generator.month();
    for (MemoryStore* s : {&real, &ref, &plain}) {
        s->tables->openAll();
        s->db->exec(month);
    }
    const registers::ShiftMargins margins{20 * 60'000, 30 * 60'000};
    reference::Tally tally;
    reference::Tally plainTally;

    FakeServices ui;
    ui.answerAllYes = true;
    const registers::ProcessMode mode = registers::ProcessMode::Reset;
    const auto summary = pass(real, ui, mode, margins);
    const std::vector<std::string> log = reference::pass(*ref.db, true, tally, {margins.earlyMs, margins.lateMs});
    expectSameResults(*real.db, *ref.db, ui.result, log, "Reset and Process Clock Data", summary);

    reference::pass(*plain.db, true, plainTally);
    EXPECT_GT(usedCount(*ref.db), usedCount(*plain.db));
    EXPECT_GT(tally.within, plainTally.within);
}

} // namespace
