#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace core {

/// What a command may ask of the window, without ever seeing a widget. The desktop window
/// and the command-line runner each implement it; tests use a recording fake.
class WindowServices {
public:
    enum class SaveDialog {
        EmployeeFile, ///< titled "Export Employee File", proposes "Employees", extension csv
        Summary,      ///< proposes "Summary", extension csv
        Timesheets,   ///< proposes "Timesheets", extension pdf
        PeriodReport, ///< proposes "PeriodReport", extension pdf
    };
    /// The name a save dialog proposes and the extension it adds to a name typed without one.
    static const char* proposedName(SaveDialog kind)
    {
        switch (kind) {
        case SaveDialog::EmployeeFile: return "Employees";
        case SaveDialog::Summary: return "Summary";
        case SaveDialog::Timesheets: return "Timesheets";
        case SaveDialog::PeriodReport: return "PeriodReport";
        }
        return "";
    }
    static const char* defaultExtension(SaveDialog kind)
    {
        return kind == SaveDialog::Timesheets || kind == SaveDialog::PeriodReport ? "pdf" : "csv";
    }

    virtual ~WindowServices() = default;

    /// A modal Yes/No box with an information sign; true for Yes.
    virtual bool question(const std::string& text) = 0;
    /// A modal box with an OK button; returns when it is closed.
    virtual void message(const std::string& text) = 0;

    /// The one-line text of the bottom strip; "Progressbar" whenever no command uses it.
    virtual void setProgressCaption(const std::string& text) = 0;
    virtual void setProgressRange(int minimum, int maximum, int step = 1) = 0;
    virtual void setProgressPosition(int position) = 0;
    /// Advances the bar by one step.
    virtual void stepProgress() = 0;
    /// Lets the window repaint so that the caption and the bar show their new state.
    virtual void repaint() = 0;

    /// The "Result" log.
    virtual void clearResult() = 0;
    virtual void appendResult(const std::string& line) = 0;

    /// Brings the named page ("Result", "Location", ...) to the front.
    virtual void showPage(const std::string& name) = 0;

    /// The open dialog (default extension ".csv"); empty when cancelled.
    virtual std::optional<std::filesystem::path> openFile(const std::string& title) = 0;
    /// The open dialog started in `folder`, every file listed; a front end without dialogs
    /// answers as openFile does.
    virtual std::optional<std::filesystem::path> openFileIn(const std::string& title,
                                                            const std::filesystem::path& folder)
    {
        (void)folder;
        return openFile(title);
    }
    /// A save dialog; empty when cancelled. Each proposes the name chosen at its last use.
    virtual std::optional<std::filesystem::path> saveFile(SaveDialog dialog) = 0;

    /// A value the window shows outside the grids changed (a choice, a field of the Setup
    /// page); the window shows the new state.
    virtual void fieldsChanged() = 0;
    /// A map page address to show (the "Location" page).
    virtual void showMap(const std::string& url) = 0;
    /// Closes the main window, which ends the program.
    virtual void closeWindow() = 0;

    /// Runs `work` away from the window's thread and then `done` on the window's thread (the
    /// worker waits until `done` has returned). The work touches no table. The window returns
    /// at once; a front end without a window (and this default) runs both before returning.
    virtual void runInBackground(std::function<void()> work, std::function<void()> done)
    {
        work();
        done();
    }
};

inline constexpr const char* kProgressRest = "Progressbar";

/// Shows a long command's caption and starts the bar at `position` of `maximum`. The bar and
/// the caption go back to rest when the command ends, also when it ends with an error: that is
/// done once for every command where it is run (store::runCommand), never by the command.
inline void startProgress(WindowServices& ui, const std::string& caption, int maximum, int position = 0)
{
    ui.setProgressCaption(caption);
    ui.repaint();
    ui.setProgressRange(0, maximum, 1);
    ui.setProgressPosition(position);
}

} // namespace core
