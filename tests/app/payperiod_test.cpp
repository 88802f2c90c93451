// A whole pay period through tallix-cli, run as a process the way a clerk's script runs it:
// employees, shifts and calendar, clockings from the phones and from the fingerprint scanner,
// processing, totals, the payroll files, posting and the history export.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/sqlite.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;

const fs::path kData = TALLIX_PAYPERIOD_DATA;

class PayPeriod : public ::testing::Test {
protected:
    testsupport::TempDir work;
    fs::path home = work / "home";
    fs::path out = work / "out";
    std::string log;     ///< every run's command line, exit code and standard output
    std::string lastOut; ///< the standard output of the latest run

    void SetUp() override
    {
        fs::create_directories(home);
        fs::create_directories(out);
    }

    void TearDown() override
    {
        if (HasFailure())
            std::cout << "---- tallix-cli runs ----\n"
                      << log << "---- standard error ----\n"
                      << readFile(work / "stderr.txt") << std::flush;
    }

    /// Runs tallix-cli on the home folder with the period's "today"; true when it exits with 0.
    bool run(const std::vector<std::string>& args)
    {
        std::vector<std::string> all{TALLIX_CLI, "--home", home.string(), "--today", "2024-04-08"};
        all.insert(all.end(), args.begin(), args.end());
        log += "$";
        for (std::size_t i = 1; i < all.size(); ++i)
            log += " " + all[i];
        log += "\n";

        int pipeOut[2];
        if (::pipe(pipeOut) != 0)
            return false;
        const std::string errFile = (work / "stderr.txt").string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeOut[1], STDOUT_FILENO);
            ::close(pipeOut[0]);
            ::close(pipeOut[1]);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (err >= 0)
                ::dup2(err, STDERR_FILENO);
            // Numbers and dates as on an English (United States) desk, whatever this machine says.
            ::setenv("LC_ALL", "en_US.UTF-8", 1);
            ::setenv("LANG", "en_US.UTF-8", 1);
            std::vector<char*> argv;
            for (std::string& a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(pipeOut[1]);
        std::array<char, 4096> buf{};
        ssize_t n = 0;
        lastOut.clear();
        while ((n = ::read(pipeOut[0], buf.data(), buf.size())) > 0)
            lastOut.append(buf.data(), static_cast<std::size_t>(n));
        log += lastOut;
        ::close(pipeOut[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        log += "-> exit code " + std::to_string(code) + "\n";
        return code == 0;
    }

    /// The "Result" lines the latest run printed, in order.
    std::vector<std::string> results() const
    {
        std::vector<std::string> out;
        const std::string tag = "result: ";
        for (std::size_t at = 0; at < lastOut.size();) {
            std::size_t end = lastOut.find('\n', at);
            if (end == std::string::npos)
                end = lastOut.size();
            if (lastOut.compare(at, tag.size(), tag) == 0)
                out.push_back(lastOut.substr(at + tag.size(), end - at - tag.size()));
            at = end + 1;
        }
        return out;
    }

    /// What is typed into the grids (the shift table, an employee's shift) goes in by SQL.
    void sql(const std::string& text)
    {
        store::Database db((home / "tallix.db").string(), store::Database::Mode::ReadWrite);
        db.exec(text);
    }
};

TEST_F(PayPeriod, OneWeekFromClockingsToHistory)
{
    // Three employees: Ann (1) on fixed day times, Ben (2) on flexitime, Cid (3) on fixed night
    // times whose clockings come from the fingerprint scanner under his payroll number 77.
    // Everyone gets lunch 30 min after 5 h, 10 min tolerance before overtime counts, 5 h late.
    ASSERT_TRUE(run({"--set", "FLEXI=NO", "--set", "MINUTES_BREAK=30", "--open", (kData / "employees.csv").string(),
                     "ImportEmployees1Click"}));
    ASSERT_TRUE(run({"--employee", "2", "SetFLEXITIMEtoYES1Click"}));

    // Shift 1: weekdays 08:00-17:00 (9 h). Shift 3: weeknights 22:00-06:00 (8 h). Weekends empty.
    sql("INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO, Wed_TI, Wed_TO, Thu_TI, Thu_TO, Fri_TI, Fri_TO) "
        "VALUES (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00', '08:00:00', '17:00:00', '08:00:00', '17:00:00', "
        "'08:00:00', '17:00:00'), "
        "(3, '22:00:00', '06:00:00', '22:00:00', '06:00:00', '22:00:00', '06:00:00', '22:00:00', '06:00:00', "
        "'22:00:00', '06:00:00')");
    // Cid works shift 3; the calendar's two-shift group is 2 all week, so his slot is 3.
    sql("UPDATE Employee SET ShiftNo = 3 WHERE No = 3");

    // Monday 1 to Sunday 7 April 2024, Wednesday a public holiday.
    ASSERT_TRUE(run({"--set", "START_DATE=2024-04-01", "--set", "END_DATE=2024-04-07", "--yes", "Button7Click"}));
    ASSERT_TRUE(run({"--period-day", "2024-04-03", "SetasHOLIDAY1Click"}));

    // Every command tells what it did. The phone file's first line (29 March) and the scanner's
    // lie before the period and are not stored, and the Result line counts them.
    ASSERT_TRUE(run({"--open", (kData / "phone_clockings.csv").string(), "ImportPreviousdownloadedfiles1Click"}));
    EXPECT_EQ(results(),
              std::vector<std::string>{"phone_clockings.csv: 22 clockings stored, 0 double entries deleted; not "
                                       "stored: 1 line outside the import window (3/31/24 to 4/8/24)"});
    ASSERT_TRUE(run({"--open", (kData / "scanner.dat").string(), "DownloadfromBiometricUnit1Click"}));
    EXPECT_EQ(results(),
              std::vector<std::string>{
                  "scanner.dat: 8 clockings stored, 0 double entries deleted (copied to FP_202448_1.dat); not "
                  "stored: 1 line outside the import window (3/31/24 to 4/8/24)"});

    ASSERT_TRUE(run({"--yes", "ProcessClockData1Click", "Summarise1Click", "ApplyFULLHOURSworkbeforeOVERTIME1Click"}));
    // Every one of the 30 clockings stored finds its day (the days that do not take one list it).
    ASSERT_FALSE(results().empty());
    EXPECT_EQ(results().back(), "Reset and Process Clock Data: 30 clockings placed, 0 not placed");
    ASSERT_TRUE(run({"--save", (out / "payroll_a.csv").string(), "ExportNTOT1OT2HT1Click", "--save",
                     (out / "payroll_b.csv").string(), "ExportNTHTOT1OT21Click"}));
    EXPECT_EQ(results(), (std::vector<std::string>{"payroll_a.csv: 3 employee lines written",
                                                   "payroll_b.csv: 3 employee lines written"}));

    // Ann, fixed 08:00-17:00, lunch 0.5 h:
    //   Mon, Tue, Thu, Fri 07:00-18:00: inside 9 h - 0.5 = NT 8.5, outside 2 h = OT1 2     -> NT 34, OT1 8
    //   Wed (holiday) 08:00-17:00: 9 h - 0.5 = OT2 8.5, HT 9 - 8.5 = 0.5
    //   Sat 08:00-12:00 in an empty slot: 4 h, under 5 h so no lunch: all outside, OT1 4  -> OT1 12
    //   FullHrs 5 x 9 = 45. Full hours: 45 - 0.5 > 34 and 34 + 12 >= 45: NT 45, OT1 46 - 45 = 1.
    // Ben, flexitime 08:00-17:00, lunch 0.5 h:
    //   Mon 09:00-17:00: 8 h - 0.5 = NT 7.5
    //   Tue 07:00-12:00, 12:30-17:40: 10 h 10 min - 0.5 = 9 h 40 min: NT 9, OT1 40 min = 2/3 h
    //   Wed (holiday) away: HT 9.  Thu 08:00-17:35: 9 h 5 min, 5 min over is within 10 min: NT 9
    //   Fri 08:00-13:00: 5 h - 0.5 = NT 4.5
    //   NT 30, OT1 2/3, FullHrs 45. Full hours: 45 - 9 > 30 and 30 + 2/3 < 45: NT 30 2/3, OT1 0.
    // Cid, fixed 22:00-06:00 (next day), lunch 0.5 h:
    //   Mon, Tue nights 22:00-06:00: NT 8 - 0.5 = 7.5 each
    //   Wed (holiday) night 22:00-06:00: OT2 7.5, HT 0.5.  Thu night away.
    //   Fri night 22:00-06:05: 5 min outside is within 10 min: NT 7.5
    //   NT 22.5, OT1 0, OT2 7.5, HT 0.5, FullHrs 5 x 8 = 40. No overtime: full hours change nothing.
    EXPECT_EQ(readFile(out / "payroll_a.csv"), "PayrollNo,NT,OT1,OT2,HT,Name,MobileNo\r\n"
                                               "P100,45,1,8.5,0.5,Ann Day,0821111111\r\n"
                                               "P200,30.6666666666667,0,0,9,Ben Flexi,0822222222\r\n"
                                               "77,22.5,0,7.5,0.5,Cid Night,0833333333\r\n");
    EXPECT_EQ(readFile(out / "payroll_b.csv"), "PayrollNo,NT+HT,OT1,OT2,Name,MobileNo\r\n"
                                               "P100,45.5,1,8.5,Ann Day,0821111111\r\n"
                                               "P200,39.6666666666667,0,0,Ben Flexi,0822222222\r\n"
                                               "77,23,0,7.5,Cid Night,0833333333\r\n");

    ASSERT_TRUE(run({"--yes", "POSTtoHISTORYFILE1Click"}));
    EXPECT_EQ(results(), std::vector<std::string>{"Pay period 1 posted: 3 employees, 21 register days"});
    EXPECT_NE(readFile(home / "SetupValues.ini").find("[PERIOD]\nNUMBER=2\n"), std::string::npos)
        << readFile(home / "SetupValues.ini");

    // Ben's and Cid's days of period 1: 2 x 7 days under the header.
    ASSERT_TRUE(run({"--set", "DETAIL_FROM_EMPLOYEE=2", "--set", "DETAIL_TO_EMPLOYEE=3", "--set",
                     "DETAIL_FROM_PERIOD=1", "--set", "DETAIL_TO_PERIOD=1", "--save", (out / "history.csv").string(),
                     "Button11Click", "Button13Click"}));
    const std::string history = readFile(out / "history.csv");
    std::size_t lines = 0;
    for (std::size_t at = history.find("\r\n"); at != std::string::npos; at = history.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 15u) << history;
}

} // namespace
