// Sites upgraded under the program: a database of release 0.1.0 becomes the current version
// with every row kept, a later step adds a column, and one of a newer release is refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/program.h"
#include "core/error.h"
#include "programs.h"
#include "store/connection.h"
#include "store/sqlite.h"
#include "store/upgrade.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

const fs::path kRelease010 = fs::path(TALLIX_TEST_DATA) / "tallix-0.1.0.db";

int userVersion(const fs::path& file)
{
    store::Database db(file.string(), store::Database::Mode::ReadOnly);
    store::Statement st(db, "PRAGMA user_version");
    return st.step() ? static_cast<int>(st.columnInt(0)) : -1;
}

class Upgrade : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    fs::path site = dir / "site";

    void SetUp() override
    {
        fs::create_directories(site);
        fs::copy_file(kRelease010, site / "tallix.db");
    }
};

// A site of release 0.1.0: it opens, becomes the current version with every row of every
// table as it was, and the next pay period runs on it.
TEST_F(Upgrade, ADatabaseOfRelease010BecomesTheCurrentVersionWithEveryRowKept)
{
    ASSERT_EQ(userVersion(site / "tallix.db"), 0) << "release 0.1.0 wrote no version";
    const std::string before = testsupport::allRows(site / "tallix.db");
    ASSERT_NE(before.find("PerHistory\n1|"), std::string::npos) << "the fixture holds a posted period";
    {
        auto p = testsupport::startedProgram(site, core::encodeDate(2026, 5, 1));
        EXPECT_EQ(store::schemaVersion(p->db()), store::kSchemaVersion);
        EXPECT_EQ(testsupport::allRows(p->db()), before);
        // The next month: a new period, its clockings, processed, summarised and posted.
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        ASSERT_TRUE(p->setField("START_DATE", "2026-04-01") && p->setField("END_DATE", "2026-04-30"));
        app::execute(*p, ui, *app::findCommand("Button7Click"));
        p->db().exec("INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES "
                     "('2026-04-01', '07:58:00', '0821234567', 'IN', 0), "
                     "('2026-04-01', '17:02:00', '0821234567', 'OUT', 0)");
        for (const char* h : {"ProcessClockData1Click", "Summarise1Click", "POSTtoHISTORYFILE1Click"})
            app::execute(*p, ui, *app::findCommand(h));
        store::Statement st(p->db(), "SELECT count(*), max(Period) FROM PerHistory");
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.columnInt(0), 2);
        EXPECT_EQ(st.columnInt(1), 2);
        p->FormClose();
    }
    EXPECT_EQ(userVersion(site / "tallix.db"), store::kSchemaVersion);
}

// A later release's step adds a column to a table with rows, and fills it; a step that fails
// leaves the database as it was, with a word that names the versions and the step.
TEST_F(Upgrade, AStepAddsAColumnToATableWithRowsAndAFailedStepChangesNothing)
{
    const store::UpgradeStep badge{2, "add the column Employee.Badge", [](store::Database& db) {
                                       db.exec("ALTER TABLE Employee ADD COLUMN Badge TEXT");
                                       db.exec("UPDATE Employee SET Badge = 'B' || No");
                                   }};
    const store::UpgradeStep broken{3, "fill the column Employee.Badge again",
                                    [](store::Database& db) { db.exec("UPDATE Employee SET NoSuchColumn = 1"); }};
    const std::string before = testsupport::allRows(site / "tallix.db");
    {
        store::Database db((site / "tallix.db").string());
        try {
            store::upgradeSchema(db, 3, {badge, broken});
            ADD_FAILURE() << "the broken step went through";
        } catch (const core::Error& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find("could not be brought from version 2 to 3 (fill the column Employee.Badge again)"),
                      std::string::npos)
                << what;
            EXPECT_NE(what.find("no such column: NoSuchColumn"), std::string::npos) << what;
        }
        EXPECT_FALSE(db.inTransaction());
    }
    EXPECT_EQ(userVersion(site / "tallix.db"), 0);
    EXPECT_EQ(testsupport::allRows(site / "tallix.db"), before) << "not even the first step stays";
    {
        store::Database db((site / "tallix.db").string());
        store::upgradeSchema(db, 2, {badge, broken});
        EXPECT_EQ(store::schemaVersion(db), 2);
        store::Statement st(db, "SELECT group_concat(Badge, ',') FROM (SELECT Badge FROM Employee ORDER BY No)");
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.columnText(0), "B1,B2,B3,B4,B5,B6");
        store::upgradeSchema(db, 2, {badge, broken}); // at its version: nothing runs again
        EXPECT_EQ(store::schemaVersion(db), 2);
    }
}

// A database of a newer release is refused before anything is written: not one byte of it
// changes, no journal mode is switched, no settings file is made.
TEST_F(Upgrade, ADatabaseOfANewerReleaseIsRefusedAndNotOneByteChanges)
{
    {
        store::Database db((site / "tallix.db").string());
        db.exec("PRAGMA journal_mode = DELETE");
        db.exec("PRAGMA user_version = " + std::to_string(store::kSchemaVersion + 1));
    }
    const std::string bytes = testsupport::readFile(site / "tallix.db");
    const std::vector<std::string> files = testsupport::folderEntries(site);
    try {
        store::openDatabase(site / "tallix.db");
        ADD_FAILURE() << "opened";
    } catch (const core::Error& e) {
        EXPECT_EQ(std::string(e.what()), "The database " + (site / "tallix.db").string() + " is of version "
                                             + std::to_string(store::kSchemaVersion + 1)
                                             + ", written by a newer release of the program; this release knows "
                                               "versions up to "
                                             + std::to_string(store::kSchemaVersion)
                                             + ". Please run the newer release on it. Nothing in the database was "
                                               "changed.");
    }
    app::Program p(testsupport::programOptions(site, core::encodeDate(2026, 5, 1)));
    EXPECT_THROW(p.FormCreate(), core::Error);
    EXPECT_EQ(testsupport::readFile(site / "tallix.db"), bytes);
    std::vector<std::string> after = testsupport::folderEntries(site);
    std::erase(after, "TallixServer.ini"); // the connection definition names the database to open
    EXPECT_EQ(after, files);
}

// A new database carries the current version from the start.
TEST(NewDatabase, CarriesTheCurrentVersion)
{
    testsupport::TempDir dir;
    store::openDatabase(dir / "new.db");
    EXPECT_EQ(userVersion(dir / "new.db"), store::kSchemaVersion);
}

} // namespace
