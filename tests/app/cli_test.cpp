// tallix-cli as a process, the way a nightly script uses it.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "app/commands.h"
#include "store/sqlite.h"
#include "support/process.h"
#include "support/testsupport.h"

namespace {

struct CliRun {
    int code = -1;
    std::string out;
};

CliRun runCli(const std::vector<std::string>& args)
{
    int pipeOut[2];
    if (::pipe(pipeOut) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeOut[1], STDOUT_FILENO);
        ::close(pipeOut[0]);
        ::close(pipeOut[1]);
        std::vector<char*> argv;
        static std::string exe = TALLIX_CLI;
        argv.push_back(exe.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeOut[1]);
    CliRun r;
    std::array<char, 4096> buf{};
    ssize_t n = 0;
    while ((n = ::read(pipeOut[0], buf.data(), buf.size())) > 0)
        r.out.append(buf.data(), static_cast<std::size_t>(n));
    ::close(pipeOut[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class Cli : public ::testing::Test {
protected:
    testsupport::TempDir home;

    CliRun run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home.path().string(), "--today", "2024-04-10"});
        return runCli(args);
    }
    std::string query(const std::string& sql)
    {
        store::Database db((home / "tallix.db").string());
        store::Statement st(db, sql);
        std::string out;
        while (st.step()) {
            for (int i = 0; i < st.columnCount(); ++i)
                out += (i ? "|" : "") + st.columnText(i);
            out += "\n";
        }
        return out;
    }
    void createPeriod()
    {
        const CliRun r =
            run({"--set", "START_DATE=2024-04-01", "--set", "END_DATE=2024-04-07", "--yes", "Button7Click"});
        ASSERT_EQ(r.code, 0) << r.out;
    }
};

TEST_F(Cli, QuestionAnsweredNoChangesNothing)
{
    createPeriod();
    const std::string before = query("SELECT * FROM Period");
    const CliRun r =
        run({"--set", "START_DATE=2024-05-01", "--set", "END_DATE=2024-05-07", "--answer", "no", "Button7Click"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "question: Create a new period? -> No\n");
    EXPECT_EQ(query("SELECT * FROM Period"), before);
}

TEST_F(Cli, QuestionWithoutAnswerEndsWithCode3AndTheQuestion)
{
    createPeriod();
    const std::string before = query("SELECT * FROM Period");
    const CliRun r = run({"--answer", "yes", "DeleteAllEmployees1Click"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.out.find("Final Warning - Delete all Employees?"), std::string::npos) << r.out;
    EXPECT_EQ(query("SELECT * FROM Period"), before);
    EXPECT_TRUE(std::filesystem::exists(home / "SetupValues.ini")); // shut-down still ran
}

TEST_F(Cli, UsageProblemsEndWithCode2)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"NoSuchHandler1Click"}, std::vector<std::string>{"--bogus"},
          std::vector<std::string>{"--answer", "maybe"}, std::vector<std::string>{"--set", "NOT_A_FIELD=1"},
          std::vector<std::string>{"--set", "FLEXI=MAYBE"}, std::vector<std::string>{"--period-day", "10/04/2024"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 2) << args.back();
        EXPECT_EQ(r.out, "") << args.back();
    }
}

