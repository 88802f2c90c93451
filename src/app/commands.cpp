#include "app/commands.h"

#include <atomic>
#include <memory>

#include "app/backups.h"
#include "app/program.h"
#include "closeout/history.h"
#include "closeout/payroll.h"
#include "closeout/posting.h"
#include "closeout/summaries.h"
#include "closeout/timesheets.h"
#include "core/services.h"
#include "intake/clockfile.h"
#include "intake/clockimport.h"
#include "intake/download.h"
#include "intake/upkeep.h"
#include "register/process.h"
#include "store/backup.h"
#include "store/tables.h"
#include "store/upgrade.h"
#include "workforce/calendar.h"
#include "workforce/employees.h"

namespace app {

namespace {

using K = Command::Kind;
using P = Place;

void exitProgram(CommandContext& c) { c.ui.closeWindow(); }

void resetDetail(CommandContext& c) { closeout::resetHistoryFilter(c.program.tables().HistoryTable); }

void resetSummaries(CommandContext& c) { closeout::resetHistoryFilter(c.program.tables().SummariesTable); }

store::Tables& tables(CommandContext& c) { return c.program.tables(); }

/// Runs a calendar command from the rotation of the "Period" page's two choices and puts the
/// groups it returns back into the choices.
template <typename F>
void withRotation(CommandContext& c, F&& f)
{
    SetupFields& s = c.program.setup;
    const workforce::Rotation r = f(workforce::Rotation{s.startingTwoShift(), s.startingThreeShift()});
    s.twoShiftDay = r.twoShift == 3 ? 1 : 0;
    s.threeShiftDay = r.threeShift == 5 ? 1 : (r.threeShift == 6 ? 2 : 0);
    c.ui.fieldsChanged();
}

void flexiYes(CommandContext& c) { workforce::setFlexiTime(tables(c).EmployeeTable, true); }
void flexiNo(CommandContext& c) { workforce::setFlexiTime(tables(c).EmployeeTable, false); }
void exportEmployees(CommandContext& c) { workforce::exportEmployees(tables(c).EmployeeTable, c.ui); }
void importEmployees(CommandContext& c) { workforce::importEmployees(c.program.db(), tables(c).EmployeeTable, c.ui); }
void deleteEmployee(CommandContext& c) { workforce::deleteCurrentEmployee(tables(c).EmployeeTable, c.ui); }
void deleteAllEmployees(CommandContext& c) { workforce::deleteAllEmployees(tables(c).EmployeeTable, c.ui); }
void setHoliday(CommandContext& c) { workforce::setHoliday(tables(c).PeriodTable, true); }
void resetHoliday(CommandContext& c) { workforce::setHoliday(tables(c).PeriodTable, false); }

void createPeriod(CommandContext& c)
{
    const PeriodPickers& d = c.program.pickers;
    withRotation(c, [&](workforce::Rotation r) {
        return workforce::createPeriod(tables(c).PeriodTable, c.ui, d.startDate, d.endDate, r);
    });
}

void insertShifts(CommandContext& c)
{
    withRotation(c, [&](workforce::Rotation r) { return workforce::insertShifts(tables(c).PeriodTable, r); });
}

void incrementPeriod(CommandContext& c)
{
    const int days = kPayPeriodDays[c.program.payPeriod >= 0 && c.program.payPeriod < 4 ? c.program.payPeriod : 3];
    withRotation(
        c, [&](workforce::Rotation r) { return workforce::incrementPeriod(tables(c).PeriodTable, c.ui, days, r); });
}

void nextMonth(CommandContext& c)
{
    withRotation(c, [&](workforce::Rotation r) {
        return workforce::nextMonth(tables(c).PeriodTable, c.ui, c.program.pickers.newEndDate, r);
    });
}

/// Runs an import; the employee grid is left on the last employee whose number a line carried.
template <typename F>
void importing(CommandContext& c, F&& import)
{
    Program& p = c.program;
    intake::IntakeContext ic{p.db(), c.ui, p.regional(), p.setup.latitude, p.setup.longitude, std::nullopt};
    intake::leavingEmployeeFound(tables(c).EmployeeTable, ic, import);
}

void importClockData(CommandContext& c)
{
    importing(c, [](intake::IntakeContext& ic) { intake::importClockData(ic, intake::PhoneRules::Mode::All); });
}

void importNewClockData(CommandContext& c)
{
    importing(c, [](intake::IntakeContext& ic) { intake::importClockData(ic, intake::PhoneRules::Mode::New); });
}

void importScanner(CommandContext& c)
{
    Program& p = c.program;
    const core::DateTime today = p.now();
    importing(c, [&](intake::IntakeContext& ic) {
        intake::importScannerData(ic, [&] {
            return p.nextCountedFile(
                today, [&](int n) { return std::filesystem::path(p.path()) / intake::scannerCopyName(today, n); });
        });
    });
}

void deleteDoubles(CommandContext& c) { intake::deleteDoubleEntries(c.program.db(), c.ui); }

void deleteUsed(CommandContext& c) { intake::deleteUsedClockData(c.program.db(), c.ui); }

void resetUsed(CommandContext& c) { intake::resetUsedField(c.program.db(), c.ui); }

void showOnMap(CommandContext& c)
{
    Program& p = c.program;
    p.lat_url = tables(c).ClkdataTable.asReal("Lat");
    p.lon_url = tables(c).ClkdataTable.asReal("Lon");
    c.ui.showPage("Location");
    c.ui.showMap(intake::mapAddress(p.mapHost, p.lat_url, p.lon_url));
}

/// One pass in the mode that `resetatt` holds (1: reset the register first, 0: add to it). A
/// pass that completes sets it back to 1; after a failed pass it keeps its value.
void processClockData(CommandContext& c)
{
    Program& p = c.program;
    const registers::ShiftMargins margins =
        registers::marginsFromMinutes(p.setup.earlyMinutes, p.setup.lateMinutes, p.regional());
    const registers::ProcessMode mode = p.resetatt == 1 ? registers::ProcessMode::Reset : registers::ProcessMode::Add;
    if (registers::processClockData(p.db(), c.ui, p.regional(), mode, margins))
        p.resetatt = 1;
}

void processNewClockData(CommandContext& c)
{
    c.program.resetatt = 0;
    processClockData(c);
}

void summarise(CommandContext& c) { closeout::summarise(c.program.db(), c.ui); }
void applyFullHours(CommandContext& c) { closeout::applyFullHours(c.program.db(), c.ui); }

/// A payroll file written leaves the employee grid on the last employee, as the file ends.
void exportPayroll(CommandContext& c, closeout::PayrollFormat format)
{
    if (closeout::exportPayroll(c.program.db(), c.ui, c.program.regional(), format))
        tables(c).EmployeeTable.last();
}

void exportPayrollA(CommandContext& c) { exportPayroll(c, closeout::PayrollFormat::A); }
void exportPayrollB(CommandContext& c) { exportPayroll(c, closeout::PayrollFormat::B); }

closeout::PrintContext printContext(CommandContext& c) { return {c.program.setup.number, c.program.now()}; }

void printTimesheets(CommandContext& c)
{
    closeout::printTimesheets(c.program.db(), c.ui, c.program.regional(), printContext(c));
}

void printPeriodReport(CommandContext& c)
{
    closeout::printPeriodReport(c.program.db(), c.ui, c.program.regional(), printContext(c));
}

/// The posting takes the number in the "Current Pay Period Number" box; once the period is
/// posted, `periodno` and the box hold the next number, and the employee grid stands on the
/// last employee.
void post(CommandContext& c)
{
    Program& p = c.program;
    const std::optional<int> posted = closeout::postToHistory(p.db(), c.ui, p.setup.number);
    if (!posted)
        return;
    p.periodno = *posted + 1;
    p.setup.number = std::to_string(p.periodno);
    c.ui.fieldsChanged();
    tables(c).EmployeeTable.last();
}

void deletePayPeriod(CommandContext& c)
{
    store::Tables& t = tables(c);
    closeout::deletePayPeriod(c.program.db(), t.PerhistoryTable, t.SummariesTable, t.HistoryTable, c.ui);
}

closeout::HistoryBounds boundsOf(const HistoryFilterFields& f)
{
    return {f.fromEmployee, f.toEmployee, f.fromPeriod, f.toPeriod};
}

void showDetail(CommandContext& c)
{
    closeout::showHistory(c.program.db(), tables(c).HistoryTable, closeout::HistoryView::Detail,
                          boundsOf(c.program.detailFilter));
}

void showSummaries(CommandContext& c)
{
    closeout::showHistory(c.program.db(), tables(c).SummariesTable, closeout::HistoryView::Summaries,
                          boundsOf(c.program.summariesFilter));
}

void exportDetail(CommandContext& c)
{
    closeout::exportHistory(tables(c).HistoryTable, closeout::HistoryView::Detail, c.ui);
}

void exportSummaries(CommandContext& c)
{
    closeout::exportHistory(tables(c).SummariesTable, closeout::HistoryView::Summaries, c.ui);
}

void backupDatabase(CommandContext& c)
{
    const std::filesystem::path file = backUp(c.program, "BackupDatabase1Click");
    c.ui.appendResult("Backup written: " + file.filename().string() + " in " + file.parent_path().string());
}

void restoreDatabase(CommandContext& c)
{
    Program& p = c.program;
    const auto file = c.ui.openFileIn(kRestoreDialogTitle, backupsFolder(p));
    if (!file)
        return;
    // A file that is not a database of this program is refused before anything is asked.
    if (const std::string refusal = store::notAProgramDatabase(*file, store::kSchemaVersion); !refusal.empty())
        throw core::Error(refusal + " Nothing was changed.");
    const std::string name = file->filename().string();
    if (!c.ui.question("Restore the database from " + name
                       + "? Everything entered since that backup is replaced - are you sure?"))
        return;
    if (!c.ui.question("Final Warning - Restore the database from " + name + "?"))
        return;
    const std::filesystem::path before = backUp(p, "RestoreDatabase1Click");
    store::restoreFrom(p.db(), *file);
    store::upgradeSchema(p.db());
    c.ui.appendResult("Database restored from " + name + "; the state before it is kept in "
                      + before.filename().string());
    c.ui.showPage("Result");
}

void downloadClockData(CommandContext& c)
{
    Program& p = c.program;
    if (p.downloadRunning) {
        c.ui.message("A download is already running. Please wait until it has finished.");
        return;
    }
    const intake::WebServerConfig config = intake::readWebServerConfig(p.path() + "WebServer.ini");
    const core::DateTime today = p.now();
    // The local name never replaces an earlier download: a taken name moves the counter on.
    const std::filesystem::path local = p.nextCountedFile(today, [&](int n) {
        return std::filesystem::path(p.path() + intake::downloadFileName(config.group, today, n));
    });
    c.ui.setProgressCaption("Downloading the clock-data file " + config.group + ".txt ...");
    c.ui.repaint();

    struct State {
        intake::DownloadResult result;
        std::atomic<bool> finished{false};
    };
    auto state = std::make_shared<State>();
    core::WindowServices* ui = &c.ui;
    p.downloadRunning = true;
    p.downloadCancel = std::make_shared<std::atomic<bool>>(false);
    c.ui.runInBackground(
        [config, local, state, cancel = p.downloadCancel] {
            state->result = intake::downloadClockData(config, local, cancel.get());
        },
        [&p, ui, state, local] {
            p.downloadRunning = false;
            if (state->result.ok) {
                ui->setProgressCaption("Download completed");
                ui->message("Download complete!");
                ui->setProgressCaption(core::kProgressRest);
            } else if (state->result.cancelled) {
                ui->setProgressCaption(core::kProgressRest);
                ui->appendResult("Download cancelled: no file was kept");
            } else {
                ui->setProgressCaption("Download failed");
                ui->appendResult("Download failed: " + state->result.reason);
            }
            state->finished = true;
        });
    // Where the front end waited for the transfer, a failure ends the command with its reason.
    if (state->finished && !state->result.ok)
        throw core::Error("Download failed: " + state->result.reason);
}

/// The front end's services as a command sees them, with one rule added: a file chosen in an
/// open or save dialog is never the program's own database. Reading it would open and close
/// the database files outside SQLite (which drops SQLite's locks on them), writing it would
/// destroy the data.
class GuardedServices : public core::WindowServices, public std::enable_shared_from_this<GuardedServices> {
public:
    GuardedServices(core::WindowServices& ui, const std::filesystem::path& database) : ui_(ui), database_(database) {}

