#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "app/settingsfile.h"
#include "core/datetime.h"
#include "core/regional.h"

namespace core {
class WindowServices;
}

namespace store {
class Database;
struct Tables;
struct CommandEffects;
} // namespace store

namespace app {

struct ProgramOptions {
    /// The program's folder (settings, database, dated copies); empty: defaultHome().
    std::filesystem::path home;
    /// The current date for this run; empty: the system clock.
    std::optional<core::DateTime> today;
    /// Regional settings pinned by tests; empty: the system's.
    std::optional<core::Regional> regional;
};

/// The date pickers of the Period page.
struct PeriodPickers {
    core::DateTime startDate = 0;  ///< "Period Start Date"
    core::DateTime endDate = 0;    ///< "Period End Date"
    core::DateTime newEndDate = 0; ///< "New Period End Date"
};

/// The filter strip of a history page: four entry fields that start at "1".
struct HistoryFilterFields {
    std::string fromEmployee = "1";
    std::string toEmployee = "1";
    std::string fromPeriod = "1";
    std::string toPeriod = "1";
};

/// The entries of the "Pay Period" choice, in order, and their lengths in days.
inline constexpr const char* kPayPeriodEntries[] = {"Four Weekly", "Three Weekly", "Two Weekly", "Weekly"};
inline constexpr int kPayPeriodDays[] = {28, 21, 14, 7};

/// The program's state from start-up to shut-down, shared by the window and the runner:
/// the program-wide values, the setup fields, the database and the eight cursors.
class Program {
public:
    explicit Program(ProgramOptions options);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    /// Start-up: resetatt, path, the database connection, the settings file.
    void FormCreate();
    /// Opens the eight cursors and sets the date pickers to now.
    void FormShow();
    /// Shut-down: writes the settings this program changed and closes the cursors. Safe to
    /// call twice.
    void FormClose();

    bool created() const { return db_ != nullptr; }
    bool shown() const { return shown_; }

    /// The program's folder, always ending in a path separator.
    const std::string& path() const { return path_; }
    const core::Regional& regional() const { return regional_; }
    store::Database& db() { return *db_; }
    store::Tables& tables() { return *tables_; }
    std::filesystem::path databaseFile() const { return databaseFile_; }

    /// The current date and time (with a pinned date: that day at midnight).
    core::DateTime now() const;

    SetupFields setup;
    FileCounter counter; ///< filedate and teller
    int periodno = 0;
    int resetatt = 1;
    PeriodPickers pickers;
    int payPeriod = 3;                   ///< position in the "Pay Period" choice; "Weekly" at start, not saved
    HistoryFilterFields detailFilter;    ///< "History - Detail"
    HistoryFilterFields summariesFilter; ///< "History - Summaries"
    /// The host of the web map that "Show Clock Location on Map" opens; read from the
    /// settings file's [MAP] HOST when present, never written.
    std::string mapHost = "www.google.com";
    bool downloadRunning = false; ///< a "Download clock data" transfer has not ended yet
    /// Set to end the running download (the window's "Cancel download", or Exit during one).
    std::shared_ptr<std::atomic<bool>> downloadCancel = std::make_shared<std::atomic<bool>>(false);
    double lat_url = 0; ///< the position last shown on the map
    double lon_url = 0;

    /// Sets a field of the Setup or Period page or of a filter strip by its name
    /// (MINUTES_BREAK, START_DATE, PAY_PERIOD, DETAIL_FROM_EMPLOYEE, ...). Dates are
    /// YYYY-MM-DD. Returns false for an unknown name; throws for a value the field refuses.
    bool setField(std::string_view name, std::string_view value);

    /// Runs one command in one transaction, and afterwards (also after an error) reads the
    /// cursors of the tables it wrote afresh, puts the bar at rest and commits: see
    /// store::runCommand. The error is passed on to the front end.
    void runCommand(const store::CommandEffects& effects, core::WindowServices* ui,
                    const std::function<void()>& command, const std::function<bool()>& keepProgress = {},
                    const std::function<void()>& committed = {});

    /// Writes the setup values this program changed since it last read or wrote them into
    /// the settings file as it stands now (each command does when it ends).
    void saveSettings();
    /// Takes the setup values another program wrote since into the fields this program has
    /// not changed. True when a field changed (the window shows them again).
    bool takeSettingsChanges();
    /// The next file of the day's series shared by downloads and scanner imports, the counter
    /// moved on and written at once: see SettingsFile::nextCountedFile.
    std::filesystem::path nextCountedFile(core::DateTime today,
                                          const std::function<std::filesystem::path(int)>& nameOf);

    /// Reads every grid afresh when another program (the nightly runner) changed the
    /// database since the last look; a row in edit stays as it is. True when it did. The
    /// window asks before each command and when it is brought to the front again.
    bool catchUp();

private:
    void openConnection();

    ProgramOptions options_;
    core::Regional regional_;
    std::string path_;
    std::filesystem::path databaseFile_;
    std::unique_ptr<SettingsFile> settings_;
    std::unique_ptr<store::Database> db_;
    std::unique_ptr<store::Tables> tables_;
    bool shown_ = false;
    std::int64_t dataVersion_ = 0; ///< the database's data_version when last looked at
};

/// The folder of the running executable.
std::filesystem::path executableFolder();

/// The program's folder when none is given: the executable's folder, or for an installed
/// program the user's data folder ($XDG_DATA_HOME/tallix or ~/.local/share/tallix).
std::filesystem::path defaultHome();

/// The program's folder a run with these options works in: the given home, or defaultHome().
std::filesystem::path programFolder(const ProgramOptions& options);

/// A folder as the program's path: with exactly the trailing separator added when missing.
std::string withTrailingSeparator(const std::filesystem::path& folder);

} // namespace app
