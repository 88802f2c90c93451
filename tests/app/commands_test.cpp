// What the commands' adapters keep in the program beyond the logic's results: the mode of the
// next clock-processing pass, the pay period number after a posting, and where the employee
// grid stands afterwards.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "app/backups.h"
#include "app/commands.h"
#include "app/demo.h"
#include "app/program.h"
#include "app/windowlock.h"
#include "core/error.h"
#include "programs.h"
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
        p = testsupport::startedProgram(dir.path(), core::encodeDate(2024, 4, 10));
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

// ---------------------------------------------------------------------------------------------
// No stale grid: after every command of the table, run on the demo site through a pay period,
// each grid shows the rows its table holds, with their values as stored. A row of the command
// table that forgets a table its command writes fails here.

/// An open dialog's answer that stands for the oldest backup the steps have left.
constexpr const char* kFirstBackup = "(the first backup)";

/// What one command needs from the clerk: the files its dialogs are given.
struct Step {
    const char* handler;
    std::vector<std::string> open; ///< names in the site folder, for the open dialogs
    std::vector<std::string> save; ///< names in the site folder, for the save dialogs
};

class NoStaleGridTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<app::Program> p;

    void SetUp() override { p = testsupport::startedDemo(dir.path()); }
    void TearDown() override { p->FormClose(); }

    int count(const std::string& sql)
    {
        store::Statement st(p->db(), sql);
        st.step();
        return static_cast<int>(st.columnInt(0));
    }

    /// The grid against its table: as many rows, and its current row as a fresh read has it.
    void expectInSync(store::Cursor& c, const std::string& rowsSql)
    {
        SCOPED_TRACE(c.name());
        ASSERT_EQ(c.recordCount(), count(rowsSql));
        if (c.recordCount() == 0 || c.state() != store::Cursor::State::Browse)
            return;
        // The current row by its key, read afresh by a cursor of its own.
        store::Cursor fresh(p->db(), c.table(), p->regional());
        fresh.open();
        const std::string key = c.table().key;
        ASSERT_TRUE(fresh.findKey(c.value(key)));
        for (const auto& column : c.table().columns)
            EXPECT_EQ(c.asText(column.name), fresh.asText(column.name)) << column.name;
        fresh.close();
    }

    void expectNoStaleGrid()
    {
        store::Tables& t = p->tables();
        const auto viewRows = [](store::Cursor& c, const std::string& table) {
            return "SELECT count(*) FROM " + table + (c.filtered() ? " WHERE Report = 1" : "");
        };
        expectInSync(t.EmployeeTable, "SELECT count(*) FROM Employee");
        expectInSync(t.ClkdataTable, "SELECT count(*) FROM ClkData");
        expectInSync(t.PeriodTable, "SELECT count(*) FROM Period");
        expectInSync(t.ShiftsTable, "SELECT count(*) FROM Shifts");
        expectInSync(t.PerhistoryTable, "SELECT count(*) FROM PerHistory");
        expectInSync(t.HistoryTable, viewRows(t.HistoryTable, "History"));
        expectInSync(t.SummariesTable, viewRows(t.SummariesTable, "Summaries"));
        const std::string employee =
            t.EmployeeTable.recordCount() > 0 ? std::to_string(t.EmployeeTable.asInteger("No")) : "NULL";
        expectInSync(t.AttendanceTable, "SELECT count(*) FROM Attendance WHERE EmployeeNo = " + employee);
    }
};

