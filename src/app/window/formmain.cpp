#include "app/window/formmain.h"

#include <array>
#include <stdexcept>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#ifdef TALLIX_HAVE_WEBENGINE
#include <QWebEngineView>
#endif

#include "app/program.h"
#include "app/window/cursormodel.h"
#include "app/window/helptexts.h"
#include "app/window/navigator.h"
#include "register/typedtimes.h"
#include "store/tables.h"

namespace window {

namespace {

constexpr const char* kCaption = "TALLIX SERVER - Tallix Server";

QString q(const std::string& s) { return QString::fromStdString(s); }

QPlainTextEdit* helpText(const char* text, QWidget* parent)
{
    auto* edit = new QPlainTextEdit(QString::fromUtf8(text), parent);
    edit->setReadOnly(true);
    edit->setMinimumWidth(280);
    return edit;
}

QLabel* note(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    QFont f = label->font();
    f.setItalic(true);
    label->setFont(f);
    return label;
}

std::vector<GridColumn> pairColumns()
{
    return {{"In1"}, {"Out1"}, {"In2"}, {"Out2"}, {"In3"}, {"Out3"}, {"In4"}, {"Out4"}, {"In5"}, {"Out5"}};
}

template <typename... Parts>
std::vector<GridColumn> cols(std::initializer_list<GridColumn> first, Parts&&... rest)
{
    std::vector<GridColumn> out(first);
    (out.insert(out.end(), rest.begin(), rest.end()), ...);
    return out;
}

/// Makes a box wide enough for the window's caption in its title bar: the window manager
/// cuts a title that is wider than the box ("TALLIX ... x Server").
void fitTitle(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    QFont title = box.font();
    title.setBold(true);
    // Room for the title bar's own buttons and margins as well.
    const int width = QFontMetrics(title).horizontalAdvance(box.windowTitle()) * 3 / 2 + 140;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

/// Gives a file dialog room for the names, sizes, types and dates of the listed files.
void sizeFileDialog(QFileDialog& dialog)
{
    dialog.resize(980, 540);
    if (auto* list = dialog.findChild<QTreeView*>("treeView")) {
        QHeaderView* header = list->header();
        header->resizeSection(0, 380);
        header->resizeSection(1, 100);
        header->resizeSection(2, 130);
        header->resizeSection(3, 170);
    }
}

} // namespace

// ---- services ---------------------------------------------------------------------------

bool QtServices::question(const std::string& text)
{
    flushResult();
    if (answerQuestion)
        return answerQuestion(text);
    QMessageBox box(QMessageBox::Information, kCaption, q(text), QMessageBox::Yes | QMessageBox::No, &window_);
    box.setDefaultButton(QMessageBox::Yes);
    fitTitle(box);
    return box.exec() == QMessageBox::Yes;
}

void QtServices::message(const std::string& text)
{
    flushResult();
    if (seeMessage) {
        seeMessage(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kCaption, q(text), QMessageBox::Ok, &window_);
    fitTitle(box);
    box.exec();
}

void QtServices::setProgressCaption(const std::string& text) { window_.progressCaption()->setText(q(text)); }

void QtServices::setProgressRange(int minimum, int maximum, int step)
{
    QProgressBar* bar = window_.progressBar();
    bar->setRange(minimum, std::max(minimum, maximum));
    step_ = step;
    position_ = bar->value();
}

void QtServices::setProgressPosition(int position)
{
    position_ = position;
    showProgress();
}

void QtServices::stepProgress()
{
    position_ = std::min(window_.progressBar()->maximum(), position_ + step_);
    showProgress();
}

void QtServices::showProgress()
{
    // QProgressBar paints itself at once whenever its picture changes: a pass that steps
    // once per employee on a big site would spend more time painting the bar than working.
    // The bar shows the position at most every 40 ms, and at once at its two ends.
    QProgressBar* bar = window_.progressBar();
    if (bar->value() == position_)
        return;
    if (position_ <= bar->minimum() || position_ >= bar->maximum() || !progressShown_.isValid()
        || progressShown_.elapsed() >= 40) {
        bar->setValue(position_);
        progressShown_.start();
    }
}

void QtServices::repaint()
{
    flushResult();
    // Twenty-five times a second is enough to keep the window alive; a pass that asks for a
    // repaint at every row would otherwise spend its time painting.
    if (eventsDelivered_.isValid() && eventsDelivered_.elapsed() < 40)
        return;
    showProgress();
    // Everything is delivered, the user's input too: the window's input filter drops what
    // was meant for the main window while a command runs, so that nothing is replayed later.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    eventsDelivered_.start();
}

void QtServices::clearResult() { window_.resultLog()->clear(); }

void QtServices::appendResult(const std::string& line)
{
    // A processing run can log millions of lines: the log keeps them at once, and they
    // reach the page at each repaint and when the command ends.
    window_.resultLog()->appendLine(line);
}

void QtServices::flushResult() { window_.resultLog()->showNewLines(); }

void QtServices::showPage(const std::string& name)
{
    QTabWidget* pages = window_.pages();
    for (int i = 0; i < pages->count(); ++i)
        if (pages->tabText(i) == q(name)) {
            pages->setCurrentIndex(i);
            return;
        }
}

std::optional<std::filesystem::path> QtServices::openFile(const std::string& title)
{
    return openFileIn(title, lastOpenFolder_.empty() ? window_.program().path() : lastOpenFolder_);
}

std::optional<std::filesystem::path> QtServices::openFileIn(const std::string& title,
                                                            const std::filesystem::path& folder)
{
    if (chooseOpenFile)
        return chooseOpenFile(title);
    // Every file is listed: the clock data comes as .txt, .dat or whatever a device writes.
    QFileDialog dialog(&window_, q(title), q(folder.string()), "All files (*)");
    dialog.setIconProvider(&icons_);
    sizeFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("csv");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const std::filesystem::path chosen = dialog.selectedFiles().first().toStdString();
    lastOpenFolder_ = chosen.parent_path().string();
    return chosen;
}

std::optional<std::filesystem::path> QtServices::saveFile(SaveDialog kind)
{
    if (chooseSaveFile)
        return chooseSaveFile(kind);
    const bool employees = kind == SaveDialog::EmployeeFile;
    QFileDialog dialog(&window_, employees ? "Export Employee File" : "Save");
    dialog.setIconProvider(&icons_);
    sizeFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const bool pdf = std::string(defaultExtension(kind)) == "pdf";
    dialog.setNameFilter(pdf ? "PDF files (*.pdf);;All files (*)" : "CSV files (*.csv);;All files (*)");
    dialog.setDefaultSuffix(defaultExtension(kind));
    const auto last = lastSaved_.find(kind);
    if (last != lastSaved_.end()) {
        dialog.selectFile(q(last->second));
    } else {
        dialog.setDirectory(q(window_.program().path()));
        dialog.selectFile(proposedName(kind));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const std::string chosen = dialog.selectedFiles().first().toStdString();
    lastSaved_[kind] = chosen;
    return std::filesystem::path(chosen);
}

void QtServices::fieldsChanged() { window_.loadFields(); }

void QtServices::showMap(const std::string& url) { window_.setMapAddress(q(url)); }

void QtServices::runInBackground(std::function<void()> work, std::function<void()> done)
{
    ++running_;
    window_.backgroundChanged();
    QThreadPool::globalInstance()->start([this, work = std::move(work), done = std::move(done)] {
        work();
        // The report runs on the window's thread; this thread waits until it is done.
        QMetaObject::invokeMethod(
            &window_,
            [this, &done] {
                --running_;
                try {
                    done();
                } catch (const std::exception& e) {
                    window_.showError(QString::fromUtf8(e.what()));
                }
                window_.backgroundChanged();
            },
            Qt::BlockingQueuedConnection);
    });
}

void QtServices::closeWindow() { window_.closeAfterCommand(); }

// ---- window -----------------------------------------------------------------------------

TFormMain::TFormMain(app::Program& program, QWidget* parent) : QMainWindow(parent), program_(program), services_(*this)
{
    // Every command of the table has its slot here: a command without one would otherwise
    // do nothing when clicked, without a word.
    for (const app::Command& c : app::commandTable())
        if (!c.handler.empty() && metaObject()->indexOfSlot((c.handler + "()").c_str()) < 0)
            throw std::logic_error("The window has no handler " + c.handler + " for the command \"" + c.caption + "\"");
    setWindowTitle(kCaption);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* top = new QHBoxLayout;
    top->addWidget(makeButton("BitBtn3Click", central));
    cancelDownload_ = new QPushButton("Cancel download", central);
    cancelDownload_->setToolTip("Ends the running download; no file of it is kept.");
    cancelDownload_->setVisible(false);
    connect(cancelDownload_, &QPushButton::clicked, this, &TFormMain::cancelDownload);
    top->addWidget(cancelDownload_);
    top->addStretch();
    layout->addLayout(top);

    pages_ = new QTabWidget(central);
    pages_->addTab(buildDownloadPage(), "Download");
    pages_->addTab(buildLocationPage(), "Location");
    pages_->addTab(buildAttendancePage(), "Attendance");
    pages_->addTab(buildHistoryPage(true), "History - Summaries");
    pages_->addTab(buildHistoryPage(false), "History - Detail");
    pages_->addTab(buildResultPage(), "Result");
    pages_->addTab(buildPeriodPage(), "Period");
    pages_->addTab(buildEmployeesPage(), "Employees");
    pages_->addTab(buildShiftsPage(), "Shifts");
    pages_->addTab(buildSetupPage(), "Setup");
    pages_->addTab(buildGeneralPage(), "General Working of the Program");
    pages_->addTab(buildWebsitePage(), "Website Information");
    pages_->setCurrentIndex(0);
    layout->addWidget(pages_, 1);

    auto* bottom = new QHBoxLayout;
    progressCaption_ = new QLabel(core::kProgressRest, central);
    progressCaption_->setMinimumWidth(260);
    progressBar_ = new QProgressBar(central);
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    bottom->addWidget(progressCaption_);
    bottom->addWidget(progressBar_, 1);
    layout->addLayout(bottom);

    setCentralWidget(central);
    buildMenus();
    connect(pages_, &QTabWidget::currentChanged, this, &TFormMain::pageChanged);
    qApp->installEventFilter(this);
    loadFields();
    resize(1360, 820);
}

TFormMain::~TFormMain() = default;

QPushButton* TFormMain::makeButton(const std::string& handler, QWidget* parent)
{
    const app::Command* c = app::findCommand(handler);
    auto* button = new QPushButton(c != nullptr ? q(c->caption) : q(handler), parent);
    button->setObjectName(q(handler));
    connect(button, &QPushButton::clicked, this,
            [this, handler] { QMetaObject::invokeMethod(this, handler.c_str(), Qt::DirectConnection); });
    buttons_[handler] = button;
    return button;
}

QPushButton* TFormMain::button(const std::string& handler) const
{
    const auto it = buttons_.find(handler);
    return it == buttons_.end() ? nullptr : it->second;
}

QMenu* TFormMain::menu(app::Place place) const
{
    const auto it = menus_.find(place);
    return it == menus_.end() ? nullptr : it->second;
}

QTableView* TFormMain::grid(const std::string& cursorName) const
{
    const auto it = grids_.find(cursorName);
    return it == grids_.end() ? nullptr : it->second;
}

void TFormMain::buildMenus()
{
    using app::Place;
    for (Place p : {Place::EmployeesMenu, Place::PeriodDaysMenu, Place::ClockingsMenu, Place::TotalsMenu,
                    Place::PostedPeriodsMenu})
        menus_[p] = new QMenu(this);
    for (const app::Command& c : app::commandTable()) {
        if (c.place == Place::PayrollSubmenu) {
            QMenu* sub = menus_.at(Place::PayrollSubmenu);
            QAction* a = sub->addAction(q(c.caption));
            a->setObjectName(q(c.handler));
            connect(a, &QAction::triggered, this,
                    [this, h = c.handler] { QMetaObject::invokeMethod(this, h.c_str(), Qt::DirectConnection); });
            continue;
        }
        const auto it = menus_.find(c.place);
        if (it == menus_.end())
            continue; // a button, placed with its page
        QMenu* m = it->second;
        switch (c.kind) {
        case app::Command::Kind::Separator: m->addSeparator(); break;
        case app::Command::Kind::Submenu: menus_[Place::PayrollSubmenu] = m->addMenu(q(c.caption)); break;
        case app::Command::Kind::Command: {
            QAction* a = m->addAction(q(c.caption));
            a->setObjectName(q(c.handler));
            connect(a, &QAction::triggered, this,
                    [this, h = c.handler] { QMetaObject::invokeMethod(this, h.c_str(), Qt::DirectConnection); });
            break;
        }
        }
    }
}

QTableView* TFormMain::makeGrid(store::Cursor& cursor, std::vector<GridColumn> columns, bool readOnly, const char* hint,
                                std::optional<app::Place> menuPlace)
{
    auto* view = new QTableView(this);
    auto* model = new CursorModel(cursor, std::move(columns), readOnly, view);
    view->setModel(model);
    view->setObjectName(q(cursor.name()));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(22);
    view->verticalHeader()->setVisible(false);
    view->horizontalHeader()->setDefaultSectionSize(78);
    view->horizontalHeader()->setMinimumSectionSize(40);
    // Titles stay as they are when a row is selected (Qt bolds the titles of selected cells);
    // a title that is bold by design says so in its column.
    view->horizontalHeader()->setHighlightSections(false);
    if (!readOnly)
        view->setItemDelegate(new ClearingDelegate(view));
    view->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                   : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                         | QAbstractItemView::AnyKeyPressed);
    for (int i = 0; i < model->columnCount(); ++i) {
        const std::string field = model->columns()[static_cast<std::size_t>(i)].field;
        const bool oneDecimal = model->columns()[static_cast<std::size_t>(i)].oneDecimal;
        const bool twoDecimals = model->columns()[static_cast<std::size_t>(i)].twoDecimals;
        const bool time = field == "Time" || field == "INTime" || field == "OUTTime" || field.rfind("In", 0) == 0
                          || field.rfind("Out", 0) == 0 || field.ends_with("_TI") || field.ends_with("_TO");
        const bool total =
            !oneDecimal && (field == "NT" || field == "OT1" || field == "OT2" || field == "HT" || field == "FullHours");
        const int width = field == "Name"                                                 ? 170
                          : field == "MobileNo" || field == "PayrollNo"                   ? 110
                          : field == "Lat" || field == "Lon" || field == "Distance"       ? 100
                          : field == "Date" || field == "StartDate" || field == "EndDate" ? 100
                          : field == "DOW" || time                                        ? 90
                          : twoDecimals                                                   ? 80
                          : total                                                         ? 125
                                                                                          : 0;
        const int titleWidth = view->horizontalHeader()->fontMetrics().horizontalAdvance(
                                   model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString())
                               + 18;
        view->setColumnWidth(i, std::max({width, titleWidth, 60}));
    }
    if (hint != nullptr)
        view->setToolTip(hint);
    grids_[cursor.name()] = view;

    connect(model, &CursorModel::failed, this, &TFormMain::showError);
    // The cursor moved: the grid follows.
    connect(model, &CursorModel::cursorMoved, view, [view, model](int row) {
        if (row < 0 || row >= model->rowCount())
            return;
        QItemSelectionModel* sel = view->selectionModel();
        if (sel->currentIndex().row() == row)
            return;
        const int col = std::max(0, sel->currentIndex().column());
        QSignalBlocker block(sel);
        sel->setCurrentIndex(model->index(row, col), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->viewport()->update();
        view->scrollTo(model->index(row, col));
    });
    // The user moved in the grid: the cursor follows (posting a row being edited).
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, model](const QModelIndex& current, const QModelIndex&) {
                store::Cursor& c = model->cursor();
                if (!current.isValid() || !c.isOpen() || busy_)
                    return;
                const bool onInsertRow = c.state() == store::Cursor::State::Insert && current.row() == c.recordCount();
                if (onInsertRow || current.row() == c.recNo())
                    return;
                try {
                    c.moveTo(current.row());
                } catch (const std::exception& e) {
                    showError(QString::fromUtf8(e.what()));
                }
            });
    if (menuPlace) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        const app::Place place = *menuPlace;
        connect(view, &QTableView::customContextMenuRequested, this, [this, view, place](const QPoint& pos) {
            if (busy_)
                return;
            const QModelIndex at = view->indexAt(pos);
            if (at.isValid())
                view->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect
                                                                | QItemSelectionModel::Rows);
            menus_.at(place)->exec(view->viewport()->mapToGlobal(pos));
        });
    }
    return view;
}

