// The two history pages: Show, Reset and Export csv.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "closeout/history.h"
#include "closeout/posting.h"
#include "core/error.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using closeout::HistoryBounds;
using closeout::HistoryView;
using core::WindowServices;
using testsupport::FakeServices;
using testsupport::readFile;
using Rows = std::vector<std::string>;

class HistoryPageTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Database& db = *s.db;
    store::Tables& t = *s.tables;
    FakeServices ui;
    testsupport::TempDir dir;

    void SetUp() override { t.openAll(); }

    void sql(const std::string& text) { s.exec(text); }

    Rows rows(const std::string& query) { return s.rows(query); }

    std::string exportView(store::Cursor& view, HistoryView which, const std::string& name = "history.csv")
    {
        ui.saveFiles.push_back(dir / name);
        closeout::exportHistory(view, which, ui);
        return readFile(dir / name);
    }
};

// ---------------------------------------------------------------------------------------------
// Show and Reset, the same on both pages

struct Page {
    HistoryView which;
    const char* table;
    const char* employeeColumn;
    const char* name;
};

void PrintTo(const Page& p, std::ostream* os) { *os << p.name; }

const Page kDetail{HistoryView::Detail, "History", "EmployeeNo", "Detail"};
const Page kSummaries{HistoryView::Summaries, "Summaries", "Employee", "Summaries"};

class ShowTest : public HistoryPageTest {
protected:
    Page page = kDetail;

    store::Cursor& view() { return page.which == HistoryView::Detail ? t.HistoryTable : t.SummariesTable; }

    /// Rows named a ... h by (employee, period); the marks as an earlier Show left them.
    void addRows()
    {
        sql(std::string("INSERT INTO ") + page.table + " (Name, " + page.employeeColumn
            + ", Period, Report) VALUES "
              "('a', 1, 1, NULL), ('b', 2, 1, 1), ('c', 3, 1, 0), ('d', 1, 2, 1), ('e', 2, 2, NULL), ('f', 3, 2, 0), "
              "('g', NULL, 1, NULL), ('h', 1, -1, 1)");
    }

    /// name:Report for every row in table order.
    Rows marks()
    {
        return rows(std::string("SELECT Name || ':' || ifnull(Report, 'NULL') FROM ") + page.table + " ORDER BY rowid");
    }

    /// The names of the rows the page shows, in its order.
    Rows shown()
    {
        Rows out;
        for (int i = 0; i < view().recordCount(); ++i)
            out.push_back(view().rowAt(i).asText("Name"));
        return out;
    }

    void show(const HistoryBounds& b) { closeout::showHistory(db, view(), page.which, b); }
};

struct ShowCase {
    const char* name;
    HistoryBounds bounds;
    Rows selected;
};

void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.name; }

class ShowBoundsTest : public ShowTest, public ::testing::WithParamInterface<std::tuple<Page, ShowCase>> {};

TEST_P(ShowBoundsTest, MarksTheRowsInsideAndShowsOnlyThem)
{
    const ShowCase& c = std::get<1>(GetParam());
    page = std::get<0>(GetParam());
    addRows();

    show(c.bounds);

    Rows expected;
    for (const char* n : {"a", "b", "c", "d", "e", "f", "g", "h"}) {
        const bool in = std::find(c.selected.begin(), c.selected.end(), n) != c.selected.end();
        expected.push_back(std::string(n) + ":" + (in ? "1" : "0"));
    }
    EXPECT_EQ(marks(), expected);
    EXPECT_EQ(shown(), c.selected);
    EXPECT_TRUE(view().filtered());
    EXPECT_EQ(view().filter(), "Report = 1");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Bounds, ShowBoundsTest,
    ::testing::Combine(
        ::testing::Values(kDetail, kSummaries),
        ::testing::Values(ShowCase{"StartingBoxes", {"1", "1", "1", "1"}, {"a"}},
                          ShowCase{"AllEmployeesOfOnePeriod", {"1", "3", "2", "2"}, {"d", "e", "f"}},
                          ShowCase{"BothEndsIncluded", {"2", "3", "1", "2"}, {"b", "c", "e", "f"}},
                          ShowCase{"EmployeesFromAboveTo", {"2", "1", "1", "2"}, {}},
                          ShowCase{"PeriodsFromAboveTo", {"1", "3", "2", "1"}, {}},
                          ShowCase{"EmptyEmployeeCountsZero", {"-5", "0", "1", "1"}, {"g"}},
                          ShowCase{"NegativePeriod", {"1", "1", "-3", "-1"}, {"h"}},
                          ShowCase{"BlanksAndSignsAsTyped", {" 3 ", "+3", "1", "2"}, {"c", "f"}},
                          ShowCase{"Everything", {"-100", "100", "-100", "100"}, {"a", "b", "c", "d", "e", "f", "g", "h"}})),
    [](const ::testing::TestParamInfo<std::tuple<Page, ShowCase>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });
// clang-format on

class ShowInvalidBoxTest : public ShowTest, public ::testing::WithParamInterface<std::tuple<Page, int, const char*>> {};

TEST_P(ShowInvalidBoxTest, ThrowsBeforeAnyMarkChangesAndLeavesTheViewUnfiltered)
{
    const auto& [which, box, text] = GetParam();
    page = which;
    addRows();
    show({"1", "3", "2", "2"}); // an earlier Show: the page is filtered
    ASSERT_TRUE(view().filtered());
    const Rows before = marks();
    HistoryBounds bounds{"1", "1", "1", "1"};
    std::string* boxes[] = {&bounds.fromEmployee, &bounds.toEmployee, &bounds.fromPeriod, &bounds.toPeriod};
    *boxes[box] = text;

    try {
        show(bounds);
        ADD_FAILURE() << "no error";
    } catch (const core::ConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
    }

    EXPECT_EQ(marks(), before);
    EXPECT_FALSE(view().filtered());
    EXPECT_EQ(view().recordCount(), 8);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Boxes, ShowInvalidBoxTest,
                         ::testing::Values(std::make_tuple(kDetail, 0, "x"), std::make_tuple(kDetail, 1, "x"),
                                           std::make_tuple(kDetail, 2, "x"), std::make_tuple(kDetail, 3, "x"),
                                           std::make_tuple(kDetail, 3, ""), std::make_tuple(kDetail, 2, "1.5"),
                                           std::make_tuple(kSummaries, 0, "x"), std::make_tuple(kSummaries, 3, "x")));
// clang-format on

TEST_F(ShowTest, EmptyTableIsFilteredWithoutReadingTheBoxes)
{
    for (const Page& p : {kDetail, kSummaries}) {
        SCOPED_TRACE(p.name);
        page = p;
        EXPECT_NO_THROW(show({"x", "", "1", "y"}));
        EXPECT_TRUE(view().filtered());
        EXPECT_EQ(view().recordCount(), 0);
    }
}

TEST_F(ShowTest, ResetShowsEveryRowAndKeepsTheMarks)
{
    for (const Page& p : {kDetail, kSummaries}) {
        SCOPED_TRACE(p.name);
        page = p;
        addRows();
        show({"1", "1", "1", "1"});
        ASSERT_EQ(shown(), Rows{"a"});
        const Rows after = marks();

        closeout::resetHistoryFilter(view());

        EXPECT_FALSE(view().filtered());
        EXPECT_EQ(view().filter(), "");
        EXPECT_EQ(shown(), (Rows{"a", "b", "c", "d", "e", "f", "g", "h"}));
        EXPECT_EQ(marks(), after);
    }
}

// ---------------------------------------------------------------------------------------------
// Export csv

constexpr const char* kDetailHeader =
    "No,Name,MobileNo,PayrollNo,Period,Date,DOW,Holiday,Shift,INTime,OUTTime,NHrs,HrsIn,"
    "NT,OT1,OT2,HT,In1,Out1,In2,Out2,In3,Out3,In4,Out4,In5,Out5\r\n";
constexpr const char* kSummariesHeader = "Period,StartDate,EndDate,EmployeeNo,Name,MobileNo,PayrollNo,NT,OT1,OT2,HT,"
                                         "FullHours,Lunch,HrsBeforeLunch,EarlyWork,LateWork,Play,Shift,FlexiTime\r\n";
const std::string kMidnight8 = "12:00:00 AM,12:00:00 AM,12:00:00 AM,12:00:00 AM,12:00:00 AM,12:00:00 AM,"
                               "12:00:00 AM,12:00:00 AM";

class ExportTest : public HistoryPageTest {
protected:
    void addHistory()
    {
        sql("INSERT INTO History (EmployeeNo, Name, MobileNo, PayrollNo, Period, Date, DOW, Holiday, Shift, INTime, "
            "OUTTime, NHrs, HrsIN, NT, OT1, OT2, Ht, In1, Out1, In2, Out2, In3, Out3, In4, Out4, In5, Out5, Report) "
            "VALUES "
            "(1, 'Ann, A', '0821', 'P1', 1, '2024-04-01', 'Monday', 0, 1, '08:00:00', '17:00:00', 9, 10, 7.5, 1.25, "
            "0, 0, '07:30:00', '17:45:00', '00:00:00', '00:00:00', '00:00:00', '00:00:00', '00:00:00', '00:00:00', "
            "'00:00:00', '00:00:00', 0),"
            "(2, 'Ben', NULL, NULL, 2, '2024-12-24', 'Tuesday', 1, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
            "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0)");
    }
};

const std::string kAnnLine = "1,\"Ann, A\",0821,P1,1,4/1/2024,Monday,False,1,8:00:00 AM,5:00:00 PM,9,10,7.5,1.25,0,0,"
                             "7:30:00 AM,5:45:00 PM,"
                             + kMidnight8 + "\r\n";
