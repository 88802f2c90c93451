#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/error.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"
#include "workforce/employees.h"

namespace {

using core::Value;
using store::Cursor;
using testsupport::FakeServices;

constexpr const char* kInvalidFirst = ":This line contains an invalid number for the first field!";
constexpr const char* kDone = "Done, please check the RESULT page for any messages";
constexpr const char* kHeader =
    "No,Name,MobileNo,PayrollNo,FlexiTime,ShiftNo,FullHrs,Lunch,HrsBefore,WorkEarly,WorkLate,Play,Lat,Lon";

/// The identifying columns of one employee row.
struct Person {
    std::int64_t no;
    std::string name;
    std::string mobile;
    std::string payroll;
    friend bool operator==(const Person&, const Person&) = default;
};

void PrintTo(const Person& p, std::ostream* os)
{
    *os << "{" << p.no << ", '" << p.name << "', '" << p.mobile << "', '" << p.payroll << "'}";
}

/// A memory store with the employee cursor open and its new-row hook fed from `defaults`.
class EmployeeTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Tables& t = *s.tables;
    Cursor& e = t.EmployeeTable;
    workforce::EmployeeDefaults defaults{"NO", "-33.866", "18.5", "60", "4.5", "0.25", "1", "10"};
    FakeServices ui;
    testsupport::TempDir dir;

    void SetUp() override
    {
        e.onNewRecord = [this](Cursor& c) { workforce::EmployeeTableNewRecord(c, defaults, s.regional); };
        t.openAll();
    }

    void addEmployee(std::int64_t no, const std::string& name = {}, const std::string& mobile = {},
                     const std::string& payroll = {})
    {
        e.append();
        e.setInteger("No", no);
        e.setText("Name", name);
        e.setText("MobileNo", mobile);
        e.setText("PayrollNo", payroll);
        e.post();
    }

    std::vector<Person> people()
    {
        std::vector<Person> out;
        for (e.first(); !e.eof(); e.next())
            out.push_back({e.asInteger("No"), e.asText("Name"), e.asText("MobileNo"), e.asText("PayrollNo")});
        return out;
    }

    int sqlCount(const std::string& sql)
    {
        store::Statement st(*s.db, sql);
        st.step();
        return static_cast<int>(st.columnInt(0));
    }

    /// Writes the file and runs the import on it.
    void importText(const std::string& text, const std::string& name = "import.csv")
    {
        const auto file = dir / name;
        testsupport::writeFile(file, text);
        ui.openFiles.push_back(file);
        importEmployees();
    }

    /// "Import Employees" as its command runs it: the employee cursor read afresh afterwards,
    /// the bar at rest.
    void importEmployees()
    {
        testsupport::asCommand(s, ui, {{store::Table::Employee}, {}},
                               [&] { workforce::importEmployees(*s.db, e, ui); });
    }
};

// ---------------------------------------------------------------------------------------
// New-row defaults

TEST_F(EmployeeTest, NewEmployeeTakesTheDefaults)
{
    e.append();
    EXPECT_EQ(e.asText("FlexiTime"), "NO");
    EXPECT_DOUBLE_EQ(e.asReal("Lat"), -33.866);
    EXPECT_DOUBLE_EQ(e.asReal("Lon"), 18.5);
    EXPECT_DOUBLE_EQ(e.asReal("Lunch"), 60.0);
    EXPECT_DOUBLE_EQ(e.asReal("HrsBefore"), 4.5);
    EXPECT_DOUBLE_EQ(e.asReal("WorkEarly"), 0.25);
    EXPECT_DOUBLE_EQ(e.asReal("WorkLate"), 1.0);
    EXPECT_DOUBLE_EQ(e.asReal("Play"), 10.0);
    EXPECT_EQ(e.value("ShiftNo"), Value::integer(1));
    for (const char* col : {"Lat", "Lon", "Lunch", "HrsBefore", "WorkEarly", "WorkLate", "Play"})
        EXPECT_EQ(e.value(col).kind(), Value::Kind::Real) << col;
    for (const char* col : {"No", "Name", "MobileNo", "PayrollNo", "NT", "OT1", "OT2", "HT", "FullHrs"})
        EXPECT_TRUE(e.isNull(col)) << col;
    e.setInteger("No", 1);
    e.post();

    ASSERT_TRUE(e.findKey(Value::integer(1)));
    EXPECT_DOUBLE_EQ(e.asReal("HrsBefore"), 4.5);
    EXPECT_EQ(e.asText("FlexiTime"), "NO");
}