QWidget* TFormMain::buildDownloadPage()
{
    auto& t = program_.tables();
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* nav = new RecordNavigator(t.ClkdataTable, page);
    connect(nav, &RecordNavigator::failed, this, &TFormMain::showError);
    layout->addWidget(nav);
    auto* split = new QSplitter(page);
    split->addWidget(
        makeGrid(t.ClkdataTable,
                 {{"Date"}, {"Time"}, {"MobileNo"}, {"Name"}, {"Status"}, {"Lat"}, {"Lon"}, {"Distance"}, {"Used"}},
                 false, "See RIGHTCLICK MENU", app::Place::ClockingsMenu));
    split->addWidget(helpText(help::kDownload, page));
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);
    return page;
}

QWidget* TFormMain::buildLocationPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        new QLabel("Where the current clocking was made (\"Show Clock Location on Map\" on the Download page):", page));
    auto* row = new QHBoxLayout;
    mapAddress_ = new QLineEdit(page);
    mapAddress_->setReadOnly(true);
    mapAddress_->setPlaceholderText("No clocking chosen yet");
    auto* open = new QPushButton("Open in browser", page);
    connect(open, &QPushButton::clicked, this, [this] {
        if (!mapAddress_->text().isEmpty())
            QDesktopServices::openUrl(QUrl(mapAddress_->text()));
    });
    row->addWidget(mapAddress_, 1);
    row->addWidget(open);
    layout->addLayout(row);
    mapArea_ = new QVBoxLayout;
    layout->addLayout(mapArea_, 1);
    mapView_ = mapAddress_;
    return page;
}

