#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/commands.h"
#include "app/window/fileicons.h"
#include "app/window/resultlog.h"
#include "core/services.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QTextBrowser;
class QVBoxLayout;

namespace app {
class Program;
}

namespace store {
class Cursor;
}

namespace window {

class CursorModel;
struct GridColumn;
class TFormMain;

/// The window's services to the logic: boxes, the bottom strip, the "Result" log, pages and
/// file dialogs. Tests may answer the boxes and dialogs through the hooks instead.
class QtServices : public core::WindowServices {
public:
    explicit QtServices(TFormMain& window) : window_(window) {}

    std::function<bool(const std::string&)> answerQuestion;
    std::function<void(const std::string&)> seeMessage;
    std::function<std::optional<std::filesystem::path>(const std::string&)> chooseOpenFile;
    std::function<std::optional<std::filesystem::path>(SaveDialog)> chooseSaveFile;

    bool question(const std::string& text) override;
    void message(const std::string& text) override;
    void setProgressCaption(const std::string& text) override;
    void setProgressRange(int minimum, int maximum, int step) override;
    void setProgressPosition(int position) override;
    void stepProgress() override;
    void repaint() override;
    void clearResult() override;
    void appendResult(const std::string& line) override;
    void showPage(const std::string& name) override;
    std::optional<std::filesystem::path> openFileIn(const std::string& title,
                                                    const std::filesystem::path& folder) override;
    std::optional<std::filesystem::path> openFile(const std::string& title) override;
    std::optional<std::filesystem::path> saveFile(SaveDialog dialog) override;
    void fieldsChanged() override;
    void showMap(const std::string& url) override;
    void closeWindow() override;
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    /// Background tasks that have not reported back yet.
    int running() const { return running_; }
    /// Shows the Result lines held back since the last repaint.
    void flushResult();

private:
    TFormMain& window_;
    void showProgress();

    int step_ = 1;
    int position_ = 0;              ///< where the bar stands, shown at most every 40 ms
    QElapsedTimer progressShown_;   ///< since the bar last showed the position
    QElapsedTimer eventsDelivered_; ///< since a repaint last delivered the window's events
    int running_ = 0;
    std::map<SaveDialog, std::string> lastSaved_;
    std::string lastOpenFolder_;
    NameOnlyIconProvider icons_; ///< the file dialogs' icons, decided without opening files
};

/// The main window. It holds the program state and passes it down; its slots carry the
/// handler names of the command table and do nothing but run the logic.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(app::Program& program, QWidget* parent = nullptr);
    ~TFormMain() override;

    app::Program& program() { return program_; }
    QtServices& services() { return services_; }
    QTabWidget* pages() const { return pages_; }
    QLabel* progressCaption() const { return progressCaption_; }
    QProgressBar* progressBar() const { return progressBar_; }
    ResultLog* resultLog() const { return resultLog_; }
    QMenu* menu(app::Place place) const;
    /// The button of a page or of the top strip that runs the handler, or null.
    QPushButton* button(const std::string& handler) const;
    QTableView* grid(const std::string& cursorName) const;
    QWidget* mapView() const { return mapView_; }
    bool busy() const { return busy_; }

    /// Runs a command of the command table, one at a time; an error is shown in a box.
    void run(const std::string& handler);
    /// Closes the window once the running command has ended (at once when none runs).
    void closeAfterCommand();
    /// Shows the program's fields (setup values, choices, dates, filters) in the widgets.
    void loadFields();
    /// Takes in what another program on the site (the nightly runner) changed meanwhile: the
    /// grids' rows and the setup values this window has not changed itself.
    void catchUp();
    /// Renders every page to DIR/NN-Page.png.
    void saveScreenshots(const std::filesystem::path& dir);
    void showError(const QString& text);
    void setMapAddress(const QString& url);
    /// The top strip's "Cancel download", shown while a download runs.
    QPushButton* cancelDownloadButton() const { return cancelDownload_; }
    /// Asks the running download to end; it reports "Download cancelled" when it has.
    void cancelDownload();
    /// A background task has started or reported back.
    void backgroundChanged();

public slots:
    void SetFLEXITIMEtoYES1Click() { run("SetFLEXITIMEtoYES1Click"); }
    void SetFLEXITIMEtoNO1Click() { run("SetFLEXITIMEtoNO1Click"); }
    void ExportEmployees1Click() { run("ExportEmployees1Click"); }
    void ImportEmployees1Click() { run("ImportEmployees1Click"); }
    void DeleteEmployee1Click() { run("DeleteEmployee1Click"); }
    void DeleteAllEmployees1Click() { run("DeleteAllEmployees1Click"); }
    void SetasHOLIDAY1Click() { run("SetasHOLIDAY1Click"); }
    void ResetHOLIDAY1Click() { run("ResetHOLIDAY1Click"); }
    void Downloadfromwebserver1Click() { run("Downloadfromwebserver1Click"); }
    void ImportPreviousdownloadedfiles1Click() { run("ImportPreviousdownloadedfiles1Click"); }
    void DownloadfromBiometricUnit1Click() { run("DownloadfromBiometricUnit1Click"); }
    void ProcessClockData1Click() { run("ProcessClockData1Click"); }
    void AddNewClockings1Click() { run("AddNewClockings1Click"); }
    void AddClockDataToExistingRegister1Click() { run("AddClockDataToExistingRegister1Click"); }
    void N8Click() { run("N8Click"); }
    void DeleteClockingsUsed1Click() { run("DeleteClockingsUsed1Click"); }
    void DeleteDoubleClockEntries1Click() { run("DeleteDoubleClockEntries1Click"); }
    void ResetUSEDField1Click() { run("ResetUSEDField1Click"); }
    void Summarise1Click() { run("Summarise1Click"); }
    void ApplyFULLHOURSworkbeforeOVERTIME1Click() { run("ApplyFULLHOURSworkbeforeOVERTIME1Click"); }
    void ExportNTOT1OT2HT1Click() { run("ExportNTOT1OT2HT1Click"); }
    void ExportNTHTOT1OT21Click() { run("ExportNTHTOT1OT21Click"); }
    void PrintTimesheets1Click() { run("PrintTimesheets1Click"); }
    void PrintPeriodReport1Click() { run("PrintPeriodReport1Click"); }
    void POSTtoHISTORYFILE1Click() { run("POSTtoHISTORYFILE1Click"); }
    void DeletePayPeriod1Click() { run("DeletePayPeriod1Click"); }
    void BitBtn3Click() { run("BitBtn3Click"); }
    void Button7Click() { run("Button7Click"); }
    void Button6Click() { run("Button6Click"); }
    void Button5Click() { run("Button5Click"); }
    void Button3Click() { run("Button3Click"); }
    void BackupDatabase1Click() { run("BackupDatabase1Click"); }
    void RestoreDatabase1Click() { run("RestoreDatabase1Click"); }
    void Button11Click() { run("Button11Click"); }
    void Button12Click() { run("Button12Click"); }
    void Button13Click() { run("Button13Click"); }
    void Button14Click() { run("Button14Click"); }
    void Button15Click() { run("Button15Click"); }
    void Button16Click() { run("Button16Click"); }

