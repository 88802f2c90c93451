// The window while a download runs: "Cancel download", and Exit asking whether to cancel.
// The server sends the first bytes of the file and then stalls, so the download would run
// for its whole timeout without a cancel.

#include <QApplication>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "app/program.h"
#include "app/window/formmain.h"
#include "app/window/resultlog.h"
#include "programs.h"
#include "support/process.h"
#include "support/testsupport.h"

namespace fs = std::filesystem;

class WindowDownloadTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::TempDir> dir_;
    std::unique_ptr<testsupport::StallingFtpServer> server_;
    std::unique_ptr<app::Program> program_;
    std::unique_ptr<window::TFormMain> form_;

    fs::path part() const { return dir_->path() / "acme_2024410_1.dat.part"; }

    bool anyDatedFile() const
    {
        for (const auto& e : fs::directory_iterator(dir_->path()))
            if (e.path().extension() == ".dat")
                return true;
        return false;
    }

    bool resultHas(const QString& text) const
    {
        window::ResultLog* log = form_->resultLog();
        for (int i = 0; i < log->lineCount(); ++i)
            if (log->line(i) == text)
                return true;
        return false;
    }

    /// Starts the download and waits until its first bytes are on disk.
    void startStalledDownload()
    {
        form_->run("Downloadfromwebserver1Click");
        QVERIFY(!form_->cancelDownloadButton()->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(part()) && fs::file_size(part()) == 40, 5000);
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<testsupport::TempDir>();
        testsupport::writeFile(dir_->path() / "acme.txt", std::string(200, 'x'));
        server_ = std::make_unique<testsupport::StallingFtpServer>((dir_->path() / "acme.txt").string(), 40);
        testsupport::writeFile(dir_->path() / "WebServer.ini",
                               "[WebServer]\nGroup=acme\nHost=127.0.0.1\nPort=" + std::to_string(server_->port())
                                   + "\nUser=u\nPassword=p\nSiteFolder=s\nTimeout=60\n");
        program_ = testsupport::startedProgram(dir_->path(), core::encodeDate(2024, 4, 10), false);
        form_ = std::make_unique<window::TFormMain>(*program_);
        program_->FormShow();
        form_->loadFields();
        form_->show();
    }

    void cleanup()
    {
        form_.reset();
        program_.reset();
        server_.reset();
        dir_.reset();
    }

    void cancelEndsTheDownloadAndKeepsNoFile()
    {
        startStalledDownload();
        QTest::mouseClick(form_->cancelDownloadButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form_->services().running(), 0, 5000);
        form_->services().flushResult();
        QVERIFY(resultHas("Download cancelled: no file was kept"));
        QVERIFY(form_->cancelDownloadButton()->isHidden());
        QVERIFY(!fs::exists(part()));
        QVERIFY(!anyDatedFile());
        QVERIFY(form_->isVisible());
    }

    void exitDuringADownloadAsksAndCancels()
    {
        startStalledDownload();
        QStringList asked;
        bool answer = false;
        form_->services().answerQuestion = [&](const std::string& q) {
            asked << QString::fromStdString(q);
            return answer;
        };
        // No: the download goes on and the window stays.
        form_->close();
        QCOMPARE(asked, QStringList{"A download is still running. Cancel it and close the program?"});
        QVERIFY(form_->isVisible());
        QCOMPARE(form_->services().running(), 1);
        // Yes: the download ends, and then the window closes and saves the settings.
        answer = true;
        form_->close();
        QTRY_VERIFY_WITH_TIMEOUT(!form_->isVisible(), 5000);
        QCOMPARE(form_->services().running(), 0);
        QVERIFY(fs::exists(dir_->path() / "SetupValues.ini"));
        QVERIFY(!fs::exists(part()));
        QVERIFY(!anyDatedFile());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WindowDownloadTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_download_test.moc"
