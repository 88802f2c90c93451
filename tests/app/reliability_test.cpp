// Crash safety, a database held by another program, and files the user may not write:
// the runner as a process, on a generated site.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/generate.h"
#include "store/sqlite.h"
#include "support/process.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

/// Every table's rows, in order, as one text: equal texts, equal contents.
std::string fingerprint(const fs::path& home) { return testsupport::allRows(home / "tallix.db"); }

std::string integrity(const fs::path& home)
{
    store::Database db((home / "tallix.db").string());
    store::Statement st(db, "PRAGMA integrity_check");
    return st.step() ? st.columnText(0) : std::string("no answer");
}

void copyHome(const fs::path& from, const fs::path& to)
{
    fs::remove_all(to);
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from))
        if (e.is_regular_file())
            fs::copy_file(e.path(), to / e.path().filename());
}

std::vector<std::string> cliArgs(const fs::path& home, std::vector<std::string> more)
{
    std::vector<std::string> args{"--home", home.string(), "--today", "2026-04-01"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

class Reliability : public ::testing::Test {
protected:
    static testsupport::TempDir* dir;
    static bench::GeneratedSite site;

    static void SetUpTestSuite()
    {
        dir = new testsupport::TempDir;
        site = bench::generateSite(dir->path() / "site", bench::siteSize("M"), 7);
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
};

testsupport::TempDir* Reliability::dir = nullptr;
bench::GeneratedSite Reliability::site;

TEST_F(Reliability, KilledCommandsLeaveTheStateBeforeOrTheWholeResult)
{
    struct Step {
        const char* what;
        std::vector<std::string> args;
        const char* marker; ///< the progress caption that shows the command has begun writing
    };
    const std::vector<Step> steps{
        {"import",
         {"--open", (site.home / "clockdata.txt").string(), "ImportPreviousdownloadedfiles1Click"},
         "Importing clock data"},
        {"reset and process", {"--yes", "ProcessClockData1Click"}, "Creating new attendance register"},
        {"posting", {"--yes", "POSTtoHISTORYFILE1Click"}, "Process transactions"},
    };
    const fs::path base = dir->path() / "base";
    copyHome(site.home, base);
    for (const Step& step : steps) {
        for (int delay : {5, 60}) {
            const fs::path victim = dir->path() / "victim";
            copyHome(base, victim);
            const std::string before = fingerprint(victim);
            const bool killed =
                testsupport::killAfterMarker(TALLIX_CLI, cliArgs(victim, step.args), step.marker, delay);
            EXPECT_EQ(integrity(victim), "ok") << step.what;
            const std::string after = fingerprint(victim);
            // The whole result, by the same command run to its end on another copy.
            const fs::path whole = dir->path() / "whole";
            copyHome(base, whole);
            const auto r = testsupport::runProcess(TALLIX_CLI, cliArgs(whole, step.args));
            ASSERT_EQ(r.code, 0) << step.what;
            const std::string complete = fingerprint(whole);
            ASSERT_NE(before, complete) << step.what << ": the command changed nothing";
            EXPECT_TRUE(after == before || after == complete)
                << step.what << " killed " << delay << " ms in: the tables hold half a result";
            if (killed && delay == 5) {
                EXPECT_EQ(after, before) << step.what << ": killed at its start, nothing should be written";
            }
        }
        // The next step starts from this one's whole result.
        ASSERT_EQ(testsupport::runProcess(TALLIX_CLI, cliArgs(base, step.args)).code, 0);
    }
}

TEST_F(Reliability, AnotherProgramHoldingTheWriteLockMakesACommandWaitThenSayBusy)
{
    const fs::path home = dir->path() / "busy";
    copyHome(site.home, home);
    const std::string before = fingerprint(home);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        store::Database db((home / "tallix.db").string());
        db.exec("BEGIN IMMEDIATE");
        db.exec("UPDATE Employee SET Name = 'held' WHERE No = 1");
        [[maybe_unused]] auto n = ::write(ready[1], "x", 1);
        ::sleep(9);
        db.exec("ROLLBACK");
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const auto t0 = std::chrono::steady_clock::now();
    const auto r = testsupport::runProcess(TALLIX_CLI, cliArgs(home, {"--set", "START_DATE=2026-05-01", "--set",
                                                                      "END_DATE=2026-05-31", "--yes", "Button7Click"}));
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("error: The database is busy"), std::string::npos) << r.out;
    EXPECT_GE(waited, 3.0);
    EXPECT_LT(waited, 9.0);
    EXPECT_EQ(fingerprint(home), before);
}

class ReadOnly : public Reliability {
protected:
    /// Runs the runner as a user who may not write what root owns; as another user the
    /// files are made read-only instead.
    testsupport::ProcessResult runAsOther(const std::vector<std::string>& args)
    {
        if (::geteuid() == 0)
            return testsupport::runProcessAs(65534, 65534, TALLIX_CLI, args);
        return testsupport::runProcess(TALLIX_CLI, args);
    }
    void lockDown(const fs::path& p)
    {
        if (::geteuid() != 0)
            fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
    }
    void openUp(const fs::path& p)
    {
        if (::geteuid() == 0) {
            [[maybe_unused]] const int rc = ::chown(p.c_str(), 65534, 65534);
        }
        fs::permissions(p, fs::perms::all, fs::perm_options::add);
    }
};

TEST_F(ReadOnly, AFolderThatCannotBeWrittenGivesAClearErrorAtStartUp)
{
    const fs::path home = dir->path() / "ro-home";
    fs::create_directories(home);
    fs::permissions(home, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
                              | fs::perms::others_exec);
    lockDown(home);
    fs::permissions(dir->path(), fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
    const auto r = runAsOther(cliArgs(home, {}));
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("error: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(home.string()), std::string::npos) << r.out;
}

TEST_F(ReadOnly, ADatabaseThatCannotBeWrittenGivesAClearErrorNotACrash)
{
    const fs::path home = dir->path() / "ro-db";
    copyHome(site.home, home);
    {
        store::Database db((home / "tallix.db").string());
        db.exec("PRAGMA journal_mode = DELETE"); // no log files a reader would have to create
    }
    fs::permissions(dir->path(), fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
    for (const auto& e : fs::directory_iterator(home))
        if (e.path().filename() != "tallix.db")
            openUp(e.path());
    openUp(home);
    lockDown(home / "tallix.db");
    const std::string before = fingerprint(home);
    const auto r = runAsOther(
        cliArgs(home, {"--set", "START_DATE=2026-05-01", "--set", "END_DATE=2026-05-31", "--yes", "Button7Click"}));
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("error: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("tallix.db"), std::string::npos) << r.out;
    EXPECT_EQ(fingerprint(home), before);
}

} // namespace
