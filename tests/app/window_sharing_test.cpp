// The window shares its site with other processes (the nightly runner, SQLite tools): it
// must keep SQLite's locks on the database for its whole life, whatever the user does.

#include <set>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>
#include <QtTest>

#include "app/demo.h"
#include "app/program.h"
#include "app/window/formmain.h"
#include "store/sqlite.h"
#include "support/process.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

/// The POSIX locks that process `pid` holds on the files with these inode numbers, each as
/// "inode access start end", from /proc/locks.
std::multiset<std::string> locksOf(pid_t pid, const std::set<unsigned long>& inodes)
{
    std::multiset<std::string> out;
    std::istringstream all(testsupport::readFile("/proc/locks"));
    std::string line;
    while (std::getline(all, line)) {
        std::istringstream in(line);
        std::string id, kind, mode, access, owner, where, start, end;
        in >> id >> kind;
        if (kind == "->") // a waiter, not a held lock
            continue;
        in >> mode >> access >> owner >> where >> start >> end;
        if (kind != "POSIX" || owner != std::to_string(pid))
            continue;
        const unsigned long inode = std::stoul(where.substr(where.rfind(':') + 1));
        if (inodes.count(inode) != 0)
            out.insert(std::to_string(inode) + " " + access + " " + start + " " + end);
    }
    return out;
}

std::set<unsigned long> inodesOf(const fs::path& db)
{
    std::set<unsigned long> out;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        struct stat st {};
        if (::stat((db.string() + suffix).c_str(), &st) == 0)
            out.insert(static_cast<unsigned long>(st.st_ino));
    }
    return out;
}

/// Waits for the next file dialog, lets it list `folder` until `shown` appears in it (icons
/// and types included), then cancels it. `listed` tells whether the file was seen.
void cancelNextDialogOnceListed(const fs::path& folder, const QString& shown, bool* listed)
{
    *listed = false;
    auto* poll = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    auto seenAt = std::make_shared<qint64>(-1);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (started->elapsed() > 10000)
                poll->deleteLater();
            return;
        }
        auto* model = dialog->findChild<QFileSystemModel*>();
        const QModelIndex at = model != nullptr
                                   ? model->index(QString::fromStdString((folder / shown.toStdString()).string()))
                                   : QModelIndex();
        if (at.isValid() && *seenAt < 0) {
            // What the dialog shows of each file: its icon and its type.
            model->data(at, Qt::DecorationRole);
            model->type(at);
            *seenAt = started->elapsed();
            *listed = true;
        }
        // Give the dialog's listing another moment to settle before it is cancelled.
        if ((*seenAt >= 0 && started->elapsed() - *seenAt > 400) || started->elapsed() > 10000) {
            dialog->reject();
            poll->deleteLater();
        }
    });
    poll->start(20);
}

std::string one(store::Database& db, const std::string& sql)
{
    store::Statement st(db, sql);
    return st.step() ? st.columnText(0) : std::string();
}

} // namespace

class WindowSharingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void everyFileDialogLeavesTheDatabaseLocksHeld()
    {
        testsupport::TempDir dir;
        app::ProgramOptions o;
        o.home = dir.path();
        o.today = core::encodeDate(2026, 3, 31);
        o.regional = testsupport::usRegional();
        app::Program program(o);
        program.FormCreate();
        window::TFormMain form(program);
        program.FormShow();
        form.show();
        // A file that every dialog lists, whatever its filter: the folder's other files (the
        // database's among them) come in the same listing.
        testsupport::writeFile(dir / "payroll.csv", "PayrollNo,NT,OT1,OT2,HT,Name,MobileNo\r\n");

        const auto inodes = inodesOf(program.databaseFile());
        const auto held = locksOf(::getpid(), inodes);
        QVERIFY2(!held.empty(), "SQLite holds no lock on the database at start");

        using Save = core::WindowServices::SaveDialog;
        const std::vector<std::pair<QString, std::function<bool()>>> dialogs{
            {"Get TallixData file", [&] { return !form.services().openFile("Get TallixData file"); }},
            {"Get FingerPrintScanner ClockData file",
             [&] { return !form.services().openFile("Get FingerPrintScanner ClockData file"); }},
            {"Import Employees", [&] { return !form.services().openFile("Import Employees"); }},
            {"Export Employee File", [&] { return !form.services().saveFile(Save::EmployeeFile); }},
            {"Summary", [&] { return !form.services().saveFile(Save::Summary); }},
        };
        for (const auto& [name, show] : dialogs) {
            bool listed = false;
            cancelNextDialogOnceListed(dir.path(), "payroll.csv", &listed);
            QVERIFY2(show(), qPrintable(name + ": the cancelled dialog returned a file"));
            QVERIFY2(listed, qPrintable(name + ": the dialog never listed the program's folder"));
            QCOMPARE(locksOf(::getpid(), inodes), held);
        }
        form.close();
    }

    /// The window opens and cancels the import dialog, then the runner and the window take
    /// turns writing: nothing may be lost or corrupted.
    void runnerAndWindowTakingTurnsKeepTheDatabaseSound()
    {
        testsupport::TempDir dir;
        const fs::path home = dir.path();
        app::ProgramOptions o;
        o.home = home;
        o.today = core::encodeDate(2026, 3, 31);
        o.regional = testsupport::usRegional();
        auto program = std::make_unique<app::Program>(o);
        program->FormCreate();
        auto form = std::make_unique<window::TFormMain>(*program);
        program->FormShow();
        app::prepareDemo(*program, app::examplesFolder());
        form->loadFields();
        form->show();
        std::vector<std::string> errors;
        form->services().seeMessage = [&](const std::string& m) { errors.push_back(m); };
        form->services().answerQuestion = [](const std::string&) { return true; };

        bool listed = false;
        cancelNextDialogOnceListed(home, "clockdata.txt", &listed);
        form->run("ImportPreviousdownloadedfiles1Click");
        QVERIFY(listed);

        const auto cli = [&](std::vector<std::string> args) {
            args.insert(args.begin(), {"--home", home.string(), "--today", "2026-03-31"});
            const auto r = testsupport::runProcess(TALLIX_CLI, args);
            QVERIFY2(r.code == 0, r.out.c_str());
        };
        cli({"--open", (home / "clockdata.txt").string(), "ImportPreviousdownloadedfiles1Click"});
        const std::string phone = one(program->db(), "SELECT count(*) FROM ClkData");
        QVERIFY(std::stoi(phone) > 0);

        form->run("ProcessClockData1Click");
        QVERIFY2(errors.empty(), errors.empty() ? "" : errors.front().c_str());
        const std::string days = one(program->db(), "SELECT count(*) FROM Attendance");
        const std::string used = one(program->db(), "SELECT count(*) FROM ClkData WHERE Used = 1");
        QVERIFY(std::stoi(days) > 0 && std::stoi(used) > 0);

        cli({"--open", (home / "scanner.dat").string(), "DownloadfromBiometricUnit1Click"});
        const std::string both = one(program->db(), "SELECT count(*) FROM ClkData");
        QVERIFY(std::stoi(both) > std::stoi(phone));

        form->run("BitBtn3Click");
        QTRY_VERIFY(!form->isVisible());
        form.reset();
        program.reset();

        store::Database db((home / "tallix.db").string());
        QCOMPARE(one(db, "PRAGMA integrity_check"), std::string("ok"));
        QCOMPARE(one(db, "SELECT count(*) FROM ClkData"), both);
        QCOMPARE(one(db, "SELECT count(*) FROM Attendance"), days);
        QCOMPARE(one(db, "SELECT count(*) FROM ClkData WHERE Used = 1"), used);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WindowSharingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_sharing_test.moc"