TEST_F(NoStaleGridTest, EveryCommandLeavesEveryGridInStepWithItsTable)
{
    // A pay period in the order a clerk works, then the upkeep and the deletions.
    const std::vector<Step> steps{
        {"Button6Click", {}, {}},
        {"Button5Click", {}, {}},
        {"Button3Click", {}, {}},
        {"Button7Click", {}, {}},
        {"SetasHOLIDAY1Click", {}, {}},
        {"ResetHOLIDAY1Click", {}, {}},
        {"ImportPreviousdownloadedfiles1Click", {"clockdata.txt"}, {}},
        {"DownloadfromBiometricUnit1Click", {"scanner.dat"}, {}},
        {"ProcessClockData1Click", {}, {}},
        {"AddNewClockings1Click", {"clockdata.txt"}, {}},
        {"AddClockDataToExistingRegister1Click", {}, {}},
        {"N8Click", {}, {}},
        {"SetFLEXITIMEtoYES1Click", {}, {}},
        {"SetFLEXITIMEtoNO1Click", {}, {}},
        {"Summarise1Click", {}, {}},
        {"ApplyFULLHOURSworkbeforeOVERTIME1Click", {}, {}},
        {"ExportNTOT1OT2HT1Click", {}, {"a.csv"}},
        {"ExportNTHTOT1OT21Click", {}, {"b.csv"}},
        {"POSTtoHISTORYFILE1Click", {}, {}},
        {"POSTtoHISTORYFILE1Click", {}, {}},
        {"Button11Click", {}, {}},
        {"Button13Click", {}, {"detail.csv"}},
        {"Button12Click", {}, {}},
        {"Button14Click", {}, {}},
        {"Button16Click", {}, {"summaries.csv"}},
        {"Button15Click", {}, {}},
        {"DeletePayPeriod1Click", {}, {}},
        {"DeleteClockingsUsed1Click", {}, {}},
        {"ResetUSEDField1Click", {}, {}},
        {"DeleteDoubleClockEntries1Click", {}, {}},
        {"ExportEmployees1Click", {}, {"employees.csv"}},
        {"ImportEmployees1Click", {"employees.csv"}, {}},
        {"DeleteEmployee1Click", {}, {}},
        {"BackupDatabase1Click", {}, {}},
        {"DeleteAllEmployees1Click", {}, {}},
        {"RestoreDatabase1Click", {kFirstBackup}, {}},
        {"BitBtn3Click", {}, {}},
    };
    // Every command of the table is run, but the two that print (pages need Qt's graphics)
    // and the download (it needs a server; it writes a file, no table).
    std::vector<std::string> covered{"PrintTimesheets1Click", "PrintPeriodReport1Click", "Downloadfromwebserver1Click"};
    for (const Step& s : steps)
        covered.push_back(s.handler);
    for (const app::Command& c : app::commandTable()) {
        if (c.kind == app::Command::Kind::Command) {
            EXPECT_NE(std::find(covered.begin(), covered.end(), c.handler), covered.end()) << c.handler;
        }
    }

    p->pickers.newEndDate = core::encodeDate(2026, 5, 31);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.handler);
        FakeServices ui;
        ui.answerAllYes = true;
        for (const std::string& f : s.open)
            ui.openFiles.push_back(f == kFirstBackup ? app::backupsIn(app::backupsFolder(*p)).front() : dir / f);
        for (const std::string& f : s.save)
            ui.saveFiles.push_back(dir / f);
        app::execute(*p, ui, *app::findCommand(s.handler));
        expectNoStaleGrid();
    }
}

// The window stays open all day while the nightly runner works on the same site: what the
// runner changed is seen at the window's next look, and an edit of a row it removed fails.
TEST(CatchUpTest, AnotherProgramsChangesAreReadAtTheNextLook)
{
    testsupport::TempDir dir;
    auto window = testsupport::startedProgram(dir.path(), core::encodeDate(2024, 4, 10));
    window->db().exec("INSERT INTO Employee (No, Name) VALUES (1, 'Ann'), (5, 'Eve'), (6, 'Finn')");
    window->tables().EmployeeTable.refresh();
    store::Cursor& employees = window->tables().EmployeeTable;
    EXPECT_FALSE(window->catchUp()) << "its own changes are no news";

    auto runner = testsupport::startedProgram(dir.path(), core::encodeDate(2024, 4, 10));
    runner->db().exec("DELETE FROM Employee WHERE No = 6");
    EXPECT_EQ(employees.recordCount(), 3);
    EXPECT_TRUE(window->catchUp());
    EXPECT_EQ(employees.recordCount(), 2);
    EXPECT_FALSE(window->catchUp());

    // The clerk renames Eve while the runner removes her: the rename goes into no row.
    ASSERT_TRUE(employees.findKey(core::Value::integer(5)));
    employees.edit();
    employees.setText("Name", "Eva");
    runner->db().exec("DELETE FROM Employee WHERE No = 5");
    EXPECT_TRUE(window->catchUp());
    EXPECT_EQ(employees.state(), store::Cursor::State::Edit) << "a row in edit stays for the clerk";
    EXPECT_THROW(employees.post(), core::Error);
    EXPECT_EQ(employees.recordCount(), 1);
    runner->FormClose();
    window->FormClose();
}