void TFormMain::setMapAddress(const QString& url)
{
    mapAddress_->setText(url);
#ifdef TALLIX_HAVE_WEBENGINE
    // The embedded browser starts with the first map shown, not with the window.
    auto* view = qobject_cast<QWebEngineView*>(mapView_);
    if (view == nullptr) {
        view = new QWebEngineView(mapAddress_->parentWidget());
        mapArea_->addWidget(view, 1);
        mapView_ = view;
    }
    view->setUrl(QUrl(url));
#endif
}

QWidget* TFormMain::buildAttendancePage()
{
    auto& t = program_.tables();
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* split = new QSplitter(Qt::Vertical, page);
    auto* upper = new QSplitter(split);
    upper->addWidget(makeGrid(t.EmployeeTable,
                              {{"No"},
                               {"Name"},
                               {"MobileNo"},
                               {"FullHrs", nullptr, true, true},
                               {.field = "NT", .twoDecimals = true},
                               {.field = "OT1", .twoDecimals = true},
                               {.field = "OT2", .twoDecimals = true},
                               {.field = "HT", .twoDecimals = true}},
                              true, "See RIGHT CLICK MENU", app::Place::TotalsMenu));
    upper->addWidget(helpText(help::kAttendance, page));
    upper->setStretchFactor(0, 4);
    upper->setStretchFactor(1, 1);
    split->addWidget(upper);
    QTableView* days = makeGrid(t.AttendanceTable,
                                cols({{"Date"},
                                      {"DOW"},
                                      {"Shift", "SLOT", false, false, true},
                                      {"INTime"},
                                      {"OUTTime"},
                                      {"Holiday"},
                                      {"NHrs", nullptr, true, true},
                                      {"HrsIN", nullptr, true, true},
                                      {"NT", nullptr, true, true},
                                      {"OT1", nullptr, true, true},
                                      {"OT2", nullptr, true, true},
                                      {"HT", nullptr, true, true}},
                                     pairColumns()),
                                false, nullptr, std::nullopt);
    // Times typed into the register stand out from the clocked ones.
    auto typed = std::make_shared<registers::TypedTimes>(program_.db());
    static_cast<CursorModel*>(days->model())->marked = [typed](const store::Record& row, const std::string& field) {
        return typed->typed(row, field);
    };
    split->addWidget(days);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    layout->addWidget(split);
    return page;
}

