#include "app/program.h"

#include <cstdlib>

#include <QDateTime>

#include "core/error.h"
#include "core/inifile.h"
#include "register/hours.h"
#include "register/typedtimes.h"
#include "store/connection.h"
#include "store/tables.h"
#include "workforce/calendar.h"
#include "workforce/employees.h"
#include "workforce/shifts.h"

namespace app {

std::filesystem::path executableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

std::filesystem::path defaultHome()
{
    const std::filesystem::path exe = executableFolder();
    std::error_code ec;
    // An installed program (beside ../share/tallix) keeps its data in the user's data
    // folder; a program run from where it was built keeps it beside itself.
    if (!std::filesystem::exists(exe / ".." / "share" / "tallix", ec))
        return exe;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0')
        return std::filesystem::path(xdg) / "tallix";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::filesystem::path(home) / ".local" / "share" / "tallix";
    return exe;
}

std::filesystem::path programFolder(const ProgramOptions& options)
{
    return options.home.empty() ? defaultHome() : options.home;
}

std::string withTrailingSeparator(const std::filesystem::path& folder)
{
    std::string p = folder.string();
    if (p.empty() || p.back() != std::filesystem::path::preferred_separator)
        p += std::filesystem::path::preferred_separator;
    return p;
}

Program::Program(ProgramOptions options)
    : options_(std::move(options)), regional_(options_.regional ? *options_.regional : core::Regional::system())
{}

Program::~Program()
{
    if (tables_)
        tables_->closeAll();
}

void Program::FormCreate()
{
    resetatt = 1;
    path_ = withTrailingSeparator(programFolder(options_));
    // A program folder named for the first time is made; what cannot be made is reported by
    // the first file written into it.
    std::error_code ec;
    std::filesystem::create_directories(path_, ec);
    openConnection();
    const std::filesystem::path file = path_ + "SetupValues.ini";
    const core::IniFile ini(file);
    settings_ = std::make_unique<SettingsFile>(file, regional_);
    settings_->load(ini, setup, counter);
    mapHost = ini.readString("MAP", "HOST", "www.google.com");
}

void Program::openConnection()
{
    // The connection definition "TallixServer": which database file the program opens.
    core::IniFile def(path_ + "TallixServer.ini");
    if (!def.hasKey("TallixServer", "Database")) {
        def.writeString("TallixServer", "Database", "tallix.db");
        def.flush();
    }
    std::filesystem::path file = def.readString("TallixServer", "Database", "tallix.db");
    if (file.is_relative())
        file = std::filesystem::path(path_) / file;
    databaseFile_ = file;
    db_ = store::openDatabase(file);
    tables_ = std::make_unique<store::Tables>(*db_, regional_);
    tables_->PeriodTable.onCalcFields = workforce::PeriodTableCalcFields;
    // A register row's hours follow the current employee's settings.
    tables_->AttendanceTable.onCalcFields = [this](store::Record& row) {
        const store::Cursor& employees = tables_->EmployeeTable;
        const registers::HoursRules rules =
            employees.isOpen() ? registers::rulesOf(employees.record()) : registers::HoursRules{};
        registers::AttendanceTableCalcFields(row, rules);
    };
    // A register time typed into the grid is kept on record; processing never posts here.
    tables_->AttendanceTable.onPosted = [this](store::Cursor&, const store::Record* before,
                                               const store::Record& after) {
        registers::recordTypedTimes(*db_, before, after, now());
    };
    // One clock number clocks for one employee; slot 1 (the day job) stays within a day.
    tables_->EmployeeTable.onBeforePost = [this](store::Cursor& c, const store::Record* before,
                                                 const store::Record& after) {
        workforce::EmployeeTableBeforePost(*db_, c, before, after);
    };
    tables_->ShiftsTable.onBeforePost = [this](store::Cursor&, const store::Record*, const store::Record& after) {
        workforce::ShiftsTableBeforePost(after, regional_);
    };
    // A new employee takes the setup values as the fields hold them at this moment.
    tables_->EmployeeTable.onNewRecord = [this](store::Cursor& c) {
        const workforce::EmployeeDefaults d{setup.flexiText(), setup.latitude, setup.longitude, setup.minutesBreak,
                                            setup.minHours,    setup.vroeg,    setup.laat,      setup.speling};
        workforce::EmployeeTableNewRecord(c, d, regional_);
    };
}

void Program::FormShow()
{
    if (!created())
        throw core::Error("The program has not started");
    tables_->openAll();
    shown_ = true;
    dataVersion_ = db_->dataVersion();
    const core::DateTime t = now();
    pickers = {t, t, t};
}

void Program::FormClose()
{
    if (!created())
        return;
    std::exception_ptr failure;
    try {
        // A settings file that could not be loaded (a folder of that name, no read access)
        // was reported at start-up; there is nothing loaded to write back.
        if (settings_)
            settings_->saveChanges(setup, counter);
    } catch (...) {
        failure = std::current_exception();
    }
    tables_->closeAll();
    shown_ = false;
    if (failure)
        std::rethrow_exception(failure);
}

core::DateTime Program::now() const
{
    if (options_.today)
        return core::dateOf(*options_.today);
    const QDateTime n = QDateTime::currentDateTime();
    return core::fromQDate(n.date())
           + static_cast<double>(n.time().msecsSinceStartOfDay()) / static_cast<double>(core::kMsPerDay);
}

bool Program::setField(std::string_view name, std::string_view value)
{
    if (setup.setByKey(name, value, regional_))
        return true;
    auto date = [&]() {
        const auto d = core::parseIsoDate(value);
        if (!d)
            throw core::Error("'" + std::string(value) + "' is not a date of the form YYYY-MM-DD");
        return *d;
    };
    if (name == "START_DATE") {
        pickers.startDate = date();
        return true;
    }
    if (name == "END_DATE") {
        pickers.endDate = date();
        return true;
    }
    if (name == "NEW_END_DATE") {
        pickers.newEndDate = date();
        return true;
    }
    if (name == "PAY_PERIOD") {
        for (int i = 0; i < 4; ++i)
            if (value == kPayPeriodEntries[i]) {
                payPeriod = i;
                return true;
            }
        throw core::Error("'" + std::string(value)
                          + "' is not an entry of Pay Period (Four Weekly, Three Weekly, Two Weekly, Weekly)");
    }
    for (auto [prefix, filter] : {std::pair{std::string_view("DETAIL_"), &detailFilter},
                                  std::pair{std::string_view("SUMMARIES_"), &summariesFilter}}) {
        if (name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view rest = name.substr(prefix.size());
        std::string* field = rest == "FROM_EMPLOYEE" ? &filter->fromEmployee
                             : rest == "TO_EMPLOYEE" ? &filter->toEmployee
                             : rest == "FROM_PERIOD" ? &filter->fromPeriod
                             : rest == "TO_PERIOD"   ? &filter->toPeriod
                                                     : nullptr;
        if (field == nullptr)
            return false;
        *field = std::string(value);
        return true;
    }
    return false;
}

void Program::saveSettings()
{
    if (settings_)
        settings_->saveChanges(setup, counter);
}

bool Program::takeSettingsChanges() { return settings_ && settings_->takeChanges(setup, counter); }

std::filesystem::path Program::nextCountedFile(core::DateTime today,
                                               const std::function<std::filesystem::path(int)>& nameOf)
{
    if (!settings_)
        throw core::Error("The program has not started");
    return settings_->nextCountedFile(setup, counter, today, nameOf);
}

bool Program::catchUp()
{
    if (!shown_)
        return false;
    const std::int64_t version = db_->dataVersion();
    if (version == dataVersion_)
        return false;
    dataVersion_ = version;
    using store::Table;
    tables_->resync({Table::Employee, Table::Attendance, Table::Clkdata, Table::History, Table::Period, Table::Shifts,
                     Table::Summaries, Table::Perhistory});
    return true;
}

void Program::runCommand(const store::CommandEffects& effects, core::WindowServices* ui,
                         const std::function<void()>& command, const std::function<bool()>& keepProgress,
                         const std::function<void()>& committed)
{
    if (!created())
        throw core::Error("The program has not started");
    store::runCommand(*db_, *tables_, ui, effects, command, keepProgress, committed);
}

} // namespace app