TEST_F(EmployeeTest, ChangedDefaultsApplyToTheNextRowOnly)
{
    addEmployee(1);
    defaults.flexiTime = "YES";
    defaults.speling = "15";
    defaults.latitude = "-26.2";
    addEmployee(2);

    ASSERT_TRUE(e.findKey(Value::integer(1)));
    EXPECT_EQ(e.asText("FlexiTime"), "NO");
    EXPECT_DOUBLE_EQ(e.asReal("Play"), 10.0);
    EXPECT_DOUBLE_EQ(e.asReal("Lat"), -33.866);
    ASSERT_TRUE(e.findKey(Value::integer(2)));
    EXPECT_EQ(e.asText("FlexiTime"), "YES");
    EXPECT_DOUBLE_EQ(e.asReal("Play"), 15.0);
    EXPECT_DOUBLE_EQ(e.asReal("Lat"), -26.2);
}

struct DefaultField {
    const char* name;
    const char* setting; ///< its key in SetupValues.ini
    std::string workforce::EmployeeDefaults::*field;
};

void PrintTo(const DefaultField& f, std::ostream* os) { *os << f.name; }

class BadDefaultTest : public EmployeeTest, public ::testing::WithParamInterface<DefaultField> {};

TEST_P(BadDefaultTest, AppendFailsAndAddsNoRow)
{
    addEmployee(1, "Ann");
    defaults.*GetParam().field = "7x";
    try {
        e.append();
        FAIL() << "append made a row from a default that is no number";
    } catch (const core::ConvertError& err) {
        // Named by the setting, so that the clerk knows where to look.
        EXPECT_EQ(std::string(err.what()), std::string("Setup value ") + GetParam().setting + " (the " + GetParam().name
                                               + " of a new employee): '7x' is not a valid "
                                                 "floating point value");
    }
    EXPECT_EQ(e.state(), Cursor::State::Browse);
    EXPECT_EQ(e.recordCount(), 1);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee"), 1);
    EXPECT_EQ(e.asText("Name"), "Ann");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EveryNumericDefault, BadDefaultTest,
                         ::testing::Values(DefaultField{"Lat", "LATITUDE", &workforce::EmployeeDefaults::latitude},
                                           DefaultField{"Lon", "LONGITUDE", &workforce::EmployeeDefaults::longitude},
                                           DefaultField{"Lunch", "MINUTES_BREAK", &workforce::EmployeeDefaults::minutesBreak},
                                           DefaultField{"HrsBefore", "MIN_HOURS", &workforce::EmployeeDefaults::minHours},
                                           DefaultField{"WorkEarly", "VROEG", &workforce::EmployeeDefaults::vroeg},
                                           DefaultField{"WorkLate", "LAAT", &workforce::EmployeeDefaults::laat},
                                           DefaultField{"Play", "SPELING", &workforce::EmployeeDefaults::speling}),
                         [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// ---------------------------------------------------------------------------------------
// FlexiTime

TEST_F(EmployeeTest, SetFlexiTimeChangesTheCurrentEmployeeOnly)
{
    addEmployee(1);
    addEmployee(2);
    ASSERT_TRUE(e.findKey(Value::integer(2)));
    workforce::setFlexiTime(e, true);
    EXPECT_EQ(e.state(), Cursor::State::Browse);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee WHERE No = 2 AND FlexiTime = 'YES'"), 1);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee WHERE No = 1 AND FlexiTime = 'NO'"), 1);

    workforce::setFlexiTime(e, false);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee WHERE FlexiTime = 'NO'"), 2);
}

TEST_F(EmployeeTest, SetFlexiTimeWithoutEmployeeDoesNothing)
{
    EXPECT_NO_THROW(workforce::setFlexiTime(e, true));
    EXPECT_EQ(e.state(), Cursor::State::Browse);
    EXPECT_EQ(e.recordCount(), 0);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee"), 0);
}