QWidget* TFormMain::buildHistoryPage(bool summaries)
{
    auto& t = program_.tables();
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* strip = new QHBoxLayout;
    auto* filterLabel = new QLabel("FILTER", page);
    QFont bold = filterLabel->font();
    bold.setBold(true);
    filterLabel->setFont(bold);
    strip->addWidget(filterLabel);
    const char* labels[] = {"From EmployeeNo  :", "To EmployeeNo :", "From Periodno :", "To Periodno :"};
    QLineEdit** fields = summaries ? summariesFilter_ : detailFilter_;
    for (int i = 0; i < 4; ++i) {
        strip->addWidget(new QLabel(labels[i], page));
        fields[i] = new QLineEdit(page);
        fields[i]->setMaximumWidth(80);
        strip->addWidget(fields[i]);
        connect(fields[i], &QLineEdit::textChanged, this, [this, summaries, i](const QString& text) {
            if (loading_)
                return;
            app::HistoryFilterFields& f = summaries ? program_.summariesFilter : program_.detailFilter;
            std::string* target[] = {&f.fromEmployee, &f.toEmployee, &f.fromPeriod, &f.toPeriod};
            *target[i] = text.toStdString();
        });
    }
    static const std::array<const char*, 3> summaryButtons{"Button14Click", "Button15Click", "Button16Click"};
    static const std::array<const char*, 3> detailButtons{"Button11Click", "Button12Click", "Button13Click"};
    for (const char* h : summaries ? summaryButtons : detailButtons)
        strip->addWidget(makeButton(h, page));
    strip->addStretch();
    layout->addLayout(strip);
    if (summaries) {
        layout->addWidget(makeGrid(t.SummariesTable,
                                   {{"Period"},
                                    {"StartDate"},
                                    {"EndDate"},
                                    {"Employee"},
                                    {"Name"},
                                    {"MobileNo"},
                                    {"PayrollNo"},
                                    {.field = "NT", .twoDecimals = true},
                                    {.field = "OT1", .twoDecimals = true},
                                    {.field = "OT2", .twoDecimals = true},
                                    {.field = "HT", .twoDecimals = true},
                                    {.field = "FullHours", .twoDecimals = true},
                                    {"Lunch"},
                                    {"HrsBeforeLunch"},
                                    {"EarlyWork"},
                                    {"LateWork"},
                                    {"Play"},
                                    {"Shift"},
                                    {"FlexiTime"}},
                                   true, nullptr, std::nullopt),
                          1);
    } else {
        layout->addWidget(makeGrid(t.HistoryTable,
                                   cols({{"EmployeeNo"},
                                         {"Name"},
                                         {"MobileNo"},
                                         {"PayrollNo"},
                                         {"Period"},
                                         {"Date"},
                                         {"DOW"},
                                         {"Holiday"},
                                         {"Shift"},
                                         {"INTime"},
                                         {"OUTTime"},
                                         {"NHrs", nullptr, true, true},
                                         {"HrsIN", nullptr, true, true},
                                         {"NT", nullptr, true, true},
                                         {"OT1", nullptr, true, true},
                                         {"OT2", nullptr, true, true},
                                         {"Ht", nullptr, true, true}},
                                        pairColumns(), std::vector<GridColumn>{{"Report"}}),
                                   true, nullptr, std::nullopt),
                          1);
    }
    return page;
}