    bool question(const std::string& text) override { return ui_.question(text); }
    void message(const std::string& text) override
    {
        hold([text](core::WindowServices& ui) { ui.message(text); });
    }
    void setProgressCaption(const std::string& text) override { ui_.setProgressCaption(text); }
    void setProgressRange(int minimum, int maximum, int step) override { ui_.setProgressRange(minimum, maximum, step); }
    void setProgressPosition(int position) override { ui_.setProgressPosition(position); }
    void stepProgress() override { ui_.stepProgress(); }
    void repaint() override { ui_.repaint(); }
    void clearResult() override
    {
        hold([](core::WindowServices& ui) { ui.clearResult(); });
    }
    void appendResult(const std::string& line) override
    {
        hold([line](core::WindowServices& ui) { ui.appendResult(line); });
    }
    void showPage(const std::string& name) override
    {
        hold([name](core::WindowServices& ui) { ui.showPage(name); });
    }
    std::optional<std::filesystem::path> openFile(const std::string& title) override
    {
        return regularFile(checked(ui_.openFile(title)));
    }
    static std::optional<std::filesystem::path> regularFile(std::optional<std::filesystem::path> chosen)
    {
        // Only a file is read: a pipe would hang the program, a folder read as nothing. Refused
        // before anything is written (a missing file is the reader's to report).
        std::error_code ec;
        const auto status = chosen ? std::filesystem::status(*chosen, ec) : std::filesystem::file_status();
        if (chosen && !ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
            throw core::Error(chosen->string() + " is not a file that can be read (" + kindOf(status)
                              + "): please choose a file.");
        return chosen;
    }
    std::optional<std::filesystem::path> openFileIn(const std::string& title,
                                                    const std::filesystem::path& folder) override
    {
        return regularFile(checked(ui_.openFileIn(title, folder)));
    }
    std::optional<std::filesystem::path> saveFile(SaveDialog dialog) override { return checked(ui_.saveFile(dialog)); }
    void fieldsChanged() override { ui_.fieldsChanged(); }
    void showMap(const std::string& url) override { ui_.showMap(url); }
    void closeWindow() override { ui_.closeWindow(); }
    void runInBackground(std::function<void()> work, std::function<void()> done) override
    {
        // The report comes after the command has returned: it keeps these services alive. It
        // tells of a transfer, not of the command's database work, and is never held back
        // (a front end without a window runs it before the command returns).
        ui_.runInBackground(std::move(work), [self = shared_from_this(), done = std::move(done)] {
            const bool holding = self->holding_;
            self->holding_ = false;
            done();
            self->holding_ = holding;
        });
    }

    /// The command's work is committed: what it said is shown now, in order, and what it
    /// says from here on (a background report) at once.
    void release()
    {
        holding_ = false;
        std::vector<std::function<void(core::WindowServices&)>> held;
        held.swap(held_);
        for (const auto& say : held)
            say(ui_);
    }
    /// The command failed and its work was rolled back: what it said of that work is void.
    void discard()
    {
        holding_ = false;
        held_.clear();
    }

private:
    static std::string kindOf(const std::filesystem::file_status& status)
    {
        switch (status.type()) {
        case std::filesystem::file_type::directory: return "a folder";
        case std::filesystem::file_type::fifo: return "a pipe";
        case std::filesystem::file_type::socket: return "a socket";
        case std::filesystem::file_type::block:
        case std::filesystem::file_type::character: return "a device";
        default: return "no regular file";
        }
    }

    std::optional<std::filesystem::path> checked(std::optional<std::filesystem::path> chosen) const
    {
        if (!chosen || database_.empty())
            return chosen;
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path file = fs::weakly_canonical(*chosen, ec);
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            const fs::path own = fs::weakly_canonical(database_.string() + suffix, ec);
            // By the name, and by the file itself for a link to it (stat only, nothing opened).
            if (file == own || fs::equivalent(*chosen, database_.string() + suffix, ec))
                throw core::Error(chosen->filename().string() + " belongs to the program's database ("
                                  + database_.filename().string() + "): please choose another file.");
        }
        return chosen;
    }