// ---------------------------------------------------------------------------------------
// Import line fields

struct SplitCase {
    const char* line;
    std::array<std::string, 4> fields;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << "'" << c.line << "'"; }

class SplitEmployeeLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitEmployeeLineTest, ReadsTheFourFields)
{
    EXPECT_EQ(workforce::splitEmployeeLine(GetParam().line), GetParam().fields) << "line: " << GetParam().line;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, SplitEmployeeLineTest,
    ::testing::Values(
        SplitCase{"5,Cara,0823,P3,", {"5", "Cara", "0823", "P3"}},
        SplitCase{"5,Cara,0823,P3", {"5", "Cara", "0823", "P3"}}, // as a spreadsheet writes it
        SplitCase{"5,Cara", {"5", "Cara", "", ""}},
        SplitCase{"7,Eve", {"7", "Eve", "", ""}},
        SplitCase{"5", {"5", "", "", ""}},
        SplitCase{"", {"", "", "", ""}},
        SplitCase{",,,,", {"", "", "", ""}},
        SplitCase{"5,,0823,,", {"5", "", "0823", ""}},
        SplitCase{"5,Cara,0823,P3,YES,1,,60", {"5", "Cara", "0823", "P3"}},
        SplitCase{" 5 , Cara ,0823 ,P3 ,", {" 5 ", " Cara ", "0823 ", "P3 "}},
        SplitCase{"5,Ann \"AJ\" Lee,0823,P3,", {"5", "Ann \"AJ\" Lee", "0823", "P3"}},
        SplitCase{"5, \"Bob\",0823,P3,", {"5", " \"Bob\"", "0823", "P3"}},
        SplitCase{"5,\"Bob, Jr\",0823,P3,", {"5", "Bob, Jr", "0823", "P3"}},
        SplitCase{"5,\"Say \"\"hi\"\"\",0823,P3,", {"5", "Say \"hi\"", "0823", "P3"}},
        SplitCase{"5,\"\",0823,P3,", {"5", "", "0823", "P3"}},
        SplitCase{"\"7\",Ann,0823,P3,", {"7", "Ann", "0823", "P3"}},
        SplitCase{"5,Cara,0823,\"P,3\",x", {"5", "Cara", "0823", "P,3"}},
        // Quoted, ending the line.
        SplitCase{"5,\"Bob, Jr\"", {"5", "Bob, Jr", "", ""}},
        SplitCase{"5,Cara,0823,\"P,3\"", {"5", "Cara", "0823", "P,3"}},
        // A closing quote not followed by the comma, or no closing quote: taken as it stands.
        SplitCase{"5,\"Bob\" ,0823,P3,", {"5", "\"Bob\" ", "0823", "P3"}},
        SplitCase{"0,\"Sipho\" Ndlovu,0829990000,P1004,", {"0", "\"Sipho\" Ndlovu", "0829990000", "P1004"}},
        SplitCase{"0,\"Smith,0821,P1,", {"0", "\"Smith", "0821", "P1"}},
        SplitCase{"5,\"Bob, Jr,0823,P3,", {"5", "\"Bob", " Jr", "0823"}}));
// clang-format on

// ---------------------------------------------------------------------------------------
// Import

TEST_F(EmployeeTest, ZeroNumberedLinesCountOnFromTheHighestNumber)
{
    addEmployee(2, "Old two");
    addEmployee(5, "Old five");
    ui.result = {"left from before"};
    importText("0,Ann,0821,P1,\n0,Bob,0822,P2,\n0,Cara,0823,P3,\n");

    EXPECT_EQ(people(), (std::vector<Person>{{2, "Old two", "", ""},
                                             {5, "Old five", "", ""},
                                             {6, "Ann", "0821", "P1"},
                                             {7, "Bob", "0822", "P2"},
                                             {8, "Cara", "0823", "P3"}}));
    EXPECT_TRUE(ui.result.empty());
    EXPECT_EQ(ui.openTitles, (std::vector<std::string>{"Import Employees"}));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kDone}));
    EXPECT_EQ(ui.pages, (std::vector<std::string>{"Result"}));
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(ui.position, 0);
}