const std::string kBenLine = "2,Ben,,,2,12/24/2024,Tuesday,True,,,,,,,,,,,,,,,,,,,\r\n";

TEST_F(ExportTest, DetailWritesEveryRowOfTheViewAfterReset)
{
    addHistory();
    closeout::resetHistoryFilter(t.HistoryTable);

    EXPECT_EQ(exportView(t.HistoryTable, HistoryView::Detail), kDetailHeader + kAnnLine + kBenLine);
    EXPECT_EQ(ui.saveDialogs, std::vector<WindowServices::SaveDialog>{WindowServices::SaveDialog::Summary});
}

TEST_F(ExportTest, DetailAfterShowWritesOnlyTheSelectedRows)
{
    addHistory();
    closeout::showHistory(db, t.HistoryTable, HistoryView::Detail, {"2", "2", "2", "2"});
    EXPECT_EQ(exportView(t.HistoryTable, HistoryView::Detail, "ben.csv"), kDetailHeader + kBenLine);

    closeout::showHistory(db, t.HistoryTable, HistoryView::Detail, {"3", "9", "1", "9"});
    EXPECT_EQ(exportView(t.HistoryTable, HistoryView::Detail, "none.csv"), std::string(kDetailHeader));
}

TEST_F(ExportTest, SummariesWriteTheirOwnColumns)
{
    sql("INSERT INTO Summaries (Period, StartDate, EndDate, Employee, Name, MobileNo, PayrollNo, NT, OT1, OT2, HT, "
        "FullHours, Lunch, HrsBeforeLunch, EarlyWork, LateWork, Play, Shift, FlexiTime, Report) VALUES "
        "(1, '2024-04-01', '2024-04-07', 1, 'Ann', '0821', 'P1', 37.5, 2, 0, 8, 45, 30, 5, 2, 3, 10, 1, 'NO', 1),"
        "(1, '2024-04-01', '2024-04-07', 2, 'Ben \"B\"', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
        "NULL, NULL, NULL, NULL, 0)");

    EXPECT_EQ(exportView(t.SummariesTable, HistoryView::Summaries, "all.csv"),
              std::string(kSummariesHeader)
                  + "1,4/1/2024,4/7/2024,1,Ann,0821,P1,37.5,2,0,8,45,30,5,2,3,10,1,NO\r\n"
                    "1,4/1/2024,4/7/2024,2,\"Ben \"\"B\"\"\",,,,,,,,,,,,,,\r\n");

    closeout::showHistory(db, t.SummariesTable, HistoryView::Summaries, {"1", "1", "1", "1"});
    EXPECT_EQ(exportView(t.SummariesTable, HistoryView::Summaries, "ann.csv"),
              std::string(kSummariesHeader) + "1,4/1/2024,4/7/2024,1,Ann,0821,P1,37.5,2,0,8,45,30,5,2,3,10,1,NO\r\n");
}

TEST_F(ExportTest, EmptyViewGivesTheHeaderOnly)
{
    EXPECT_EQ(exportView(t.HistoryTable, HistoryView::Detail, "d.csv"), std::string(kDetailHeader));
    EXPECT_EQ(exportView(t.SummariesTable, HistoryView::Summaries, "s.csv"), std::string(kSummariesHeader));
}

TEST_F(ExportTest, CancelledDialogWritesNothing)
{
    addHistory();
    ui.saveFiles.push_back(std::nullopt);
    closeout::exportHistory(t.HistoryTable, HistoryView::Detail, ui);
    EXPECT_EQ(ui.saveDialogs.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(ExportTest, PostedDayExportsItsEmptyTimesAsMidnight)
{
    sql("INSERT INTO Employee (No, Name, MobileNo, PayrollNo, FlexiTime, ShiftNo, Lunch, HrsBefore, Play) VALUES "
        "(1, 'Ann', '0821', 'P1', 'NO', 1, 30, 5, 10)");
    sql("INSERT INTO Period (Date) VALUES ('2024-04-01')");
    // 07:30-17:30 in 08:00-17:00: HrsIN 10, NT 9 - 0.5 lunch = 8.5, OT1 1, NHrs 9
    sql("INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1, Out1) VALUES "
        "(1, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '07:30:00', '17:30:00')");
    ui.answerAllYes = true;
    ASSERT_TRUE(testsupport::asCommand(s, ui, testsupport::kHistoryEffects,
                                       [&] { return closeout::postToHistory(db, ui, "1"); }));

    EXPECT_EQ(exportView(t.HistoryTable, HistoryView::Detail),
              kDetailHeader
                  + std::string("1,Ann,0821,P1,1,4/1/2024,Monday,False,1,8:00:00 AM,5:00:00 PM,9,10,8.5,1,0,0,"
                                "7:30:00 AM,5:30:00 PM,")
                  + kMidnight8 + "\r\n");
}

} // namespace