// A setup value that is not a value of its kind, or a field no one has, ends the run with
// code 2 before anything is written: not the --set values before it, not even a new site.
TEST_F(Cli, ASetValueItsFieldRefusesEndsTheRunBeforeAnythingIsWritten)
{
    const struct {
        const char* set;
        const char* words; ///< of the refusal on standard error
    } cases[] = {
        {"MINUTES_BREAK=abc",
         "Lunch and Tea breaks in MINUTES to be deducted: 'abc' is not a number of minutes from 0 to 1440."},
        {"LAAT=7x",
         "The number of hours allowed to work overtime after a shift.: '7x' is not a number of hours from 0 to 24."},
        {"NUMBER=fünf", "Current Pay Period Number: 'fünf' is not a whole number from 1 to 2147483646."},
        {"NUMBER=0", "'0' is not a whole number from 1"},
        {"LATITUDE=95", "LATITUDE: '95' is not a latitude from -90 to 90."},
        {"EARLY_MINUTES=-5", "'-5' is not a number of minutes from 0 to 1440."},
        {"NO_SUCH_VALUE=1", "unknown field NO_SUCH_VALUE for --set"},
    };
    const std::string err = (home / "err.txt").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        const testsupport::ProcessResult r = testsupport::runProcess(
            "/bin/sh", {"-c", "exec \"$0\" \"$@\" 2>\"" + err + "\"", TALLIX_CLI, "--home", (home / "site").string(),
                        "--set", "SPELING=12", "--set", c.set, "Summarise1Click"});
        EXPECT_EQ(r.code, 2) << r.out;
        EXPECT_NE(testsupport::readFile(err).find(c.words), std::string::npos) << testsupport::readFile(err);
        EXPECT_FALSE(std::filesystem::exists(home / "site")) << "nothing written, not even the folder";
    }
    // On a site that is there, its settings file stays as it was.
    ASSERT_EQ(run({"--set", "SPELING=12"}).code, 0);
    const std::string before = testsupport::readFile(home / "SetupValues.ini");
    EXPECT_EQ(run({"--set", "SPELING=15", "--set", "MIN_HOURS=fünf"}).code, 2);
    EXPECT_EQ(testsupport::readFile(home / "SetupValues.ini"), before);
    EXPECT_NE(before.find("SPELING=12"), std::string::npos);
}

TEST_F(Cli, ErrorIsPrintedAndSettingsAreStillSaved)
{
    const CliRun r = run({"--set", "NUMBER=42", "--employee", "99", "SetFLEXITIMEtoNO1Click"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("error: Employee 99 not found"), std::string::npos) << r.out;
    EXPECT_NE(testsupport::readFile(home / "SetupValues.ini").find("NUMBER=42"), std::string::npos);
}

TEST_F(Cli, CursorOptionsPutTheCommandOnTheirRow)
{
    testsupport::writeFile(home / "emp.csv", "0,Ann,0821,P1,\n0,Bob,0822,P2,\n0,Cid,0823,P3,\n");
    CliRun r = run({"--set", "FLEXI=NO", "--open", (home / "emp.csv").string(), "ImportEmployees1Click"});
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "message: Done, please check the RESULT page for any messages\npage: Result\n");
    r = run({"--employee", "2", "SetFLEXITIMEtoYES1Click"});
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(query("SELECT No, FlexiTime FROM Employee ORDER BY No"), "1|NO\n2|YES\n3|NO\n");

    createPeriod();
    r = run({"--period-day", "2024-04-03", "SetasHOLIDAY1Click"});
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(query("SELECT Date FROM Period WHERE Holiday = 'Holiday'"), "2024-04-03\n");
}

