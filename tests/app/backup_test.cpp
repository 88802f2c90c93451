// Backups before the commands that remove or replace data, on demand, pruned, and restored.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/backups.h"
#include "app/commands.h"
#include "app/program.h"
#include "core/error.h"
#include "programs.h"
#include "store/sqlite.h"
#include "store/upgrade.h"
#include "support/fakeservices.h"
#include "support/process.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

class Backups : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<app::Program> p;

    void SetUp() override
    {
        p = testsupport::startedDemo(dir.path());
        run("ImportPreviousdownloadedfiles1Click", {dir / "clockdata.txt"});
        run("ProcessClockData1Click");
        run("Summarise1Click");
        // The demo's own period was made by a command that backs up first: start without it.
        fs::remove_all(app::backupsFolder(*p));
    }
    void TearDown() override { p->FormClose(); }

    std::vector<std::string> run(const char* handler, const std::vector<fs::path>& open = {})
    {
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        for (const fs::path& f : open)
            ui.openFiles.push_back(f);
        app::execute(*p, ui, *app::findCommand(handler));
        return ui.result;
    }

    std::vector<fs::path> backups() { return app::backupsIn(app::backupsFolder(*p)); }
};

// A posting leaves a backup of the site as it was before it; restoring that backup brings the
// state back, after a backup of the posted state, and every grid shows it.
TEST_F(Backups, APostingLeavesABackupOfTheStateBeforeItAndARestoreBringsItBack)
{
    const std::string before = testsupport::allRows(p->db());
    run("POSTtoHISTORYFILE1Click");
    ASSERT_EQ(backups().size(), 1u);
    const fs::path backup = backups().front();
    EXPECT_NE(backup.filename().string().find("_POSTtoHISTORYFILE1Click.db"), std::string::npos) << backup;
    EXPECT_EQ(testsupport::allRows(backup), before);
    const std::string posted = testsupport::allRows(p->db());
    ASSERT_NE(posted, before);
    EXPECT_EQ(p->tables().PerhistoryTable.recordCount(), 1);

    const std::vector<std::string> said = run("RestoreDatabase1Click", {backup});
    EXPECT_EQ(testsupport::allRows(p->db()), before);
    EXPECT_EQ(p->tables().PerhistoryTable.recordCount(), 0) << "the grid is read again";
    EXPECT_EQ(store::schemaVersion(p->db()), store::kSchemaVersion);
    ASSERT_EQ(backups().size(), 2u);
    EXPECT_EQ(testsupport::allRows(backups().back()), posted) << "the state before the restore is kept";
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0], "Database restored from " + backup.filename().string() + "; the state before it is kept in "
                           + backups().back().filename().string());
}

// The runner restores too, beside nothing else: the site is as the backup holds it.
TEST_F(Backups, TheRunnerRestoresABackup)
{
    const std::string before = testsupport::allRows(p->db());
    run("POSTtoHISTORYFILE1Click");
    const fs::path backup = backups().front();
    p->FormClose();
    const testsupport::ProcessResult r =
        testsupport::runProcess(TALLIX_CLI, {"--home", dir.path().string(), "--today", "2026-04-01", "--open",
                                             backup.string(), "--yes", "RestoreDatabase1Click"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("result: Database restored from " + backup.filename().string()), std::string::npos) << r.out;
    EXPECT_EQ(testsupport::allRows(dir / "tallix.db"), before);
    p = testsupport::startedProgram(dir.path(), core::encodeDate(2026, 4, 1));
}

// The latest 20 are kept, within five times the database or 1 GB; the oldest go first, the
// newest always stays, and files of others in the folder are left alone.
TEST_F(Backups, TheOldestGoFirstAndTheNewestAlwaysStays)
{
    const fs::path folder = app::backupsFolder(*p);
    fs::create_directories(folder);
    testsupport::writeFile(folder / "notes.txt", "the clerk's own file");
    std::vector<fs::path> made;
    for (int i = 0; i < 23; ++i)
        made.push_back(app::backUp(*p, "BackupDatabase1Click"));
    EXPECT_EQ(backups(), std::vector<fs::path>(made.end() - 20, made.end()));
    const std::uintmax_t size = fs::file_size(made.back());
    app::pruneBackups(folder, size, {20, 0, size * 5 / 2});
    EXPECT_EQ(backups(), std::vector<fs::path>(made.end() - 2, made.end()));
    app::pruneBackups(folder, size, {20, 0, 1});
    EXPECT_EQ(backups(), std::vector<fs::path>{made.back()});
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
}

// A backup that cannot be written stops the command: nothing is posted, nothing said of it.
TEST_F(Backups, ABackupThatCannotBeWrittenStopsTheCommand)
{
    testsupport::writeFile(app::backupsFolder(*p), "a file where the folder should be");
    const std::string before = testsupport::allRows(p->db());
    testsupport::FakeServices ui;
    ui.answerAllYes = true;
    try {
        app::execute(*p, ui, *app::findCommand("POSTtoHISTORYFILE1Click"));
        ADD_FAILURE() << "posted";
    } catch (const core::Error& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("The backup folder " + app::backupsFolder(*p).string() + " cannot be made"),
                  std::string::npos)
            << what;
        EXPECT_NE(what.find("\"POST CLOCK DATA TO HISTORY FILES\" did not run: nothing was changed."),
                  std::string::npos)
            << what;
    }
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(ui.result.empty());
    EXPECT_EQ(testsupport::allRows(p->db()), before);
}

// Only a database of this program is restored: any other file is refused before a question,
// and nothing changes.
TEST_F(Backups, AFileThatIsNotADatabaseOfTheProgramIsRefused)
{
    const fs::path text = dir / "clockdata.txt";
    const fs::path other = dir / "other.db";
    {
        store::Database db(other.string());
        db.exec("CREATE TABLE Something (x)");
    }
    const fs::path newer = dir / "newer.db";
    {
        store::Database live(p->databaseFile().string(), store::Database::Mode::ReadOnly);
        live.exec("VACUUM INTO '" + newer.string() + "'");
        store::Database db(newer.string());
        db.exec("PRAGMA user_version = " + std::to_string(store::kSchemaVersion + 1));
    }
    const std::string before = testsupport::allRows(p->db());
    for (const auto& [file, words] :
         {std::pair{text, "clockdata.txt is not a database of this program (file is not a database"},
          std::pair{other, "other.db is not a database of this program (it has no table Employee)."},
          std::pair{newer, "newer.db is of version 2, written by a newer release of the program"}}) {
        SCOPED_TRACE(file.filename().string());
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        ui.openFiles.push_back(file);
        try {
            app::execute(*p, ui, *app::findCommand("RestoreDatabase1Click"));
            ADD_FAILURE() << "restored";
        } catch (const core::Error& e) {
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("Nothing was changed."), std::string::npos) << e.what();
        }
        EXPECT_TRUE(ui.questions.empty());
        EXPECT_EQ(testsupport::allRows(p->db()), before);
    }
    EXPECT_TRUE(backups().empty());
}

// "Back Up Database" on demand: one more backup, and the Result page says where.
TEST_F(Backups, BackUpDatabaseWritesOneOnDemand)
{
    const std::vector<std::string> said = run("BackupDatabase1Click");
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_EQ(testsupport::allRows(backups().front()), testsupport::allRows(p->db()));
    EXPECT_EQ(said, (std::vector<std::string>{"Backup written: " + backups().front().filename().string() + " in "
                                              + app::backupsFolder(*p).string()}));
}

} // namespace