    /// While the command works, its Result lines, messages and page changes wait for its
    /// work to be committed: "Pay period 1 posted" is never shown for a posting the disk
    /// refused.
    void hold(std::function<void(core::WindowServices&)> say)
    {
        if (holding_)
            held_.push_back(std::move(say));
        else
            say(ui_);
    }

    core::WindowServices& ui_;
    std::filesystem::path database_;
    bool holding_ = true;
    std::vector<std::function<void(core::WindowServices&)>> held_;
};

using T = store::Table;

/// A command row: what it writes (those cursors are read afresh after it) and which cursors
/// it leaves on their first row.
Command cmd(const char* caption, const char* handler, Place place, int asks, void (*run)(CommandContext&),
            store::TableSet writes = {}, store::TableSet first = {})
{
    return {K::Command, caption, handler, place, asks, run, {writes, first}};
}

Command painting(Command c)
{
    c.paints = true;
    return c;
}

/// The backup and the restore go through SQLite's online backup, which runs outside a
/// transaction (it is one itself).
Command withoutTransaction(Command c)
{
    c.effects.transaction = false;
    return c;
}

Command backingUp(Command c)
{
    c.backsUp = true;
    return c;
}

Command separator(Place place) { return {K::Separator, "", "", place, 0, nullptr, {}}; }

std::vector<Command> makeTable()
{
    // After processing, the grids show the first employee and that employee's first day.
    const store::TableSet employeeDays{T::Employee, T::Attendance};
    return {
        cmd("Set FLEXITIME to YES", "SetFLEXITIMEtoYES1Click", P::EmployeesMenu, 0, flexiYes, {T::Employee}),
        cmd("Set FLEXITIME to NO", "SetFLEXITIMEtoNO1Click", P::EmployeesMenu, 0, flexiNo, {T::Employee}),
        separator(P::EmployeesMenu),
        cmd("Export Employees", "ExportEmployees1Click", P::EmployeesMenu, 0, exportEmployees),
        cmd("Import Employees", "ImportEmployees1Click", P::EmployeesMenu, 0, importEmployees, {T::Employee}),
        separator(P::EmployeesMenu),
        backingUp(
            cmd("Delete Current Employee", "DeleteEmployee1Click", P::EmployeesMenu, 2, deleteEmployee, {T::Employee})),
        backingUp(cmd("Delete All Employees", "DeleteAllEmployees1Click", P::EmployeesMenu, 2, deleteAllEmployees,
                      {T::Employee})),

        cmd("Set as HOLIDAY", "SetasHOLIDAY1Click", P::PeriodDaysMenu, 0, setHoliday, {T::Period}),
        cmd("Reset HOLIDAY", "ResetHOLIDAY1Click", P::PeriodDaysMenu, 0, resetHoliday, {T::Period}),

        // The transfer writes a file only; the clockings come in with "Import clock data".
        cmd("Download clock data", "Downloadfromwebserver1Click", P::ClockingsMenu, 0, downloadClockData),
        separator(P::ClockingsMenu),
        cmd("Import clock data", "ImportPreviousdownloadedfiles1Click", P::ClockingsMenu, 0, importClockData,
            {T::Clkdata}, {T::Clkdata}),
        cmd("Import from Biometric Unit", "DownloadfromBiometricUnit1Click", P::ClockingsMenu, 0, importScanner,
            {T::Clkdata}, {T::Clkdata}),
        separator(P::ClockingsMenu),
        // The register reset also rewrites the employees' totals.
        cmd("Reset and Process Clock Data", "ProcessClockData1Click", P::ClockingsMenu, 1, processClockData,
            {T::Employee, T::Attendance, T::Clkdata}, employeeDays),
        separator(P::ClockingsMenu),
        cmd("Import New Clock Data", "AddNewClockings1Click", P::ClockingsMenu, 0, importNewClockData, {T::Clkdata},
            {T::Clkdata}),
        cmd("Process the New Clock Data", "AddClockDataToExistingRegister1Click", P::ClockingsMenu, 0,
            processNewClockData, {T::Employee, T::Attendance, T::Clkdata}, employeeDays),
        cmd("Show Clock Location on Map", "N8Click", P::ClockingsMenu, 0, showOnMap),
        separator(P::ClockingsMenu),
        backingUp(cmd("Delete Used Clock Data", "DeleteClockingsUsed1Click", P::ClockingsMenu, 0, deleteUsed,
                      {T::Clkdata}, {T::Clkdata})),
        cmd("Delete Double Clock Entries", "DeleteDoubleClockEntries1Click", P::ClockingsMenu, 0, deleteDoubles,
            {T::Clkdata}, {T::Clkdata}),
        cmd("Reset USED Field", "ResetUSEDField1Click", P::ClockingsMenu, 0, resetUsed, {T::Clkdata}, {T::Clkdata}),

        cmd("Summarise", "Summarise1Click", P::TotalsMenu, 0, summarise, {T::Employee}, employeeDays),
        cmd("Apply FULL HOURS work before OVERTIME", "ApplyFULLHOURSworkbeforeOVERTIME1Click", P::TotalsMenu, 0,
            applyFullHours, {T::Employee}, employeeDays),
        {K::Submenu, "EXPORT Summary for PAYROLL use ", "", P::TotalsMenu, 0, nullptr, {}},
        cmd("FORMAT : PayrollNo,NT, OT1,  OT2, HT,Name,MobileNo", "ExportNTOT1OT2HT1Click", P::PayrollSubmenu, 0,
            exportPayrollA),
        cmd("FORMAT : PayrollNo, [NT+HT], OT1, OT2,Name,MobileNo", "ExportNTHTOT1OT21Click", P::PayrollSubmenu, 0,
            exportPayrollB),
        painting(cmd("Print Timesheets", "PrintTimesheets1Click", P::TotalsMenu, 0, printTimesheets)),
        painting(cmd("Print Period Report", "PrintPeriodReport1Click", P::TotalsMenu, 0, printPeriodReport)),
        separator(P::TotalsMenu),
        backingUp(cmd("POST CLOCK DATA TO HISTORY FILES", "POSTtoHISTORYFILE1Click", P::TotalsMenu, 1, post,
                      {T::Perhistory, T::Summaries, T::History})),

        backingUp(cmd("Delete Pay Period", "DeletePayPeriod1Click", P::PostedPeriodsMenu, 3, deletePayPeriod,
                      {T::Perhistory, T::Summaries, T::History})),

        cmd("Exit", "BitBtn3Click", P::TopStrip, 0, exitProgram),

        backingUp(cmd("Create Period", "Button7Click", P::PeriodPage, 1, createPeriod, {T::Period})),
        cmd("Insert Shifts", "Button6Click", P::PeriodPage, 0, insertShifts, {T::Period}),
        backingUp(
            cmd("Increment Weekly Based Periods", "Button5Click", P::PeriodPage, 1, incrementPeriod, {T::Period})),
        backingUp(cmd("Next Month", "Button3Click", P::PeriodPage, 1, nextMonth, {T::Period})),

        // "Show" changes the Report marks of its history table and re-reads its view once, by
        // the new filter: no second re-read of a large history here.
        cmd("Show", "Button11Click", P::HistoryDetail, 0, showDetail),
        cmd("Reset", "Button12Click", P::HistoryDetail, 0, resetDetail),
        cmd("Export csv", "Button13Click", P::HistoryDetail, 0, exportDetail),
        cmd("Show", "Button14Click", P::HistorySummaries, 0, showSummaries),
        cmd("Reset", "Button15Click", P::HistorySummaries, 0, resetSummaries),
        cmd("Export csv ", "Button16Click", P::HistorySummaries, 0, exportSummaries),

        withoutTransaction(cmd("Back Up Database", "BackupDatabase1Click", P::SetupPage, 0, backupDatabase)),
        withoutTransaction(cmd(
            "Restore Database from Backup", "RestoreDatabase1Click", P::SetupPage, 2, restoreDatabase,
            {T::Employee, T::Attendance, T::Clkdata, T::History, T::Period, T::Shifts, T::Summaries, T::Perhistory})),
    };
}

} // namespace

const std::vector<Command>& commandTable()
{
    static const std::vector<Command> table = makeTable();
    return table;
}

const Command* findCommand(std::string_view handler)
{
    if (handler.empty())
        return nullptr;
    for (const Command& c : commandTable())
        if (c.handler == handler)
            return &c;
    return nullptr;
}

void execute(Program& program, core::WindowServices& ui, const Command& command)
{
    if (command.run == nullptr)
        throw core::Error("\"" + command.caption + "\" is a menu heading, not a command");
    auto guarded =
        std::make_shared<GuardedServices>(ui, program.created() ? program.databaseFile() : std::filesystem::path());
    CommandContext context{program, *guarded};
    const bool downloading = program.downloadRunning;
    // A command that removes or replaces data runs only once a backup of the database is
    // written (outside its transaction: the copy is of the state before it).
    if (command.backsUp && program.created()) {
        try {
            backUp(program, command.handler);
        } catch (const std::exception& e) {
            throw core::Error(std::string(e.what()) + ". \"" + command.caption
                              + "\" did not run: nothing was changed.");
        }
    }
    // What a command changes in the setup fields (the next period number, the rotation) and
    // what it says stand only when its work is committed (a failed command keeps what it wrote
    // before its error); the settings file gets the fields when the command ends.
    const SetupFields before = program.setup;
    bool committed = false;
    try {
        // Only a download that this command started and that still runs in the background
        // keeps its caption until it reports.
        program.runCommand(
            command.effects, &ui, [&] { command.run(context); },
            [&] { return program.downloadRunning && !downloading; },
            [&] {
                committed = true;
                guarded->release();
            });
    } catch (...) {
        if (!committed) {
            guarded->discard();
            if (!(program.setup == before)) {
                program.setup = before;
                ui.fieldsChanged();
            }
        }
        try {
            program.saveSettings();
        } catch (...) {
            // The command's error is the one to report; the next command writes the fields.
        }
        throw;
    }
    program.saveSettings();
}

void TabSheet12Exit(Program& program) { closeout::resetHistoryFilter(program.tables().SummariesTable); }

void TabSheet9Exit(Program& program) { closeout::resetHistoryFilter(program.tables().HistoryTable); }

} // namespace app