QWidget* TFormMain::buildResultPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    resultLog_ = new ResultLog(page);
    layout->addWidget(resultLog_, 1);
    auto* clear = new QPushButton("Clear Message or Report", page);
    connect(clear, &QPushButton::clicked, resultLog_, &ResultLog::clear);
    auto* row = new QHBoxLayout;
    row->addWidget(clear);
    row->addStretch();
    layout->addLayout(row);
    return page;
}

QWidget* TFormMain::buildPeriodPage()
{
    auto& t = program_.tables();
    auto* page = new QWidget(this);
    auto* layout = new QHBoxLayout(page);
    auto* split = new QSplitter(page);
    split->addWidget(makeGrid(t.PerhistoryTable, {{"Period"}, {"StartDate"}, {"EndDate"}}, true,
                              "Posted Pay Periods- See Right Click MENU", app::Place::PostedPeriodsMenu));
    split->addWidget(
        makeGrid(t.PeriodTable,
                 {{"Date"}, {"DOW"}, {"ShiftNo", "Shift_1"}, {"Shift2", "Shift_2"}, {"Shift3", "Shift_3"}, {"Holiday"}},
                 false, "See RIGHTCLICK Menu", app::Place::PeriodDaysMenu));

    auto* right = new QWidget(page);
    auto* rl = new QVBoxLayout(right);
    rl->addWidget(helpText(help::kPeriod, right), 1);

    auto* periodBox = new QGroupBox("Pay period", right);
    auto* pl = new QGridLayout(periodBox);
    auto makeDate = [&](QDateEdit*& edit, core::DateTime app::PeriodPickers::*member) {
        edit = new QDateEdit(periodBox);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat("yyyy-MM-dd");
        connect(edit, &QDateEdit::dateChanged, this, [this, member](const QDate& d) {
            if (!loading_)
                program_.pickers.*member = core::fromQDate(d);
        });
    };
    makeDate(startDate_, &app::PeriodPickers::startDate);
    makeDate(endDate_, &app::PeriodPickers::endDate);
    makeDate(newEndDate_, &app::PeriodPickers::newEndDate);
    pl->addWidget(new QLabel("Period Start Date", periodBox), 0, 0);
    pl->addWidget(startDate_, 0, 1);
    pl->addWidget(new QLabel("Period End Date", periodBox), 1, 0);
    pl->addWidget(endDate_, 1, 1);
    pl->addWidget(makeButton("Button7Click", periodBox), 2, 0, 1, 2);
    payPeriod_ = new QComboBox(periodBox);
    for (const char* e : app::kPayPeriodEntries)
        payPeriod_->addItem(e);
    connect(payPeriod_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!loading_)
            program_.payPeriod = i;
    });
    pl->addWidget(new QLabel("Pay Period", periodBox), 3, 0);
    pl->addWidget(payPeriod_, 3, 1);
    pl->addWidget(makeButton("Button5Click", periodBox), 4, 0, 1, 2);
    pl->addWidget(note("Use only if the period is Weekly, or Two-, or Three-, or  Four Weekly", periodBox), 5, 0, 1, 2);
    pl->addWidget(
        note("Use NEXT MONTH to increment a monthly period, but the NEW PERIOD END DATE must be selected first.",
             periodBox),
        6, 0, 1, 2);
    pl->addWidget(new QLabel("New Period End Date", periodBox), 7, 0);
    pl->addWidget(newEndDate_, 7, 1);
    pl->addWidget(makeButton("Button3Click", periodBox), 8, 0, 1, 2);
    rl->addWidget(periodBox);

    auto* shiftBox = new QGroupBox("Shifts", right);
    auto* sl = new QGridLayout(shiftBox);
    twoShift_ = new QComboBox(shiftBox);
    twoShift_->addItems({"2", "3"});
    threeShift_ = new QComboBox(shiftBox);
    threeShift_->addItems({"4", "5", "6"});
    connect(twoShift_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!loading_)
            program_.setup.twoShiftDay = i;
    });
    connect(threeShift_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!loading_)
            program_.setup.threeShiftDay = i;
    });
    sl->addWidget(new QLabel("Starting shiftno - Two shifts per day", shiftBox), 0, 0);
    sl->addWidget(twoShift_, 0, 1);
    sl->addWidget(new QLabel("Starting shiftno - Three shifts per day", shiftBox), 1, 0);
    sl->addWidget(threeShift_, 1, 1);
    sl->addWidget(makeButton("Button6Click", shiftBox), 2, 0, 1, 2);
    rl->addWidget(shiftBox);

    auto* rotation = new QGroupBox("ROTATION CYCLES", right);
    auto* rol = new QFormLayout(rotation);
    rol->addRow(note("The week always starts at a Monday", rotation));
    for (auto [name, cycle] : {std::pair{"ROTATION A", "1 2 3 4 5 6"}, std::pair{"ROTATION B", "1 3 2 5 6 4"},
                               std::pair{"ROTATION C", "1 2 3 6 4 5"}}) {
        // Information, not a field: a label that can be selected but does not look editable.
        auto* text = new QLabel(cycle, rotation);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        rol->addRow(name, text);
    }
    rl->addWidget(rotation);

    auto* scroll = new QScrollArea(page);
    scroll->setWidget(right);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(380);
    split->addWidget(scroll);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    split->setStretchFactor(2, 2);
    layout->addWidget(split);
    return page;
}