// Employee 12 was posted and then deleted: a new employee does not get his number, or the
// history of two people would be mixed under it.
TEST_F(EmployeeTest, ZeroNumberedLinesCountOnAboveTheNumbersInTheHistory)
{
    addEmployee(5, "Five");
    s.db->exec("INSERT INTO Summaries (Period, Employee, Name) VALUES (1, 12, 'Gone'), (2, 9, 'Nine')");
    importText("0,Ann,,,\n");
    EXPECT_EQ(people(), (std::vector<Person>{{5, "Five", "", ""}, {13, "Ann", "", ""}}));
}

// A spreadsheet on an office PC saves in Windows-1252: Renée as the byte E9, no comma after
// the last field. The name is stored as the text it is, and the Result page says how it was read.
TEST_F(EmployeeTest, AWindowsCodePageFileIsReadAsWindows1252)
{
    importText("5,Ren\xE9"
               "e,0823,P3\r\n6,Zo\xEB,0824,P4\r\n",
               "Staff.csv");
    EXPECT_EQ(people(), (std::vector<Person>{{5,
                                              "Ren\xC3\xA9"
                                              "e",
                                              "0823", "P3"},
                                             {6, "Zo\xC3\xAB", "0824", "P4"}}));
    EXPECT_EQ(ui.result, (std::vector<std::string>{"Staff.csv: read as Windows-1252 (the file is not UTF-8)"}));
}

TEST_F(EmployeeTest, ZeroNumberedLinesInAnEmptyTableStartAtOne)
{
    importText("0,Ann,,,\n0,Bob,,,\n");
    EXPECT_EQ(people(), (std::vector<Person>{{1, "Ann", "", ""}, {2, "Bob", "", ""}}));
}

TEST_F(EmployeeTest, OnlyZeroNumberedLinesAdvanceTheCounter)
{
    addEmployee(5);
    importText("6,Ann,,,\n0,Bob,,,\n0,Cara,,,\n9,Dan,,,\n0,Eve,,,\n3,Finn,,,\n");

    EXPECT_EQ(ui.result, (std::vector<std::string>{"6 ='6' already exists in the employee table"}));
    EXPECT_EQ(people(), (std::vector<Person>{{3, "Finn", "", ""},
                                             {5, "", "", ""},
                                             {6, "Ann", "", ""},
                                             {7, "Cara", "", ""},
                                             {8, "Eve", "", ""},
                                             {9, "Dan", "", ""}}));
}

TEST_F(EmployeeTest, ExistingNumberIsReportedAndKept)
{
    addEmployee(3, "Original", "0820", "P0");
    importText("3,Impostor,0999,P9,\n");
    EXPECT_EQ(ui.result, (std::vector<std::string>{"3 ='3' already exists in the employee table"}));
    EXPECT_EQ(people(), (std::vector<Person>{{3, "Original", "0820", "P0"}}));
}

TEST_F(EmployeeTest, LinesWithoutAValidNumberAreReportedWhole)
{
    importText("No,Name,MobileNo,PayrollNo\n"
               "\n"
               "abc,Ann,0821,P1,\n"
               "4.5,Bob,0822,P2,\n"
               "7,Cara,0823,P3,\n"
               "8\n");
    EXPECT_EQ(ui.result, (std::vector<std::string>{std::string("No,Name,MobileNo,PayrollNo") + kInvalidFirst,
                                                   kInvalidFirst, std::string("abc,Ann,0821,P1,") + kInvalidFirst,
                                                   std::string("4.5,Bob,0822,P2,") + kInvalidFirst}));
    // "8" alone is a number that runs to the end of the line: an employee without a name.
    EXPECT_EQ(people(), (std::vector<Person>{{7, "Cara", "0823", "P3"}, {8, "", "", ""}}));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kDone}));
}

