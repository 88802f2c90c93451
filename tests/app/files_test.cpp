// The files the commands write, as the clerk opens them afterwards: whole or not at all.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "app/commands.h"
#include "app/program.h"
#include "core/error.h"
#include "programs.h"
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

} // namespace