// An open dialog answered with a pipe would hang the program (with the window's input held
// back, for good), and a folder would give an empty copy: both are refused at once, before
// anything is written.
TEST(OpenDialogTest, APipeOrAFolderIsRefusedBeforeAnythingIsWritten)
{
    testsupport::TempDir dir;
    auto p = testsupport::startedProgram(dir.path(), core::encodeDate(2024, 4, 10));
    const std::filesystem::path pipe = dir / "clockdata.fifo";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::filesystem::path folder = dir / "a folder";
    std::filesystem::create_directories(folder);
    const core::FileCounter counter = p->counter;
    for (const char* handler :
         {"ImportPreviousdownloadedfiles1Click", "DownloadfromBiometricUnit1Click", "ImportEmployees1Click"}) {
        for (const auto& [chosen, kind] : {std::pair{pipe, "a pipe"}, std::pair{folder, "a folder"}}) {
            SCOPED_TRACE(std::string(handler) + " " + kind);
            FakeServices ui;
            ui.openFiles.push_back(chosen);
            try {
                app::execute(*p, ui, *app::findCommand(handler));
                ADD_FAILURE() << "no error";
            } catch (const core::Error& e) {
                EXPECT_EQ(std::string(e.what()),
                          chosen.string() + " is not a file that can be read (" + kind + "): please choose a file.");
            }
            EXPECT_TRUE(ui.result.empty());
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string().rfind("FP_", 0), 0u) << entry.path();
    EXPECT_EQ(p->counter.teller, counter.teller);
    store::Statement st(p->db(), "SELECT (SELECT count(*) FROM ClkData) + (SELECT count(*) FROM Employee)");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.columnInt(0), 0);
    p->FormClose();
}

} // namespace

namespace {

// One window on a site: a second is refused while the first is open, the runner is not; a
// lock left by a window that crashed does not count.
TEST(SiteWindowTest, ASecondWindowIsRefusedAndACrashedOneDoesNotCount)
{
    testsupport::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t first = ::fork();
    if (first == 0) {
        // The first window: holds the site until it is killed, as a crash would end it.
        app::WindowLock lock(dir.path());
        const char held = lock.acquire() ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        for (;;)
            ::pause();
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(held, 'y');

    app::WindowLock second(dir.path());
    EXPECT_FALSE(second.acquire());
    EXPECT_EQ(second.refusal(), "A TALLIX window is already open on this site (process " + std::to_string(first)
                                    + "), on the program folder " + dir.path().string()
                                    + ". Please use that window: two windows on one site would overwrite each "
                                      "other's work.");
    {
        // The nightly runner works beside the window.
        auto runner = testsupport::startedProgram(dir.path(), core::encodeDate(2024, 4, 10));
        FakeServices ui;
        EXPECT_NO_THROW(app::execute(*runner, ui, *app::findCommand("Summarise1Click")));
        runner->FormClose();
    }

    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "window.lock")) << "the crashed window left its lock";
    app::WindowLock after(dir.path());
    EXPECT_TRUE(after.acquire());
}

} // namespace

namespace {

// A command that fails keeps what it wrote before its error; what it said of that work is
// shown too, after the commit. (Only work that is not committed goes unsaid.)
TEST(CommittedWordsTest, AFailedCommandStillSaysWhatItKept)
{
    testsupport::TempDir dir;
    auto p = testsupport::startedProgram(dir.path(), core::encodeDate(2024, 4, 10));
    testsupport::writeFile(dir / "staff.csv", "1,=Ann,0821,P1\n2,Ben,0822,P2\n3,Cid,0823,P3\n");
    // A Play default edited by hand into the settings file: the third line's new row fails.
    int made = 0;
    p->tables().EmployeeTable.onNewRecord = [&made](store::Cursor& c) {
        if (++made == 2)
            throw core::Error(
                "Setup value SPELING (the Play of a new employee): '7x' is not a valid floating point value");
        c.setReal("Play", 10);
    };
    FakeServices ui;
    ui.openFiles.push_back(dir / "staff.csv");
    EXPECT_THROW(app::execute(*p, ui, *app::findCommand("ImportEmployees1Click")), core::Error);
    ASSERT_EQ(ui.result.size(), 1u);
    EXPECT_EQ(ui.result[0].rfind("1,=Ann,0821,P1:Name '=Ann' begins with '='", 0), 0u) << ui.result[0];
    store::Statement st(p->db(), "SELECT group_concat(Name) FROM Employee");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.columnText(0), "Ben");
    p->FormClose();
}

} // namespace