// The runner types a forgotten clock-out by the grid's path: recorded, marked, and it
// stands through the next pass; a wrong --type types nothing.
TEST_F(Cli, TypeWritesARegisterTimeAsTheGridDoes)
{
    testsupport::writeFile(home / "emp.csv", "0,Ann,0821,P1,\n");
    ASSERT_EQ(run({"--open", (home / "emp.csv").string(), "ImportEmployees1Click"}).code, 0);
    createPeriod();
    ASSERT_EQ(run({"--yes", "ProcessClockData1Click"}).code, 0);

    struct Bad {
        const char* type;
        const char* says;
    } const bad[] = {
        {"9,2024-04-02,Out1=17:00:00", "there is no employee 9"},
        {"1,2024-05-02,Out1=17:00:00", "employee 1 has no register day 2024-05-02"},
        {"1,2024-04-02,NT=17:00:00", "'NT' is no register time; the columns are In1 to Out5"},
        {"1,2024-04-02,Out1=5pm", "'5pm' is not a time of the form HH:MM:SS"},
    };
    for (const Bad& b : bad) {
        // A good one first: nothing is typed when any of them is wrong.
        const CliRun r = run({"--type", "1,2024-04-01,In1=08:00:00", "--type", b.type, "Summarise1Click"});
        EXPECT_EQ(r.code, 1) << b.type;
        EXPECT_NE(r.out.find(std::string("error: --type ") + b.type + ": " + b.says), std::string::npos) << r.out;
        EXPECT_EQ(query("SELECT count(*) FROM TypedTimes"), "0\n");
    }

    CliRun r = run({"--type", "1,2024-04-02,Out1=17:00:00", "--type", "1,2024-04-02,In1=08:00:00"});
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(query("SELECT Field, OldValue, NewValue FROM TypedTimes ORDER BY Inc"),
              "Out1||17:00:00\nIn1||08:00:00\n");
    r = run({"--yes", "ProcessClockData1Click"});
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("2 typed times put back"), std::string::npos) << r.out;
    EXPECT_EQ(query("SELECT In1, Out1 FROM Attendance WHERE Date = '2024-04-02'"), "08:00:00|17:00:00\n");

    // An empty time clears the cell, and that is on record too.
    ASSERT_EQ(run({"--type", "1,2024-04-02,Out1="}).code, 0);
    EXPECT_EQ(query("SELECT ifnull(Out1, '') FROM Attendance WHERE Date = '2024-04-02'"), "\n");
    EXPECT_EQ(query("SELECT NewValue FROM TypedTimes ORDER BY Inc DESC LIMIT 1"), "\n");
}

