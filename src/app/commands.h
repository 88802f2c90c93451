#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "store/tables.h"

namespace core {
class WindowServices;
}

namespace app {

class Program;

/// Where a command sits in the window.
enum class Place {
    EmployeesMenu,     ///< right-click menu of the employee grid
    PeriodDaysMenu,    ///< right-click menu of the period grid
    ClockingsMenu,     ///< right-click menu of the clockings grid
    TotalsMenu,        ///< right-click menu of the employee totals grid
    PayrollSubmenu,    ///< the "EXPORT Summary for PAYROLL use " submenu of the totals menu
    PostedPeriodsMenu, ///< right-click menu of the posted-periods grid
    TopStrip,          ///< the strip along the top of the window
    PeriodPage,        ///< buttons of the "Period" page
    HistoryDetail,     ///< buttons of "History - Detail"
    HistorySummaries,  ///< buttons of "History - Summaries"
    SetupPage,         ///< buttons of the "Setup" page
};

struct CommandContext {
    Program& program;
    core::WindowServices& ui;
};

/// One row of the command table. A separator row has no handler; the submenu row of the
/// totals menu has a caption but no handler.
struct Command {
    enum class Kind { Command, Separator, Submenu };
    Kind kind = Kind::Command;
    std::string caption;
    std::string handler;
    Place place = Place::TopStrip;
    int asks = 0; ///< yes/no questions asked before anything changes
    void (*run)(CommandContext&) = nullptr;
    /// The tables the command writes, whose cursors are read afresh after it (also after an
    /// error), and the cursors it leaves on their first row.
    store::CommandEffects effects;
    bool paints = false; ///< draws pages (PDF): the runner then needs Qt's graphics, offscreen
    /// Removes or replaces posted, typed or entered data: a backup of the database is written
    /// before it runs (see app::backUp), and when that fails the command does not run.
    bool backsUp = false;
};

/// The title of the open dialog of "Restore Database from Backup".
inline constexpr const char* kRestoreDialogTitle = "Restore Database from Backup";

/// Every command in the order of the window's menus and pages.
const std::vector<Command>& commandTable();
/// The command with that handler name, or null.
const Command* findCommand(std::string_view handler);

/// Runs a command as both front ends do (store::runCommand): in one transaction, with the
/// cursors of the tables it writes read afresh, the progress at rest and the transaction
/// committed after it, also after an error. Errors are passed on to the caller, which shows
/// them.
void execute(Program& program, core::WindowServices& ui, const Command& command);

/// Events that are not commands: leaving the two history pages.
void TabSheet12Exit(Program& program);
void TabSheet9Exit(Program& program);

} // namespace app
