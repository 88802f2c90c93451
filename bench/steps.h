#pragma once

// What the two benchmarks share: the window services of a timed run, the timing and memory
// readings, and the list of command steps that both drive, each through its own front end.

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/services.h"

namespace bench {

namespace fs = std::filesystem;

/// The window's services for a timed run: every question answered Yes, dialogs from lists,
/// messages and Result lines counted.
class BenchServices : public core::WindowServices {
public:
    std::deque<fs::path> opens;
    std::deque<fs::path> saves;
    long resultLines = 0;
    long messages = 0;
    std::vector<std::string>* keepLog = nullptr; ///< when set, the Result lines themselves

    bool question(const std::string&) override { return true; }
    void message(const std::string&) override { ++messages; }
    void setProgressCaption(const std::string&) override {}
    void setProgressRange(int, int, int) override {}
    void setProgressPosition(int) override {}
    void stepProgress() override {}
    void repaint() override {}
    void clearResult() override { resultLines = 0; }
    void appendResult(const std::string& line) override
    {
        ++resultLines;
        if (keepLog != nullptr)
            keepLog->push_back(line);
    }
    void showPage(const std::string&) override {}
    std::optional<fs::path> openFile(const std::string&) override;
    std::optional<fs::path> saveFile(SaveDialog) override;
    void fieldsChanged() override {}
    void showMap(const std::string&) override {}
    void closeWindow() override {}
};

/// Resets the peak resident size so that the next reading covers one step only.
void resetPeak();
/// The peak resident size of this process since the last reset, in MB.
double peakMb();
double median(std::vector<double> v);
double secondsOf(const std::function<void()>& f);

/// The program's options for a bench home: a fixed today and pinned en_US regional settings.
app::ProgramOptions optionsFor(const fs::path& home);
/// Replaces `to` with a copy of the files of `from`.
void copyHome(const fs::path& from, const fs::path& to);

/// How a step drives the program: by a command's handler, with the files that the next
/// open and save dialogs return.
class Driver {
public:
    virtual ~Driver() = default;
    virtual app::Program& program() = 0;
    virtual void openNext(const fs::path& file) = 0;
    virtual void saveNext(const fs::path& file) = 0;
    virtual void run(const char* handler) = 0;
};

/// The driver without a window: commands through app::execute with BenchServices.
class PlainDriver : public Driver {
public:
    PlainDriver(app::Program& p, BenchServices& ui) : p_(p), ui_(ui) {}
    app::Program& program() override { return p_; }
    void openNext(const fs::path& file) override { ui_.opens.push_back(file); }
    void saveNext(const fs::path& file) override { ui_.saves.push_back(file); }
    void run(const char* handler) override;

private:
    app::Program& p_;
    BenchServices& ui_;
};

/// A timed step after start-up; `work` is the copied home it runs in.
struct CommandStep {
    std::string key; ///< a short name for the code that needs to find a step
    std::string name;
    std::string target;
    double limitSeconds = 0; ///< 0: no limit
    std::function<void(Driver&, const fs::path& work)> run;
};

inline constexpr const char* kStartupStep = "start-up + shut-down (a process of its own)";

/// The command steps in the order they run on one copy of a site, from the phone import
/// to the history exports.
std::vector<CommandStep> commandSteps();

/// Start-up and shut-down without a window, as the runner does them.
void startUpAndShutDown(const fs::path& home);

/// A child process's wall time and peak resident size.
struct ChildRun {
    double seconds = 0;
    double peakMb = 0;
    std::string output; ///< its standard output
};

/// Runs the program with the arguments, waits, and throws unless it exits with 0.
ChildRun runProgram(const std::string& program, const std::vector<std::string>& args);
/// Runs this program again (/proc/self/exe).
ChildRun runSelf(const std::vector<std::string>& args);

} // namespace bench