TEST_F(EmployeeTest, ImportedEmployeesTakeTheDefaultsNotTheFile)
{
    defaults.flexiTime = "YES";
    importText("0,Ann,0821,P1,NO,3,8,45,5,2,3,20,1.5,2.5\n");
    ASSERT_TRUE(e.findKey(Value::integer(1)));
    EXPECT_EQ(e.asText("FlexiTime"), "YES");
    EXPECT_EQ(e.asInteger("ShiftNo"), 1);
    EXPECT_TRUE(e.isNull("FullHrs"));
    EXPECT_DOUBLE_EQ(e.asReal("Lunch"), 60.0);
    EXPECT_DOUBLE_EQ(e.asReal("HrsBefore"), 4.5);
    EXPECT_DOUBLE_EQ(e.asReal("WorkEarly"), 0.25);
    EXPECT_DOUBLE_EQ(e.asReal("WorkLate"), 1.0);
    EXPECT_DOUBLE_EQ(e.asReal("Play"), 10.0);
    EXPECT_DOUBLE_EQ(e.asReal("Lat"), -33.866);
    EXPECT_DOUBLE_EQ(e.asReal("Lon"), 18.5);
}

TEST_F(EmployeeTest, LinesMayEndWithCrLfOrLf)
{
    importText("1,Ann,0821,P1,\r\n"
               "bad line\r\n"
               "2,Bob,0822,P2,\n"
               "3,Cara,0823,P3\r\n"
               "4,Dan,0824,P4,");
    EXPECT_EQ(ui.result, (std::vector<std::string>{std::string("bad line") + kInvalidFirst}));
    EXPECT_EQ(
        people(),
        (std::vector<Person>{
            {1, "Ann", "0821", "P1"}, {2, "Bob", "0822", "P2"}, {3, "Cara", "0823", "P3"}, {4, "Dan", "0824", "P4"}}));
}

TEST_F(EmployeeTest, StrayQuotesKeepEveryField)
{
    importText("0,\"Sipho\" Ndlovu,0829990000,P1004,\n0,\"Smith,0821,P1,\n");
    EXPECT_TRUE(ui.result.empty());
    EXPECT_EQ(people(),
              (std::vector<Person>{{1, "\"Sipho\" Ndlovu", "0829990000", "P1004"}, {2, "\"Smith", "0821", "P1"}}));
}

TEST_F(EmployeeTest, ByteOrderMarkIsNoPartOfTheFirstLine)
{
    // Spreadsheets save "CSV UTF-8" with a mark before the first employee.
    importText("\xEF\xBB\xBF"
               "4,Ann,0821,P1,\r\n5,Bob,0822,P2,\r\n");
    EXPECT_TRUE(ui.result.empty());
    EXPECT_EQ(people(), (std::vector<Person>{{4, "Ann", "0821", "P1"}, {5, "Bob", "0822", "P2"}}));
}

TEST_F(EmployeeTest, NumberAboveTheIntegerRangeIsRefused)
{
    addEmployee(2147483646);
    importText("2147483648,Ann,0821,P1,\n0,Bob,0822,P2,\n0,Cara,0823,P3,\n");
    const std::string tooLarge = ":The employee number is above the highest employee number, 2147483647!";
    EXPECT_EQ(ui.result,
              (std::vector<std::string>{"2147483648,Ann,0821,P1," + tooLarge, "0,Cara,0823,P3," + tooLarge}));
    EXPECT_EQ(people(), (std::vector<Person>{{2147483646, "", "", ""}, {2147483647, "Bob", "0822", "P2"}}));
}

TEST_F(EmployeeTest, CancelledOpenDialogImportsNothing)
{
    ui.result = {"left from before"};
    importEmployees();
    EXPECT_TRUE(ui.result.empty());
    EXPECT_EQ(ui.openTitles.size(), 1u);
    EXPECT_EQ(e.recordCount(), 0);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee"), 0);
}

TEST_F(EmployeeTest, MissingFileEndsWithAnErrorNamingIt)
{
    const auto file = dir / "nowhere.csv";
    ui.openFiles.push_back(file);
    try {
        importEmployees();
        FAIL() << "a missing file was imported";
    } catch (const core::Error& err) {
        EXPECT_NE(std::string(err.what()).find(file.string()), std::string::npos) << err.what();
    }
    EXPECT_EQ(e.recordCount(), 0);
    EXPECT_TRUE(ui.pages.empty());
}