TEST_F(Cli, DownloadWithoutItsSettingsSaysWhichValueIsMissing)
{
    testsupport::writeFile(home / "WebServer.ini", "[WebServer]\nGroup=acme\nHost=127.0.0.1\n");
    const CliRun r = run({"Downloadfromwebserver1Click"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("error: The value User is missing"), std::string::npos) << r.out;
    // Nothing was downloaded and the day's counter did not move.
    EXPECT_NE(testsupport::readFile(home / "SetupValues.ini").find("TELLER=1"), std::string::npos);
    EXPECT_NE(testsupport::readFile(home / "SetupValues.ini").find("YEAR=2019"), std::string::npos);
}

TEST_F(Cli, ExitStopsTheRun)
{
    createPeriod();
    const CliRun r = run({"BitBtn3Click", "Button5Click"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, ""); // the increment after Exit never asked its question
}

} // namespace

namespace {

TEST_F(Cli, DemoSiteIsReadyForThePeriodsWork)
{
    CliRun r = run({"--demo"});
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("message: The demo site is ready in"), std::string::npos) << r.out;
    EXPECT_EQ(query("SELECT count(*), sum(FlexiTime = 'YES'), sum(ShiftNo = 2), sum(ShiftNo = 3) FROM Employee"),
              "6|1|1|1\n");
    EXPECT_EQ(query("SELECT count(*) FROM Shifts"), "6\n");
    EXPECT_EQ(query("SELECT min(Date), max(Date), count(*) FROM Period"), "2026-03-01|2026-03-31|31\n");
    EXPECT_EQ(query("SELECT Date FROM Period WHERE Holiday = 'Holiday'"), "2026-03-21\n");
    ASSERT_TRUE(std::filesystem::exists(home / "clockdata.txt"));
    ASSERT_TRUE(std::filesystem::exists(home / "scanner.dat"));

    // A second --demo leaves a site with employees as it is.
    r = run({"--demo"});
    EXPECT_NE(r.out.find("has employees already"), std::string::npos) << r.out;
    EXPECT_EQ(query("SELECT count(*) FROM Employee"), "6\n");

    // The month goes through: every clocking but the unknown phone's finds its day.
    ASSERT_EQ(run({"--open", (home / "clockdata.txt").string(), "ImportPreviousdownloadedfiles1Click", "--open",
                   (home / "scanner.dat").string(), "DownloadfromBiometricUnit1Click"})
                  .code,
              0);
    ASSERT_EQ(run({"--yes", "ProcessClockData1Click"}).code, 0);
    EXPECT_EQ(query("SELECT DISTINCT MobileNo FROM ClkData WHERE ifnull(Used, 0) = 0"), "0799990000\n");
}

TEST_F(Cli, SaveNameWithoutExtensionGetsTheDialogsDefaultOne)
{
    // The save dialog adds "csv" to a name typed without an extension; --save does the same.
    std::filesystem::create_directories(home / "out.d");
    const std::vector<std::pair<std::string, std::string>> cases{
        {"payroll", "payroll.csv"}, {"payroll.txt", "payroll.txt"}, {"out.d/staff", "out.d/staff.csv"}};
    for (const auto& [given, written] : cases) {
        const CliRun r = run({"--save", (home / given).string(), "ExportEmployees1Click"});
        ASSERT_EQ(r.code, 0) << r.out;
        EXPECT_TRUE(std::filesystem::exists(home / written)) << given;
        if (given != written) {
            EXPECT_FALSE(std::filesystem::exists(home / given)) << given;
        }
    }
}

TEST_F(Cli, VersionIsPrinted)
{
    const auto r = testsupport::runProcess(TALLIX_CLI, {"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind("tallix-cli ", 0), 0u) << r.out;
}

} // namespace

namespace {

TEST_F(Cli, EveryHandlerOfTheCommandTableRunsFromTheRunner)
{
    // On an empty site, with every question answered No and every dialog cancelled, each
    // command either does nothing or ends with its own error: none is unknown to the runner.
    for (const app::Command& c : app::commandTable()) {
        if (c.kind != app::Command::Kind::Command)
            continue;
        const CliRun r = run({"--answer", "no", "--answer", "no", "--answer", "no", c.handler});
        EXPECT_TRUE(r.code == 0 || r.code == 1) << c.handler << " exited " << r.code << "\n" << r.out;
        EXPECT_EQ(r.out.find("not available"), std::string::npos) << c.handler;
    }
}

} // namespace

namespace {

struct DatabaseAsFile {
    const char* handler;
    const char* option; ///< --open or --save
    std::string chosen; ///< relative to the home
};

class CliDatabaseAsFile : public Cli, public ::testing::WithParamInterface<DatabaseAsFile> {};

TEST_P(CliDatabaseAsFile, IsRefusedAndTheDatabaseStaysWhole)
{
    // The clerk picks the program's own database (or one of its companion files) in a
    // dialog: reading it would drop SQLite's locks, writing it would destroy the data.
    ASSERT_EQ(run({}).code, 0);
    {
        store::Database db((home / "tallix.db").string());
        db.exec("INSERT INTO Employee (No, Name, MobileNo, PayrollNo) VALUES (7, 'Ann', '0821', 'P7')");
    }
    const DatabaseAsFile& c = GetParam();
    const CliRun r = run({c.option, (home.path() / c.chosen).string(), c.handler});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("belongs to the program's database (tallix.db): please choose another file."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(query("PRAGMA integrity_check"), "ok\n");
    EXPECT_EQ(query("SELECT No, Name FROM Employee"), "7|Ann\n");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Dialogs, CliDatabaseAsFile,
    ::testing::Values(DatabaseAsFile{"ImportPreviousdownloadedfiles1Click", "--open", "tallix.db"},
                      DatabaseAsFile{"DownloadfromBiometricUnit1Click", "--open", "tallix.db-wal"},
                      DatabaseAsFile{"ImportEmployees1Click", "--open", "tallix.db-shm"},
                      DatabaseAsFile{"ExportEmployees1Click", "--save", "tallix.db"},
                      DatabaseAsFile{"ExportNTOT1OT2HT1Click", "--save", "./sub/../tallix.db"},
                      DatabaseAsFile{"Button13Click", "--save", "tallix.db-journal"}));
// clang-format on

} // namespace