QWidget* TFormMain::buildEmployeesPage()
{
    auto& t = program_.tables();
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* nav = new RecordNavigator(t.EmployeeTable, page);
    connect(nav, &RecordNavigator::failed, this, &TFormMain::showError);
    layout->addWidget(nav);
    auto* split = new QSplitter(Qt::Vertical, page);
    split->addWidget(helpText(help::kEmployees, page));
    split->addWidget(makeGrid(t.EmployeeTable,
                              {{"No"},
                               {"Name"},
                               {"MobileNo"},
                               {"PayrollNo"},
                               {"FlexiTime", nullptr, true},
                               {"ShiftNo"},
                               {"FullHrs", nullptr, true, true},
                               {"Lunch", nullptr, false, true},
                               {"HrsBefore", nullptr, false, true},
                               {"WorkEarly", nullptr, false, true},
                               {"WorkLate", nullptr, false, true},
                               {"Play", nullptr, false, true},
                               {"Lat"},
                               {"Lon"}},
                              false, "See RIGHTCLICK menu", app::Place::EmployeesMenu));
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);
    return page;
}

QWidget* TFormMain::buildShiftsPage()
{
    auto& t = program_.tables();
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* nav = new RecordNavigator(t.ShiftsTable, page);
    connect(nav, &RecordNavigator::failed, this, &TFormMain::showError);
    layout->addWidget(nav);
    layout->addWidget(new QLabel("Mon - Sun", page));
    std::vector<GridColumn> columns{{"No"}};
    static const char* const names[] = {"Mon_TI", "Mon_TO", "Tue_TI", "Tue_TO", "Wed_TI", "Wed_TO", "Thu_TI",
                                        "Thu_TO", "Fri_TI", "Fri_TO", "Sat_TI", "Sat_TO", "Sun_TI", "Sun_TO"};
    for (const char* n : names)
        columns.push_back({n});
    auto* split = new QSplitter(Qt::Vertical, page);
    QTableView* grid = makeGrid(t.ShiftsTable, columns, false, nullptr, std::nullopt);
    grid->horizontalHeader()->setDefaultSectionSize(70);
    split->addWidget(grid);
    split->addWidget(helpText(help::kShifts, page));
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);
    return page;
}

