// The main window, offscreen: pages, menus and buttons from the command table, and the
// common course of a command.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "app/backups.h"
#include "app/commands.h"
#include "app/program.h"
#include "app/window/formmain.h"
#include "programs.h"
#include "store/sqlite.h"
#include "store/tables.h"
#include "support/testsupport.h"

namespace {

QStringList menuEntries(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->menu() != nullptr ? a->text() + " >" : a->text());
    return out;
}

std::string dump(store::Database& db)
{
    std::string out;
    for (const char* table :
         {"Employee", "Shifts", "Period", "ClkData", "Attendance", "Summaries", "History", "PerHistory"}) {
        store::Statement st(db, std::string("SELECT * FROM ") + table + " ORDER BY rowid");
        while (st.step()) {
            out += table;
            for (int i = 0; i < st.columnCount(); ++i)
                out += "|" + st.columnText(i);
            out += "\n";
        }
    }
    return out;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::TempDir> dir_;
    std::unique_ptr<app::Program> program_;
    std::unique_ptr<window::TFormMain> form_;
    std::vector<std::string> messages_;

    void start()
    {
        dir_ = std::make_unique<testsupport::TempDir>();
        program_ = testsupport::startedProgram(dir_->path(), core::encodeDate(2024, 4, 10), false);
        form_ = std::make_unique<window::TFormMain>(*program_);
        program_->FormShow();
        form_->loadFields();
        messages_.clear();
        form_->services().seeMessage = [this](const std::string& m) { messages_.push_back(m); };
    }

    void fillTables()
    {
        auto& db = program_->db();
        db.exec("INSERT INTO Employee (No, Name, MobileNo, FlexiTime, ShiftNo) VALUES (1, 'Ann', '0821', 'YES', 1), "
                "(2, 'Bob', '0822', 'NO', 2)");
        db.exec("INSERT INTO Period (Date, ShiftNo, Shift2, Shift3, Holiday) VALUES ('2024-04-01', 1, 2, 4, NULL), "
                "('2024-04-02', 1, 2, 4, 'Holiday')");
        db.exec("INSERT INTO Attendance (EmployeeNo, Date, Shift) VALUES (1, '2024-04-01', 1)");
        db.exec("INSERT INTO PerHistory (Period, StartDate, EndDate) VALUES (3, '2024-03-01', '2024-03-31')");
        db.exec("INSERT INTO History (EmployeeNo, Period, Report) VALUES (1, 3, 1), (2, 3, 0)");
        for (store::Cursor* c : program_->tables().inOrder())
            c->refresh();
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init() { start(); }
    void cleanup()
    {
        form_->close();
        form_.reset();
        program_.reset();
        dir_.reset();
    }

    void pagesInOrderWithDownloadInFront()
    {
        const QStringList expected{"Download",
                                   "Location",
                                   "Attendance",
                                   "History - Summaries",
                                   "History - Detail",
                                   "Result",
                                   "Period",
                                   "Employees",
                                   "Shifts",
                                   "Setup",
                                   "General Working of the Program",
                                   "Website Information"};
        QStringList titles;
        for (int i = 0; i < form_->pages()->count(); ++i)
            titles << form_->pages()->tabText(i);
        QCOMPARE(titles, expected);
        QCOMPARE(form_->pages()->currentIndex(), 0);
        QCOMPARE(form_->windowTitle(), QString("TALLIX SERVER - Tallix Server"));
        QCOMPARE(form_->progressCaption()->text(), QString("Progressbar"));
    }

    void menus_data()
    {
        QTest::addColumn<int>("place");
        QTest::addColumn<QStringList>("entries");
        using P = app::Place;
        QTest::newRow("employees") << int(P::EmployeesMenu)
                                   << QStringList{"Set FLEXITIME to YES",    "Set FLEXITIME to NO", "-",
                                                  "Export Employees",        "Import Employees",    "-",
                                                  "Delete Current Employee", "Delete All Employees"};
        QTest::newRow("period days") << int(P::PeriodDaysMenu) << QStringList{"Set as HOLIDAY", "Reset HOLIDAY"};
        QTest::newRow("clockings") << int(P::ClockingsMenu)
                                   << QStringList{"Download clock data",
                                                  "-",
                                                  "Import clock data",
                                                  "Import from Biometric Unit",
                                                  "-",
                                                  "Reset and Process Clock Data",
                                                  "-",
                                                  "Import New Clock Data",
                                                  "Process the New Clock Data",
                                                  "Show Clock Location on Map",
                                                  "-",
                                                  "Delete Used Clock Data",
                                                  "Delete Double Clock Entries",
                                                  "Reset USED Field"};
        QTest::newRow("totals") << int(P::TotalsMenu)
                                << QStringList{"Summarise",
                                               "Apply FULL HOURS work before OVERTIME",
                                               "EXPORT Summary for PAYROLL use  >",
                                               "Print Timesheets",
                                               "Print Period Report",
                                               "-",
                                               "POST CLOCK DATA TO HISTORY FILES"};
        QTest::newRow("payroll submenu") << int(P::PayrollSubmenu)
                                         << QStringList{"FORMAT : PayrollNo,NT, OT1,  OT2, HT,Name,MobileNo",
                                                        "FORMAT : PayrollNo, [NT+HT], OT1, OT2,Name,MobileNo"};
        QTest::newRow("posted periods") << int(P::PostedPeriodsMenu) << QStringList{"Delete Pay Period"};
    }

    void menus()
    {
        QFETCH(int, place);
        QFETCH(QStringList, entries);
        QMenu* m = form_->menu(static_cast<app::Place>(place));
        QVERIFY(m != nullptr);
        QCOMPARE(menuEntries(m), entries);
    }

    void buttonsCarryTheirCaptions_data()
    {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("caption");
        const std::pair<const char*, const char*> rows[] = {
            {"BitBtn3Click", "Exit"},          {"Button7Click", "Create Period"},
            {"Button6Click", "Insert Shifts"}, {"Button5Click", "Increment Weekly Based Periods"},
            {"Button3Click", "Next Month"},    {"Button11Click", "Show"},
            {"Button12Click", "Reset"},        {"Button13Click", "Export csv"},
            {"Button14Click", "Show"},         {"Button15Click", "Reset"},
            {"Button16Click", "Export csv "}};
        for (auto [h, c] : rows)
            QTest::newRow(h) << QString(h) << QString(c);
    }

    void buttonsCarryTheirCaptions()
    {
        QFETCH(QString, handler);
        QFETCH(QString, caption);
        QPushButton* b = form_->button(handler.toStdString());
        QVERIFY(b != nullptr);
        QCOMPARE(b->text(), caption);
    }

    void everyHandlerIsASlotAndReachable()
    {
        for (const app::Command& c : app::commandTable()) {
            if (c.kind != app::Command::Kind::Command)
                continue;
            const QByteArray slot = QByteArray::fromStdString(c.handler) + "()";
            QVERIFY2(form_->metaObject()->indexOfSlot(slot) >= 0, slot.constData());
            bool placed = form_->button(c.handler) != nullptr;
            const app::Place menuPlace = c.place;
            if (QMenu* m = form_->menu(menuPlace))
                for (QAction* a : m->actions())
                    placed = placed || a->objectName() == QString::fromStdString(c.handler);
            QVERIFY2(placed, c.handler.c_str());
        }
    }

    void questionAnsweredNoChangesNothing()
    {
        fillTables();
        // The restore asks for its backup first.
        const std::filesystem::path backup = app::backUp(*program_, "test");
        form_->services().chooseOpenFile = [&](const std::string&) { return backup; };
        for (const app::Command& c : app::commandTable()) {
            if (c.asks == 0 || c.run == nullptr)
                continue;
            for (int no = 0; no < c.asks; ++no) {
                QVERIFY(program_->tables().EmployeeTable.findKey(core::Value::integer(2)));
                const std::string before = dump(program_->db());
                form_->progressBar()->setValue(0);
                int asked = 0;
                form_->services().answerQuestion = [&](const std::string&) { return asked++ < no; };
                form_->run(c.handler);
                QCOMPARE(asked, no + 1);
                QVERIFY2(dump(program_->db()) == before, c.handler.c_str());
                QCOMPARE(form_->progressCaption()->text(), QString("Progressbar"));
                QCOMPARE(form_->progressBar()->value(), 0);
                QVERIFY(messages_.empty());
            }
        }
    }

    void everyCommandLeavesTheBottomStripAtRest()
    {
        fillTables();
        form_->services().answerQuestion = [](const std::string&) { return true; };
        form_->services().chooseOpenFile = [](const std::string&) { return std::nullopt; };
        form_->services().chooseSaveFile = [](core::WindowServices::SaveDialog) { return std::nullopt; };
        for (const app::Command& c : app::commandTable()) {
            // Exit ends the window; the map starts an embedded browser and uses no progress.
            if (c.run == nullptr || c.handler == "BitBtn3Click" || c.handler == "N8Click")
                continue;
            const int posted = program_->tables().PerhistoryTable.recordCount();
            form_->run(c.handler);
            if (c.handler == "DeletePayPeriod1Click") // it did walk its rows with its captions
                QCOMPARE(program_->tables().PerhistoryTable.recordCount(), posted - 1);
            QVERIFY2(form_->progressCaption()->text() == "Progressbar",
                     qPrintable(QString::fromStdString(c.handler) + " left " + form_->progressCaption()->text()));
            QVERIFY2(form_->progressBar()->value() == 0, c.handler.c_str());
        }
    }

    void errorIsShownAndTheWindowStaysUsable()
    {
        form_->run("Downloadfromwebserver1Click");
        QCOMPARE(messages_.size(), std::size_t(1));
        QVERIFY(messages_[0].find("WebServer.ini is missing") != std::string::npos);
        QVERIFY(!form_->busy());
        form_->services().answerQuestion = [](const std::string&) { return true; };
        program_->pickers.startDate = core::encodeDate(2024, 4, 1);
        program_->pickers.endDate = core::encodeDate(2024, 4, 3);
        form_->run("Button7Click");
        QCOMPARE(program_->tables().PeriodTable.recordCount(), 3);
    }

    void leavingAHistoryPageSwitchesItsFilterOff()
    {
        fillTables();
        for (auto [page, cursor] : {std::pair{"History - Detail", &program_->tables().HistoryTable},
                                    std::pair{"History - Summaries", &program_->tables().SummariesTable}}) {
            form_->services().showPage(page);
            cursor->setFilter("Report = 1");
            cursor->setFiltered(true);
            form_->services().showPage("Result");
            QVERIFY(!cursor->filtered());
        }
        QCOMPARE(program_->tables().HistoryTable.recordCount(), 2);
    }

    void resultLogIsReadOnlyAndCanBeCleared()
    {
        form_->resize(900, 600);
        form_->show();
        form_->services().showPage("Result");
        window::ResultLog* log = form_->resultLog();
        QApplication::processEvents();
        const QImage blank = log->viewport()->grab().toImage();
        form_->services().appendResult("first line");
        form_->services().appendResult("second line");
        QCOMPARE(log->lineCount(), 0); // lines reach the page in batches, at latest on a repaint
        form_->services().repaint();
        QCOMPARE(log->lineCount(), 2);
        QCOMPARE(log->line(0), QString("first line"));
        QCOMPARE(log->line(1), QString("second line"));
        QVERIFY(log->viewport()->grab().toImage() != blank);
        // Typing changes nothing.
        log->setFocus();
        QTest::keyClicks(log, "typed");
        for (Qt::Key k : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete})
            QTest::keyClick(log, k);
        QTest::keyClick(log, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(log->lineCount(), 2);
        QCOMPARE(log->line(0), QString("first line"));
        QCOMPARE(log->line(1), QString("second line"));
        QPushButton* clear = nullptr;
        for (QPushButton* b : form_->findChildren<QPushButton*>())
            if (b->text() == "Clear Message or Report")
                clear = b;
        QVERIFY(clear != nullptr);
        clear->click();
        QCOMPARE(log->lineCount(), 0);
        QCOMPARE(log->line(0), QString());
        QVERIFY(!log->hasSelection());
        QCOMPARE(log->viewport()->grab().toImage(), blank);
        form_->services().appendResult("after clearing");
        form_->services().repaint();
        QCOMPARE(log->lineCount(), 1);
        QCOMPARE(log->line(0), QString("after clearing"));
    }

    void resultLogCopiesTheSelectedLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("copied");
        const QStringList four{"l0", "l1", "l2", "l3"};
        QTest::newRow("select all, repeated lines")
            << QStringList{"a", "b", "a", "a"} << QKeySequence(Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::Key_C)
            << QString("a\nb\na\na");
        QTest::newRow("select all, empty lines")
            << QStringList{"", "x", ""} << QKeySequence(Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::Key_C) << QString("\nx\n");
        QTest::newRow("select all, one line")
            << QStringList{"only"} << QKeySequence(Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::Key_C) << QString("only");
        QTest::newRow("down and shift+down")
            << four
            << QKeySequence(QKeyCombination(Qt::Key_Home), QKeyCombination(Qt::Key_Down), Qt::SHIFT | Qt::Key_Down,
                            Qt::CTRL | Qt::Key_C)
            << QString("l1\nl2");
        QTest::newRow("end and shift+up")
            << four << QKeySequence(QKeyCombination(Qt::Key_End), Qt::SHIFT | Qt::Key_Up, Qt::CTRL | Qt::Key_C)
            << QString("l2\nl3");
        QTest::newRow("a move drops the selection")
            << four << QKeySequence(Qt::CTRL | Qt::Key_A, QKeyCombination(Qt::Key_Up), Qt::CTRL | Qt::Key_C)
            << QString("l2");
        QTest::newRow("nothing selected copies nothing")
            << four << QKeySequence(Qt::CTRL | Qt::Key_C) << QString("on the clipboard before");
    }

    void resultLogCopiesTheSelectedLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, copied);
        QGuiApplication::clipboard()->setText("on the clipboard before");
        for (const QString& l : lines)
            form_->services().appendResult(l.toStdString());
        form_->services().repaint();
        window::ResultLog* log = form_->resultLog();
        QTest::keySequence(log, keys);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("text/plain"), copied.toUtf8());
    }

    void resultLogCopyKeepsTheLinesAsCopied()
    {
        for (const char* l : {"a", "b"})
            form_->services().appendResult(l);
        form_->services().repaint();
        window::ResultLog* log = form_->resultLog();
        log->selectAll();
        log->copy();
        form_->services().appendResult("appended after the copy");
        form_->services().repaint();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("a\nb"));
        form_->services().clearResult();
        form_->services().appendResult("a new log");
        form_->services().repaint();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("a\nb"));
        QCOMPARE(log->lineCount(), 1);
        QCOMPARE(log->line(0), QString("a new log"));
    }

    void resultLogFollowsTheEndWhileItStandsThere()
    {
        form_->resize(900, 600);
        form_->show();
        form_->services().showPage("Result");
        window::ResultLog* log = form_->resultLog();
        QScrollBar* bar = log->verticalScrollBar();
        for (int i = 0; i < 1000; ++i)
            form_->services().appendResult("line " + std::to_string(i));
        form_->services().repaint();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(log->firstVisibleLine() + bar->pageStep(), 1000); // the last line in sight
        bar->setValue(10);
        for (int i = 0; i < 100; ++i)
            form_->services().appendResult("more");
        form_->services().repaint();
        QCOMPARE(log->firstVisibleLine(), 10); // the user reads on undisturbed
        QCOMPARE(log->lineCount(), 1100);
    }

    void lineStoreKeepsEveryLine_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("distinct");
        QTest::addColumn<int>("longLength");
        QTest::newRow("few texts repeated, over many id chunks") << 300'000 << 7 << 0;
        QTest::newRow("every line its own text, over many text chunks") << 150'000 << 150'000 << 0;
        QTest::newRow("texts longer than a text chunk among short ones") << 120 << 40 << 1'100'000;
    }

    void lineStoreKeepsEveryLine()
    {
        QFETCH(int, count);
        QFETCH(int, distinct);
        QFETCH(int, longLength);
        auto text = [&](int i) {
            const int k = static_cast<int>((static_cast<long long>(i) * 7919) % distinct);
            std::string s = "clocking " + std::to_string(k) + std::string(static_cast<std::size_t>(k % 37), '.');
            if (longLength > 0 && k % 10 == 3)
                s += std::string(static_cast<std::size_t>(longLength + k), char('a' + k % 26));
            return s;
        };
        window::LineStore store;
        for (int round = 0; round < 2; ++round) {
            std::string expected;
            for (int i = 0; i < count; ++i) {
                const std::string s = text(i);
                store.append(s);
                if (i >= 3 && i < count - 2)
                    expected += (expected.empty() ? "" : "\n") + s;
            }
            QCOMPARE(store.size(), std::size_t(count));
            for (int i = 0; i < count; ++i)
                if (store.line(static_cast<std::size_t>(i)) != text(i))
                    QFAIL(qPrintable(QString("line %1 of round %2 differs").arg(i).arg(round)));
            const QByteArray joined = store.joined(3, static_cast<std::size_t>(count - 2));
            QVERIFY(joined == QByteArray::fromStdString(expected));
            std::size_t longest = 0;
            for (int i = 0; i < distinct && i < count; ++i)
                longest = std::max(longest, text(i).size());
            QCOMPARE(store.longest().size(), longest);
            store.clear();
            QCOMPARE(store.size(), std::size_t(0));
            QVERIFY(store.joined(0, 10).isEmpty());
        }
    }

    void totalsShowTwoDecimalsAndTheStoredValueInTheTooltip()
    {
        fillTables();
        program_->db().exec("UPDATE Employee SET NT = 7.91666666666667, OT1 = 0.5, OT2 = NULL WHERE No = 1");
        program_->db().exec("INSERT INTO Summaries (Period, Employee, NT, FullHours) VALUES (3, 1, 150.125, 160)");
        for (store::Cursor* c : program_->tables().inOrder())
            c->refresh();
        struct Cell {
            const char* grid;
            const char* column;
            QString shown;
            QVariant tip;
        };
        const Cell cells[] = {
            {"EmployeeTable", "NT", "7.92", QString("7.91666666666667")},
            {"EmployeeTable", "OT1", "0.50", QString("0.5")},
            {"EmployeeTable", "OT2", "", QString("")}, // empty stays empty
            {"SummariesTable", "NT", "150.13", QString("150.125")},
            {"SummariesTable", "FullHours", "160.00", QString("160")},
        };
        for (const Cell& c : cells) {
            // The Attendance page's totals grid is the narrowest grid of the employee cursor.
            QTableView* view = nullptr;
            int col = -1;
            for (QTableView* v : form_->findChildren<QTableView*>()) {
                if (v->objectName() != c.grid
                    || (view != nullptr && view->model()->columnCount() <= v->model()->columnCount()))
                    continue;
                for (int i = 0; i < v->model()->columnCount(); ++i)
                    if (v->model()->headerData(i, Qt::Horizontal).toString() == c.column) {
                        view = v;
                        col = i;
                    }
            }
            QVERIFY2(view != nullptr && col >= 0, c.column);
            QAbstractItemModel* m = view->model();
            const QModelIndex at = m->index(0, col);
            QCOMPARE(m->data(at, Qt::DisplayRole).toString(), c.shown);
            QCOMPARE(m->data(at, Qt::ToolTipRole).toString(), c.tip.toString());
            // Wide enough for the value as shown.
            QVERIFY(view->columnWidth(col) >= view->fontMetrics().horizontalAdvance("1000.00") + 8);
        }
    }

    void gridsShowTheirColumnsAndFollowTheCursor()
    {
        fillTables();
        QTableView* reg = form_->grid("AttendanceTable");
        QVERIFY(reg != nullptr);
        QCOMPARE(reg->model()->headerData(2, Qt::Horizontal).toString(), QString("SLOT"));
        QTableView* period = form_->grid("PeriodTable");
        QCOMPARE(period->model()->headerData(2, Qt::Horizontal).toString(), QString("Shift_1"));
        QCOMPARE(period->model()->data(period->model()->index(0, 1)).toString(), QString("Monday"));
        QTableView* emp = form_->grid("EmployeeTable");
        emp->selectionModel()->setCurrentIndex(emp->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
        QCOMPARE(program_->tables().EmployeeTable.asInteger("No"), 2);
        QCOMPARE(reg->model()->rowCount(), 0); // employee 2 has no register days
        program_->tables().EmployeeTable.first();
        QCOMPARE(emp->selectionModel()->currentIndex().row(), 0);
        QCOMPARE(reg->model()->rowCount(), 1);
    }

    /// Clicks and keys while a command runs are dropped: not acted on at the time, and not
    /// replayed when the command has ended. "Exit" is asked about once the command is done.
    void inputDuringACommandIsDroppedNotReplayed_data()
    {
        QTest::addColumn<bool>("closeAfterwards");
        QTest::newRow("exit declined") << false;
        QTest::newRow("exit confirmed") << true;
    }

    void inputDuringACommandIsDroppedNotReplayed()
    {
        QFETCH(bool, closeAfterwards);
        fillTables();
        form_->show();
        QTabBar* tabs = form_->pages()->tabBar();
        const QPoint attendance = tabs->tabRect(2).center();
        QTableView* clockings = form_->grid("ClkdataTable");
        QPushButton* exit = form_->button("BitBtn3Click");
        int menusOpened = 0;
        // A context menu that did open would wait for the user: close it and count it.
        QTimer closeMenus;
        connect(&closeMenus, &QTimer::timeout, [&] {
            if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                ++menusOpened;
                popup->close();
            }
        });
        closeMenus.start(20);
        std::vector<std::string> asked;
        form_->services().answerQuestion = [&](const std::string& text) {
            asked.push_back(text);
            if (asked.size() > 1)
                return closeAfterwards;
            // The user goes on clicking while the command runs: some input arrives at once,
            // some waits in the queue for the command's next repaint or its end.
            QTest::mouseClick(tabs, Qt::LeftButton, {}, attendance);
            QTest::keyClick(form_.get(), Qt::Key_Tab, Qt::ControlModifier);
            for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(tabs, new QMouseEvent(t, attendance, tabs->mapToGlobal(attendance),
                                                                  Qt::LeftButton, Qt::LeftButton, {}));
            QCoreApplication::postEvent(clockings->viewport(),
                                        new QContextMenuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                                              clockings->viewport()->mapToGlobal(QPoint(5, 5))));
            QTest::mouseClick(exit, Qt::LeftButton);
            return true;
        };
        form_->run("ProcessClockData1Click");
        QTest::qWait(100);
        QCOMPARE(form_->pages()->currentIndex(), 0);
        QCOMPARE(menusOpened, 0);
        QCOMPARE(asked.size(), std::size_t(2));
        QCOMPARE(asked[1], std::string("Exit was pressed while the command was running. Close the program now?"));
        store::Statement days(program_->db(), "SELECT count(*) FROM Attendance");
        QVERIFY(days.step() && days.columnInt(0) == 4); // the command itself ran to its end
        if (closeAfterwards)
            QTRY_VERIFY(!form_->isVisible());
        else
            QVERIFY(form_->isVisible());
        // Once the command has ended, input works again.
        if (!closeAfterwards) {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, attendance);
            QCOMPARE(form_->pages()->currentIndex(), 2);
        }
    }

    void progressBarShowsItsEndsAtOnceAndTheRestAtARepaint()
    {
        // A pass steps the bar once per row: the bar is painted a few times a second, not at
        // every step, but it never stands short of where the pass stands when it ends.
        core::WindowServices& s = form_->services();
        QProgressBar* bar = form_->progressBar();
        s.setProgressRange(0, 1000, 1);
        s.setProgressPosition(0);
        QCOMPARE(bar->value(), 0);
        for (int i = 0; i < 1000; ++i)
            s.stepProgress();
        QCOMPARE(bar->value(), 1000);
        s.setProgressPosition(0);
        QCOMPARE(bar->value(), 0);
        s.stepProgress();
        s.stepProgress();
        QTest::qWait(60);
        s.repaint();
        QCOMPARE(bar->value(), 2);
    }

    void openDialogsListEveryFile()
    {
        // clockdata.txt and scanner.dat must show: the import dialogs have no file-type filter.
        for (const char* title : {"Get TallixData file", "Import from Biometric Unit"}) {
            QStringList filters;
            QTimer::singleShot(200, [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* d = qobject_cast<QFileDialog*>(w); d != nullptr && d->isVisible()) {
                        filters = d->nameFilters();
                        d->reject();
                    }
            });
            QVERIFY(!form_->services().openFile(title));
            QCOMPARE(filters, QStringList{"All files (*)"});
        }
    }

    // A setup value that is not a value of its kind is never taken: refused with the field's
    // caption when the clerk leaves the field, the value before back in it.
    void aSetupValueThatIsNoValueOfItsKindIsRefusedWhereItIsTyped_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("good");
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("minutes") << "MINUTES_BREAK"
                                 << "45"
                                 << "abc"
                                 << "Lunch and Tea breaks in MINUTES to be deducted: 'abc' is not a number of minutes "
                                    "from 0 to 1440.";
        QTest::newRow("period number") << "NUMBER"
                                       << "12"
                                       << "7x"
                                       << "Current Pay Period Number: '7x' is not a whole number from 1 to "
                                          "2147483646.";
        QTest::newRow("hours") << "VROEG"
                               << "2.5"
                               << "fünf"
                               << "The number of hours allowed to start earlier for Paid Shift Work.: 'fünf' is not a "
                                  "number of hours from 0 to 24.";
    }
    void aSetupValueThatIsNoValueOfItsKindIsRefusedWhereItIsTyped()
    {
        QFETCH(QString, key);
        QFETCH(QString, good);
        QFETCH(QString, bad);
        QFETCH(QString, refusal);
        auto* field = form_->findChild<QLineEdit*>(key);
        QVERIFY(field != nullptr);
        std::string* value = program_->setup.textField(key.toStdString());
        QVERIFY(value != nullptr);
        field->setText(good);
        QCOMPARE(QString::fromStdString(*value), good);
        field->setText(bad);
        QCOMPARE(QString::fromStdString(*value), good); // a command run now works with the last value taken
        emit field->editingFinished();
        QCOMPARE(messages_, std::vector<std::string>{refusal.toStdString()});
        QCOMPARE(field->text(), good);
        program_->FormClose();
        QVERIFY(testsupport::readFile(dir_->path() / "SetupValues.ini").find(bad.toStdString()) == std::string::npos);
    }

    void exitClosesWithoutAQuestion()
    {
        form_->show();
        std::vector<std::string> asked;
        form_->services().answerQuestion = [&](const std::string& text) {
            asked.push_back(text);
            return false;
        };
        form_->run("BitBtn3Click");
        QTRY_VERIFY(!form_->isVisible());
        QVERIFY(asked.empty());
    }

    // A wrongly placed clocking can be taken out of the register: Delete or Backspace
    // empties a time cell, also with its time editor open, and the empty cell is on record.
    void deleteEmptiesATimeCell()
    {
        fillTables();
        program_->db().exec("UPDATE Attendance SET In1 = '08:00:00', Out1 = '17:00:00', In2 = '17:05:00'");
        program_->tables().AttendanceTable.refresh();
        QTableView* reg = form_->grid("AttendanceTable");
        QAbstractItemModel* m = reg->model();
        const auto column = [&](const char* title) {
            for (int c = 0; c < m->columnCount(); ++c)
                if (m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == title)
                    return c;
            return -1;
        };
        QVERIFY(column("Out1") >= 0 && column("In2") >= 0);
        QVERIFY(m->rowCount() >= 1);

        // On the cell, not in edit.
        reg->setFocus();
        reg->setCurrentIndex(m->index(0, column("In2")));
        QTest::keyClick(reg, Qt::Key_Delete);
        // In the time editor, which typing cannot empty.
        const QModelIndex out1 = m->index(0, column("Out1"));
        reg->setCurrentIndex(out1);
        reg->edit(out1);
        auto* editor = reg->findChild<QDateTimeEdit*>();
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(m->data(out1, Qt::DisplayRole).toString(), QString());
        QCOMPARE(m->data(m->index(0, column("In2")), Qt::DisplayRole).toString(), QString());

        program_->tables().AttendanceTable.post();
        store::Statement st(program_->db(),
                            "SELECT ifnull(In1, ''), ifnull(Out1, ''), ifnull(In2, '') FROM Attendance");
        QVERIFY(st.step());
        QCOMPARE(QString::fromStdString(st.columnText(0) + "|" + st.columnText(1) + "|" + st.columnText(2)),
                 QString("08:00:00||"));
        store::Statement typed(program_->db(), "SELECT Field, OldValue, NewValue FROM TypedTimes ORDER BY Field");
        QStringList rows;
        while (typed.step())
            rows << QString::fromStdString(typed.columnText(0) + "|" + typed.columnText(1) + "|" + typed.columnText(2));
        QCOMPARE(rows, (QStringList{"In2|17:05:00|", "Out1|17:00:00|"}));
    }

    void gridEditIsPostedWhenTheRowIsLeft()
    {
        fillTables();
        QTableView* emp = form_->grid("EmployeeTable");
        QAbstractItemModel* m = emp->model();
        emp->selectionModel()->setCurrentIndex(m->index(0, 1), QItemSelectionModel::ClearAndSelect);
        QVERIFY(m->setData(m->index(0, 1), "Anna", Qt::EditRole));
        QVERIFY(!(m->flags(m->index(0, 4)) & Qt::ItemIsEditable)); // FlexiTime changes through the menu
        emp->selectionModel()->setCurrentIndex(m->index(1, 1), QItemSelectionModel::ClearAndSelect);
        store::Statement st(program_->db(), "SELECT Name FROM Employee WHERE No = 1");
        QVERIFY(st.step());
        QCOMPARE(QString::fromStdString(st.columnText(0)), QString("Anna"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_test.moc"
