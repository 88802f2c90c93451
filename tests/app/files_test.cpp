// The files the commands write, as the clerk opens them afterwards: whole or not at all.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "app/commands.h"
#include "app/program.h"
#include "core/error.h"
#include "programs.h"
#include "store/sqlite.h"
#include "store/tables.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

/// The timesheets draw with Qt's fonts, which need a graphics application (offscreen).
QGuiApplication& graphics()
{
    static int argc = 1;
    static char name[] = "files_test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return app;
}

class FilesWritten : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<app::Program> p;

    void SetUp() override { p = testsupport::startedDemo(dir.path()); }
    void TearDown() override { p->FormClose(); }

    /// Runs a command that writes `save` (when given), answering yes and opening `open`.
    std::vector<std::string> run(const char* handler, const std::vector<std::string>& open = {},
                                 const std::string& save = {})
    {
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        for (const std::string& f : open)
            ui.openFiles.push_back(dir / f);
        if (!save.empty())
            ui.saveFiles.push_back(dir / save);
        app::execute(*p, ui, *app::findCommand(handler));
        return ui.result;
    }

    /// The demo month imported, processed, summarised and posted, the posted period shown on
    /// both history pages.
    void closeTheMonth()
    {
        run("ImportPreviousdownloadedfiles1Click", {"clockdata.txt"});
        run("DownloadfromBiometricUnit1Click", {"scanner.dat"});
        run("ProcessClockData1Click");
        run("Summarise1Click");
        run("POSTtoHISTORYFILE1Click");
        ASSERT_TRUE(p->setField("DETAIL_TO_EMPLOYEE", "99") && p->setField("DETAIL_TO_PERIOD", "9")
                    && p->setField("SUMMARIES_TO_EMPLOYEE", "99") && p->setField("SUMMARIES_TO_PERIOD", "9"));
        run("Button11Click");
        run("Button14Click");
    }
};

// On a full disk the command fails with the system's words; the file written before stays
// as it was, and no temporary file is left beside it.
TEST_F(FilesWritten, AFullDiskLeavesTheFileBeforeAsItWasAndNothingBesideIt)
{
    graphics();
    closeTheMonth();
    const struct {
        const char* handler;
        const char* file;
    } cases[] = {
        {"ExportNTOT1OT2HT1Click", "pay.csv"},
        {"ExportEmployees1Click", "employees.csv"},
        {"Button13Click", "detail.csv"},
        {"Button16Click", "summaries.csv"},
        {"PrintTimesheets1Click", "timesheets.pdf"},
        {"PrintPeriodReport1Click", "report.pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handler);
        run(c.handler, {}, c.file);
        const std::string good = testsupport::readFile(dir / c.file);
        ASSERT_GT(good.size(), 200u);
        const std::vector<std::string> before = testsupport::folderEntries(dir.path());
        std::string error;
        {
            const testsupport::FileSizeLimit full(good.size() / 2);
            try {
                run(c.handler, {}, c.file);
            } catch (const core::Error& e) {
                error = e.what();
            }
        }
        EXPECT_NE(error.find("File too large"), std::string::npos) << error;
        EXPECT_NE(error.find(c.file), std::string::npos) << error;
        EXPECT_EQ(testsupport::readFile(dir / c.file), good);
        EXPECT_EQ(testsupport::folderEntries(dir.path()), before);
    }
}

// Names and numbers stored before they were refused are written so that a spreadsheet shows
// them as text and never runs them: with a leading "'".
TEST_F(FilesWritten, ANameThatBeginsLikeAFormulaIsWrittenAsText)
{
    p->db().exec(
        "UPDATE Employee SET Name = '=1+1', PayrollNo = '+2+2' WHERE No = 1;"
        "INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (9, 'Zed', '@SUM(1)', 'P9', 1);");
    for (store::Cursor* c : p->tables().inOrder())
        c->refresh();
    closeTheMonth();
    for (const auto& [handler, file] : {std::pair{"ExportNTOT1OT2HT1Click", "pay.csv"},
                                        {"ExportNTHTOT1OT21Click", "payb.csv"},
                                        {"ExportEmployees1Click", "employees.csv"},
                                        {"Button13Click", "detail.csv"},
                                        {"Button16Click", "summaries.csv"}}) {
        SCOPED_TRACE(file);
        run(handler, {}, file);
        const std::string text = testsupport::readFile(dir / file);
        for (const char* shown : {",'=1+1,", "'+2+2", "'@SUM(1)"})
            EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
        // No field of any line begins like a formula (the files hold no quoted commas here).
        std::size_t lines = 0;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line); ++lines) {
            std::istringstream fields(line);
            for (std::string field; std::getline(fields, field, ',');)
                EXPECT_TRUE(field.empty() || std::string("=+@\t").find(field.front()) == std::string::npos) << line;
        }
        EXPECT_GT(lines, 2u);
    }
}

// On a disk that fills up under the database, a command whose work cannot be committed says
// nothing of success: no "clockings stored", no "posted", only the failure.
TEST_F(FilesWritten, ACommandTheDiskRefusesShowsNoWordOfSuccess)
{
    run("ImportPreviousdownloadedfiles1Click", {"clockdata.txt"});
    run("DownloadfromBiometricUnit1Click", {"scanner.dat"});
    run("ProcessClockData1Click");
    run("Summarise1Click");
    const auto countOf = [&](const char* table) {
        store::Statement st(p->db(), std::string("SELECT count(*) FROM ") + table);
        return st.step() ? st.columnInt(0) : -1;
    };
    const std::int64_t clockings = countOf("ClkData");
    const struct {
        const char* handler;
        const char* open;
        const char* success;
    } cases[] = {
        {"ImportPreviousdownloadedfiles1Click", "clockdata.txt", "clockings stored"},
        {"POSTtoHISTORYFILE1Click", nullptr, "posted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handler);
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        if (c.open != nullptr)
            ui.openFiles.push_back(dir / c.open);
        std::string error;
        {
            // Room for the database's shared-memory file, not for the work's journal.
            const testsupport::FileSizeLimit full(40 * 1024);
            try {
                app::execute(*p, ui, *app::findCommand(c.handler));
            } catch (const core::Error& e) {
                error = e.what();
            }
        }
        EXPECT_NE(error.find("disk"), std::string::npos) << error;
        for (const std::string& line : ui.result)
            EXPECT_EQ(line.find(c.success), std::string::npos) << line;
        EXPECT_TRUE(ui.messages.empty());
    }
    EXPECT_EQ(countOf("PerHistory"), 0);
    EXPECT_EQ(countOf("ClkData"), clockings);
}

// Printing the timesheets shows its progress, one step a sheet, and keeps the window painted.
TEST_F(FilesWritten, PrintTimesheetsShowsItsProgressSheetBySheet)
{
    graphics();
    run("ImportPreviousdownloadedfiles1Click", {"clockdata.txt"});
    run("ProcessClockData1Click");
    testsupport::FakeServices ui;
    ui.saveFiles.push_back(dir / "sheets.pdf");
    app::execute(*p, ui, *app::findCommand("PrintTimesheets1Click"));
    EXPECT_EQ(ui.maximum, 6) << "a step for each of the six employees";
    EXPECT_GE(ui.repaints, 6);
    EXPECT_EQ(ui.caption, core::kProgressRest) << "and the bar at rest afterwards";
    EXPECT_TRUE(fs::exists(dir / "sheets.pdf"));
}

} // namespace