QWidget* TFormMain::buildSetupPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QHBoxLayout(page);
    auto* form = new QWidget(page);
    auto* grid = new QGridLayout(form);
    auto* heading = new QLabel("DEFAULT VALUES - this values can be set differently for each employee.", form);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, 0, 0, 1, 3);
    int row = 1;
    auto addField = [&](const char* question, QWidget* field, const char* column,
                        std::initializer_list<const char*> notes) {
        auto* label = new QLabel(question, form);
        label->setWordWrap(true);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        if (column != nullptr)
            grid->addWidget(new QLabel(column, form), row, 2);
        ++row;
        for (const char* n : notes)
            grid->addWidget(note(n, form), row++, 0, 1, 3);
    };
    // A typed value is taken while it is a value of its kind; one that is not is marked, and
    // refused with the field's caption when the clerk leaves the field (the value before comes
    // back). A command run meanwhile works with the last value taken.
    auto line = [&](QLineEdit*& edit, const char* key) {
        edit = new QLineEdit(form);
        edit->setMaximumWidth(120);
        edit->setObjectName(key);
        QLineEdit* field = edit;
        connect(edit, &QLineEdit::textChanged, this, [this, key, field](const QString& text) {
            if (loading_)
                return;
            const bool refused = app::setupRefusal(key, text.toStdString(), program_.regional()).has_value();
            field->setStyleSheet(refused ? "QLineEdit { background: #f6d0d0; }" : "");
            if (!refused)
                *program_.setup.textField(key) = text.toStdString();
        });
        connect(edit, &QLineEdit::editingFinished, this, [this, key, field] {
            const auto refusal = app::setupRefusal(key, field->text().toStdString(), program_.regional());
            if (!refusal)
                return;
            field->setText(q(*program_.setup.textField(key)));
            field->setStyleSheet("");
            showError(q(*refusal));
        });
        return edit;
    };
    addField(app::kCaptionMinutesBreak, line(minutesBreak_, "MINUTES_BREAK"), "Lunch",
             {"Enter 0 when the employees clock out for every break."});
    addField(app::kCaptionMinHours, line(minHours_, "MIN_HOURS"), "HrsBefore",
             {"Lunch will only be deducted after this number of hours is clocked."});
    addField(app::kCaptionVroeg, line(vroeg_, "VROEG"), "WorkEarly", {});
    addField(app::kCaptionLaat, line(laat_, "LAAT"), "WorkLate", {});
    addField(app::kCaptionSpeling, line(speling_, "SPELING"), "Play", {});
    addField(app::kCaptionEarlyMinutes, line(earlyMinutes_, "EARLY_MINUTES"), nullptr, {});
    addField(app::kCaptionLateMinutes, line(lateMinutes_, "LATE_MINUTES"), nullptr,
             {"0 keeps a clocking before a shift's start or after its end out of the shift, unless it "
              "falls across midnight within WorkEarly or WorkLate."});
    flexi_ = new QComboBox(form);
    flexi_->addItems({"YES", "NO"});
    flexi_->setMaximumWidth(120);
    connect(flexi_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!loading_)
            program_.setup.flexi = i;
    });
    addField(app::kCaptionFlexi, flexi_, nullptr, {});
    addField(app::kCaptionLatitude, line(latitude_, "LATITUDE"), nullptr, {});
    addField(app::kCaptionLongitude, line(longitude_, "LONGITUDE"), nullptr,
             {"The location where most of the employees clock. Please enter the value with three decimals, and use "
              "the a negative sign for Latitude SOUTH. ",
              "The location values should easily be obtained by the Mobile App."});
    addField(app::kCaptionNumber, line(number_, "NUMBER"), nullptr,
             {"This number will be incremented outomatically.",
              "A used period number must not be used again. This applies for a new year too. Just increment the "
              "period number  for the new year."});
    auto* database = new QGroupBox("The database", form);
    auto* dl = new QHBoxLayout(database);
    dl->addWidget(makeButton("BackupDatabase1Click", database));
    dl->addWidget(makeButton("RestoreDatabase1Click", database));
    dl->addStretch(1);
    grid->addWidget(database, row++, 0, 1, 3);
    grid->addWidget(note("A backup is also written before every command that removes or replaces data (posting, "
                         "deleting, a new period); the latest 20 are kept in the folder backups.",
                         form),
                    row++, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setRowStretch(row, 1);
    auto* scroll = new QScrollArea(page);
    scroll->setWidget(form);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll, 3);
    layout->addWidget(helpText(help::kSetup, page), 2);
    return page;
}

QWidget* TFormMain::buildGeneralPage() { return helpText(help::kGeneral, this); }

QWidget* TFormMain::buildWebsitePage()
{
    website_ = new QTextBrowser(this);
    website_->setOpenExternalLinks(true);
    return website_;
}

void TFormMain::TabSheet14Show()
{
    // A local page about the program; nothing is loaded from outside.
    website_->setHtml(QString("<h2>TALLIX office program</h2>"
                              "<p>Version %1</p>"
                              "<p>The office side of the TALLIX clocking system: it imports the clockings of the "
                              "phone app and the fingerprint scanner, builds the attendance register of the pay "
                              "period, works out normal time, overtime and holiday time, and writes the payroll "
                              "files.</p>"
                              "<p><b>Program folder:</b> %2<br><b>Database:</b> %3<br><b>Settings:</b> %4</p>"
                              "<p>The README of the program explains the life of a pay period step by step.</p>")
                          .arg(QCoreApplication::applicationVersion().isEmpty()
                                   ? QString("development")
                                   : QCoreApplication::applicationVersion(),
                               q(program_.path()).toHtmlEscaped(), q(program_.databaseFile().string()).toHtmlEscaped(),
                               q(program_.path() + "SetupValues.ini").toHtmlEscaped()));
}

void TFormMain::TabSheet12Exit() { app::TabSheet12Exit(program_); }

void TFormMain::TabSheet9Exit() { app::TabSheet9Exit(program_); }