TEST_F(EmployeeTest, NewRowFailureEndsTheImportNamingTheSetting)
{
    // The fourth row made finds a default that is no number: the Setup page is at fault, not
    // the line of the file.
    int made = 0;
    e.onNewRecord = [&](Cursor& c) {
        if (++made == 4)
            defaults.speling = "7x";
        workforce::EmployeeTableNewRecord(c, defaults, s.regional);
    };
    const auto file = dir / "staff.csv";
    testsupport::writeFile(file, "No,Name,MobileNo,PayrollNo\n0,Ann,,,\n0,Bob,,,\n7,Cara,,,\n0,Dan,,,\n0,Eve,,,\n");
    ui.openFiles.push_back(file);
    try {
        importEmployees();
        FAIL() << "the import went on past a row that could not be made";
    } catch (const core::Error& err) {
        const std::string text = err.what();
        EXPECT_EQ(text, "Setup value SPELING (the Play of a new employee): '7x' is not a valid floating point value");
    }
    EXPECT_EQ(e.state(), Cursor::State::Browse);
    EXPECT_EQ(people(), (std::vector<Person>{{1, "Ann", "", ""}, {2, "Bob", "", ""}, {7, "Cara", "", ""}}));
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee"), 3);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(ui.position, 0);
}

// ---------------------------------------------------------------------------------------
// Export

TEST_F(EmployeeTest, ExportWritesHeaderAndOneLinePerEmployeeInNumberOrder)
{
    addEmployee(3, "Smith, Bob", "0823", "P3");
    addEmployee(1, "Ann", "0821", "P1");
    ASSERT_TRUE(e.findKey(Value::integer(3)));
    e.edit();
    e.setText("FlexiTime", "YES");
    e.setInteger("ShiftNo", 2);
    e.setReal("FullHrs", 8.5);
    e.setReal("Lat", 0.1 + 0.2);
    e.setReal("Lon", 2.0 / 3.0);
    e.post();

    const auto file = dir / "Employees.csv";
    ui.saveFiles.push_back(file);
    workforce::exportEmployees(e, ui);

    EXPECT_EQ(ui.saveDialogs,
              (std::vector<core::WindowServices::SaveDialog>{core::WindowServices::SaveDialog::EmployeeFile}));
    EXPECT_EQ(testsupport::readFile(file),
              std::string(kHeader) + "\r\n" + "1,Ann,0821,P1,NO,1,,60,4.5,0.25,1,10,-33.866,18.5\r\n"
                  + "3,\"Smith, Bob\",0823,P3,YES,2,8.5,60,4.5,0.25,1,10,0.3,0.666666666666667\r\n");
}

TEST_F(EmployeeTest, ExportOfAnEmptyTableIsTheHeaderOnly)
{
    const auto file = dir / "Employees.csv";
    ui.saveFiles.push_back(file);
    workforce::exportEmployees(e, ui);
    EXPECT_EQ(testsupport::readFile(file), std::string(kHeader) + "\r\n");
}