    void TabSheet12Exit();
    void TabSheet9Exit();
    void TabSheet14Show();

protected:
    void closeEvent(QCloseEvent* event) override;
    /// Brought to the front again: the grids show what another program changed meanwhile.
    void changeEvent(QEvent* event) override;
    /// While a command runs, drops the user's input to the main window (clicks, keys, menus)
    /// instead of letting it queue up; a click on "Exit" is remembered and asked about when
    /// the command has ended.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildDownloadPage();
    QWidget* buildLocationPage();
    QWidget* buildAttendancePage();
    QWidget* buildHistoryPage(bool summaries);
    QWidget* buildResultPage();
    QWidget* buildPeriodPage();
    QWidget* buildEmployeesPage();
    QWidget* buildShiftsPage();
    QWidget* buildSetupPage();
    QWidget* buildGeneralPage();
    QWidget* buildWebsitePage();
    QTableView* makeGrid(store::Cursor& cursor, std::vector<GridColumn> columns, bool readOnly, const char* hint,
                         std::optional<app::Place> menu);
    QPushButton* makeButton(const std::string& handler, QWidget* parent);
    void buildMenus();
    void pageChanged(int index);
    void postPendingEdits();

    app::Program& program_;
    QtServices services_;
    QTabWidget* pages_ = nullptr;
    QLabel* progressCaption_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    ResultLog* resultLog_ = nullptr;
    QWidget* mapView_ = nullptr;
    QLineEdit* mapAddress_ = nullptr;
    QVBoxLayout* mapArea_ = nullptr;
    QTextBrowser* website_ = nullptr;
    std::map<app::Place, QMenu*> menus_;
    std::map<std::string, QPushButton*> buttons_;
    QPushButton* cancelDownload_ = nullptr;
    bool closeAfterDownload_ = false; ///< Exit was answered Yes while a download ran
    std::map<std::string, QTableView*> grids_;

    // Setup page
    QLineEdit* minutesBreak_ = nullptr;
    QLineEdit* minHours_ = nullptr;
    QLineEdit* vroeg_ = nullptr;
    QLineEdit* laat_ = nullptr;
    QLineEdit* earlyMinutes_ = nullptr;
    QLineEdit* lateMinutes_ = nullptr;
    QLineEdit* speling_ = nullptr;
    QComboBox* flexi_ = nullptr;
    QLineEdit* latitude_ = nullptr;
    QLineEdit* longitude_ = nullptr;
    QLineEdit* number_ = nullptr;
    // Period page
    QDateEdit* startDate_ = nullptr;
    QDateEdit* endDate_ = nullptr;
    QDateEdit* newEndDate_ = nullptr;
    QComboBox* payPeriod_ = nullptr;
    QComboBox* twoShift_ = nullptr;
    QComboBox* threeShift_ = nullptr;
    // Filter strips: from/to employee, from/to period
    QLineEdit* detailFilter_[4] = {};
    QLineEdit* summariesFilter_[4] = {};

    int previousPage_ = 0;
    bool busy_ = false;
    bool exitRequested_ = false;  ///< "Exit" or the window's close button while busy
    bool closeRequested_ = false; ///< the running command closes the window when it ends
    bool loading_ = false;
    bool closed_ = false;
};

} // namespace window