void TFormMain::pageChanged(int index)
{
    const QString left = pages_->tabText(previousPage_);
    previousPage_ = index;
    try {
        if (left == "History - Summaries")
            TabSheet12Exit();
        else if (left == "History - Detail")
            TabSheet9Exit();
        if (pages_->tabText(index) == "Website Information")
            TabSheet14Show();
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
}

void TFormMain::loadFields()
{
    loading_ = true;
    const app::SetupFields& s = program_.setup;
    minutesBreak_->setText(q(s.minutesBreak));
    minHours_->setText(q(s.minHours));
    vroeg_->setText(q(s.vroeg));
    laat_->setText(q(s.laat));
    earlyMinutes_->setText(q(s.earlyMinutes));
    lateMinutes_->setText(q(s.lateMinutes));
    speling_->setText(q(s.speling));
    flexi_->setCurrentIndex(s.flexi == 1 ? 1 : 0);
    latitude_->setText(q(s.latitude));
    longitude_->setText(q(s.longitude));
    number_->setText(q(s.number));
    twoShift_->setCurrentIndex(s.startingTwoShift() - 2);
    threeShift_->setCurrentIndex(s.startingThreeShift() - 4);
    payPeriod_->setCurrentIndex(program_.payPeriod);
    startDate_->setDate(core::toQDate(program_.pickers.startDate));
    endDate_->setDate(core::toQDate(program_.pickers.endDate));
    newEndDate_->setDate(core::toQDate(program_.pickers.newEndDate));
    for (auto [fields, f] :
         {std::pair{detailFilter_, &program_.detailFilter}, std::pair{summariesFilter_, &program_.summariesFilter}}) {
        fields[0]->setText(q(f->fromEmployee));
        fields[1]->setText(q(f->toEmployee));
        fields[2]->setText(q(f->fromPeriod));
        fields[3]->setText(q(f->toPeriod));
    }
    loading_ = false;
}

void TFormMain::showError(const QString& text)
{
    if (services_.seeMessage) {
        services_.seeMessage(text.toStdString());
        return;
    }
    QMessageBox box(QMessageBox::Critical, kCaption, text, QMessageBox::Ok, this);
    fitTitle(box);
    box.exec();
}

void TFormMain::postPendingEdits()
{
    for (store::Cursor* c : program_.tables().inOrder())
        if (c->isOpen() && (c->state() == store::Cursor::State::Edit || c->state() == store::Cursor::State::Insert))
            c->post();
}

void TFormMain::run(const std::string& handler)
{
    if (busy_)
        return;
    const app::Command* command = app::findCommand(handler);
    if (command == nullptr)
        return;
    busy_ = true;
    exitRequested_ = false;
    try {
        // What the nightly runner changed meanwhile is seen before the command works on it.
        catchUp();
        postPendingEdits();
        app::execute(program_, services_, *command);
    } catch (const std::exception& e) {
        services_.flushResult();
        showError(QString::fromUtf8(e.what()));
    }
    services_.flushResult();
    // Clicks and keys that came in since the last repaint are dropped now, not replayed.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    busy_ = false;
    loadFields();
    if (closeRequested_) {
        // The command was "Exit" itself.
        closeRequested_ = false;
        exitRequested_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
    } else if (exitRequested_) {
        exitRequested_ = false;
        if (services_.question("Exit was pressed while the command was running. Close the program now?"))
            QTimer::singleShot(0, this, [this] { close(); });
    }
}

void TFormMain::cancelDownload()
{
    program_.downloadCancel->store(true);
    cancelDownload_->setEnabled(false);
}

void TFormMain::backgroundChanged()
{
    const bool running = services_.running() > 0;
    cancelDownload_->setVisible(running);
    cancelDownload_->setEnabled(running);
    if (!running && closeAfterDownload_) {
        closeAfterDownload_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

void TFormMain::closeAfterCommand()
{
    if (busy_)
        closeRequested_ = true;
    else
        QTimer::singleShot(0, this, [this] { close(); });
}

void TFormMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !busy_) {
        try {
            catchUp();
        } catch (const std::exception& e) {
            showError(QString::fromUtf8(e.what()));
        }
    }
}

void TFormMain::catchUp()
{
    program_.catchUp();
    if (program_.takeSettingsChanges())
        loadFields();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    if (!busy_) {
        // Delete or Backspace empties an editable grid cell, a time too.
        if (auto* view = qobject_cast<QAbstractItemView*>(watched);
            view != nullptr && qobject_cast<ClearingDelegate*>(view->itemDelegate()) != nullptr)
            return clearCellOnKey(*view, event);
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::InputMethod: break;
    default: return false;
    }
    // Boxes and dialogs that the command itself opens (questions, messages, file dialogs)
    // are top-level windows of their own and get their input.
    bool mine = false;
    if (watched->isWidgetType())
        mine = static_cast<QWidget*>(watched)->window() == this;
    else if (watched->isWindowType())
        mine = watched == static_cast<QObject*>(windowHandle());
    if (!mine)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        // The window system hands a click to the window first, then Qt to the widget under it.
        QWidget* target = watched->isWidgetType()
                              ? static_cast<QWidget*>(watched)
                              : childAt(mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint()));
        QPushButton* exit = button("BitBtn3Click");
        for (QWidget* w = target; w != nullptr; w = w->parentWidget())
            if (w == exit)
                exitRequested_ = true;
    }
    return true;
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        // The window manager's close button while a command runs: asked when it has ended.
        exitRequested_ = true;
        event->ignore();
        return;
    }
    if (services_.running() > 0) {
        if (services_.question("A download is still running. Cancel it and close the program?")) {
            closeAfterDownload_ = true;
            cancelDownload();
        }
        event->ignore();
        return;
    }
    if (!closed_) {
        try {
            postPendingEdits();
        } catch (const std::exception& e) {
            showError(QString::fromUtf8(e.what()) + "\n\nThe row being edited was not saved.");
            for (store::Cursor* c : program_.tables().inOrder())
                if (c->isOpen())
                    c->cancel();
        }
        try {
            program_.FormClose();
        } catch (const std::exception& e) {
            showError(QString::fromUtf8(e.what()));
        }
        closed_ = true;
    }
    event->accept();
}

void TFormMain::saveScreenshots(const std::filesystem::path& dir)
{
    std::filesystem::create_directories(dir);
    for (int i = 0; i < pages_->count(); ++i) {
        pages_->setCurrentIndex(i);
        QApplication::processEvents();
        QString name = pages_->tabText(i);
        name.replace(' ', '_');
        const QString file =
            QString::fromStdString((dir / "").string()) + QString("%1-%2.png").arg(i + 1, 2, 10, QChar('0')).arg(name);
        grab().save(file);
    }
    pages_->setCurrentIndex(0);
}

} // namespace window