TEST_F(EmployeeTest, CancelledSaveDialogWritesNothing)
{
    addEmployee(1, "Ann");
    workforce::exportEmployees(e, ui);
    EXPECT_EQ(ui.saveDialogs.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(EmployeeTest, ReimportOfTheExportAddsNothing)
{
    addEmployee(1, "Ann", "0821", "P1");
    addEmployee(2, "Smith, Bob", "0822", "P2");
    const auto file = dir / "Employees.csv";
    ui.saveFiles.push_back(file);
    workforce::exportEmployees(e, ui);
    const auto before = people();

    ui.openFiles.push_back(file);
    importEmployees();
    EXPECT_EQ(ui.result, (std::vector<std::string>{std::string(kHeader) + kInvalidFirst,
                                                   "1 ='1' already exists in the employee table",
                                                   "2 ='2' already exists in the employee table"}));
    EXPECT_EQ(people(), before);
}

TEST_F(EmployeeTest, ExportImportsIntoAnEmptyTableUnchanged)
{
    addEmployee(1, "Ann", "0821", "P1");
    addEmployee(4, "Smith, Bob", "0822", "P,2");
    addEmployee(9, "Ann \"AJ\" Lee", "", "P9");
    addEmployee(12, "", "0824", "");
    const auto file = dir / "Employees.csv";
    ui.saveFiles.push_back(file);
    workforce::exportEmployees(e, ui);

    testsupport::MemoryStore other;
    Cursor& o = other.tables->EmployeeTable;
    o.onNewRecord = [&](Cursor& c) { workforce::EmployeeTableNewRecord(c, defaults, other.regional); };
    other.tables->openAll();
    FakeServices ui2;
    ui2.openFiles.push_back(file);
    workforce::importEmployees(*other.db, o, ui2);

    std::vector<Person> imported;
    for (o.first(); !o.eof(); o.next())
        imported.push_back({o.asInteger("No"), o.asText("Name"), o.asText("MobileNo"), o.asText("PayrollNo")});
    EXPECT_EQ(imported, people());
    EXPECT_EQ(ui2.result, (std::vector<std::string>{std::string(kHeader) + kInvalidFirst}));
}

// ---------------------------------------------------------------------------------------
// Delete

class DeleteEmployeeTest : public EmployeeTest {
protected:
    void SetUp() override
    {
        EmployeeTest::SetUp();
        for (int no : {1, 2, 3})
            addEmployee(no, "E" + std::to_string(no));
        s.db->exec("INSERT INTO Attendance (EmployeeNo, Date) VALUES (1, '2024-04-01'), (2, '2024-04-01'), "
                   "(2, '2024-04-02'), (3, '2024-04-01')");
        t.AttendanceTable.invalidateCache();
        t.AttendanceTable.refresh();
    }
    std::vector<std::int64_t> numbers()
    {
        std::vector<std::int64_t> out;
        for (const Person& p : people())
            out.push_back(p.no);
        return out;
    }
};

struct RefusalCase {
    const char* name;
    std::vector<bool> answers; ///< the last one is the No
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class DeleteRefusedTest : public DeleteEmployeeTest, public ::testing::WithParamInterface<RefusalCase> {
protected:
    /// The questions up to and including the one answered No.
    std::vector<std::string> askedOf(const std::vector<std::string>& questions) const
    {
        return {questions.begin(), questions.begin() + static_cast<std::ptrdiff_t>(GetParam().answers.size())};
    }
};

TEST_P(DeleteRefusedTest, DeleteCurrentChangesNothing)
{
    ASSERT_TRUE(e.findKey(Value::integer(2)));
    ui.answers.assign(GetParam().answers.begin(), GetParam().answers.end());
    workforce::deleteCurrentEmployee(e, ui);
    EXPECT_EQ(ui.questions,
              askedOf({"Delete current Employee - are you sure?", "Final Warning - Delete Current Employee?"}));
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{1, 2, 3}));
}

TEST_P(DeleteRefusedTest, DeleteAllChangesNothing)
{
    ui.answers.assign(GetParam().answers.begin(), GetParam().answers.end());
    workforce::deleteAllEmployees(e, ui);
    EXPECT_EQ(ui.questions, askedOf({"Delete all Employees - are you sure?", "Final Warning - Delete all Employees?"}));
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{1, 2, 3}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(WhichAnswerIsNo, DeleteRefusedTest,
                         ::testing::Values(RefusalCase{"First", {false}}, RefusalCase{"Final", {true, false}}),
                         [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(DeleteEmployeeTest, DeleteCurrentRemovesThatEmployeeAndKeepsTheRegister)
{
    ASSERT_TRUE(e.findKey(Value::integer(2)));
    ui.answers = {true, true};
    workforce::deleteCurrentEmployee(e, ui);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{1, 3}));
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee"), 2);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Attendance WHERE EmployeeNo = 2"), 2);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Attendance"), 4);
}

class DeleteAllTest;

struct StandCase {
    const char* name;
    std::function<void(DeleteAllTest&)> place;
};

void PrintTo(const StandCase& c, std::ostream* os) { *os << c.name; }

class DeleteAllTest : public DeleteEmployeeTest, public ::testing::WithParamInterface<StandCase> {
public:
    Cursor& employees() { return e; }
    FakeServices& services() { return ui; }
    const testsupport::TempDir& folder() const { return dir; }
};

TEST_P(DeleteAllTest, RemovesEveryEmployeeWhereverTheCursorStood)
{
    GetParam().place(*this);
    ui.answers = {true, true};
    workforce::deleteAllEmployees(e, ui);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Employee"), 0);
    EXPECT_EQ(e.recordCount(), 0);
    EXPECT_EQ(sqlCount("SELECT COUNT(*) FROM Attendance"), 4);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Positions, DeleteAllTest,
    ::testing::Values(StandCase{"First", [](DeleteAllTest& f) { f.employees().first(); }},
                      StandCase{"Middle",
                                [](DeleteAllTest& f) { ASSERT_TRUE(f.employees().findKey(Value::integer(2))); }},
                      StandCase{"Last", [](DeleteAllTest& f) { f.employees().last(); }},
                      StandCase{"PastTheLast",
                                [](DeleteAllTest& f) {
                                    f.employees().last();
                                    // clang-format on
                                    f.employees().next();
                                    ASSERT_TRUE(f.employees().eof());
                                }},
                      // An export walks the cursor to its end and leaves it there.
                      StandCase{"AfterExport",
                                [](DeleteAllTest& f) {
                                    f.services().saveFiles.push_back(f.folder() / "Employees.csv");
                                    workforce::exportEmployees(f.employees(), f.services());
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

// ---------------------------------------------------------------------------------------
// Texts a spreadsheet would run

namespace {

struct FormulaCase {
    const char* column;
    const char* text;
    const char* word; ///< how the refusal names its start, or null when the text is taken
};

const FormulaCase kFormulaCases[] = {
    {"Name", "=1+1", "'='"},
    {"PayrollNo", "+2+2", "'+'"},
    {"MobileNo", "@SUM(1)", "'@'"},
    {"Name", "\tAnn", "a tab"},
    {"PayrollNo", "\rP1", "a carriage return"},
    {"Name", "Ann = Anna", nullptr}, // only the start counts
    {"MobileNo", "0821234567", nullptr},
    {"Name", "-Ann", nullptr},
};

} // namespace

TEST_F(EmployeeTest, TheGridRefusesANameOrNumberThatBeginsLikeAFormula)
{
    e.onBeforePost = [this](Cursor& c, const store::Record* before, const store::Record& after) {
        workforce::EmployeeTableBeforePost(*s.db, c, before, after);
    };
    std::int64_t no = 0;
    for (const FormulaCase& c : kFormulaCases) {
        SCOPED_TRACE(std::string(c.column) + " " + c.text);
        e.append();
        e.setInteger("No", ++no);
        e.setText(c.column, c.text);
        if (c.word == nullptr) {
            EXPECT_NO_THROW(e.post());
            continue;
        }
        try {
            e.post();
            ADD_FAILURE() << "taken";
        } catch (const core::Error& err) {
            EXPECT_EQ(std::string(err.what()), std::string(c.column) + " '" + c.text + "' begins with " + c.word
                                                   + ", which a spreadsheet opening the payroll files would run as "
                                                     "a formula: please type it without that at the start.");
        }
        e.cancel();
    }
    // A value stored before the rule stays, and the row's other columns can still be changed.
    s.db->exec("UPDATE Employee SET Name = '=HYPERLINK(1)' WHERE No = 6");
    e.refresh();
    ASSERT_TRUE(e.findKey(Value::integer(6)));
    e.edit();
    e.setText("PayrollNo", "P6");
    EXPECT_NO_THROW(e.post());
    e.edit();
    e.setText("Name", "=HYPERLINK(2)");
    EXPECT_THROW(e.post(), core::Error);
    e.cancel();
}

TEST_F(EmployeeTest, TheImportLeavesALineWithAFormulaOutAndSaysWhy)
{
    importText("1,=1+1,0821,P1\n2,Ben,+27821,P2\n3,Cara,0823,@SUM(1)\n4,Dan,0824,P4\n");
    ASSERT_EQ(ui.result.size(), 3u);
    EXPECT_EQ(ui.result[0].rfind("1,=1+1,0821,P1:Name '=1+1' begins with '='", 0), 0u) << ui.result[0];
    EXPECT_EQ(ui.result[1].rfind("2,Ben,+27821,P2:MobileNo '+27821' begins with '+'", 0), 0u) << ui.result[1];
    EXPECT_EQ(ui.result[2].rfind("3,Cara,0823,@SUM(1):PayrollNo '@SUM(1)' begins with '@'", 0), 0u) << ui.result[2];
    EXPECT_EQ(people(), (std::vector<Person>{{4, "Dan", "0824", "P4"}}));
}
