// tallix-windowbench: the command steps of tallix-bench driven through the real main window
// (offscreen), against the same steps without a window.
//
//   tallix-windowbench run DIR [RUNS]     time every step on copies of the home DIR
//
// Every run starts from a fresh copy of DIR, once for the window and once without it, each in
// a process of its own, so that one cannot leave its memory to the other. In the window every
// command runs through TFormMain::run with the services' hooks (every question Yes, the file
// dialogs from lists, the messages counted); after processing, the "Result" page is brought
// to the front and the whole log is copied to the clipboard, and read back from it as a
// paste would, as steps of their own. A step ends when the window has repainted.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTabWidget>

#include "app/commands.h"
#include "app/program.h"
#include "app/window/formmain.h"
#include "bench/steps.h"

namespace {

using namespace bench;

/// The steps of the window only, run right after "Reset and Process Clock Data".
struct WindowOnlyStep {
    std::string key;
    std::string name;
    std::string target;
    double limitSeconds;
};

const std::vector<WindowOnlyStep>& windowOnlySteps()
{
    static const std::vector<WindowOnlyStep> steps{
        {"resultpage", "Result page to the front (after processing)", "<= 0.5 s", 0.5},
        {"copylog", "Copy the whole Result log (Ctrl+A, Ctrl+C) and read it back", "<= 2 s", 2.0},
    };
    return steps;
}

constexpr double kRatioLimit = 1.5;
/// A step that the window ends within this many seconds of the run without it is met
/// whatever the ratio: the window's one repaint after a command takes a few milliseconds,
/// which is more than a small command takes without a window, and no one sees it.
constexpr double kSlackSeconds = 0.010;
constexpr double kPeakLimitMb = 500;

/// One line of a child's report: "step KEY SECONDS PEAK_MB".
void report(const std::string& key, double seconds, double peak)
{
    std::printf("step %s %.6f %.1f\n", key.c_str(), seconds, peak);
    std::fflush(stdout);
}

template <typename F>
void timedStep(const std::string& key, F&& f)
{
    resetPeak();
    const double secs = secondsOf(f);
    report(key, secs, peakMb());
}

// ---- without a window -------------------------------------------------------------------

int plainSteps(const fs::path& work)
{
    app::Program p(optionsFor(work));
    p.FormCreate();
    p.FormShow();
    BenchServices ui;
    PlainDriver driver(p, ui);
    for (const CommandStep& c : commandSteps()) {
        timedStep(c.key, [&] { c.run(driver, work); });
        if (c.key == "process")
            std::printf("lines %ld\n", ui.resultLines);
    }
    p.FormClose();
    std::printf("messages %ld\n", ui.messages);
    return 0;
}

// ---- in the window ----------------------------------------------------------------------

/// Lets the window handle what the step left queued and repaints it.
void settle(QWidget& window)
{
    QCoreApplication::processEvents();
    window.repaint();
    QCoreApplication::processEvents();
}

void pressKey(QWidget* w, int key, Qt::KeyboardModifiers mods)
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(w, &release);
}

class WindowDriver : public Driver {
public:
    explicit WindowDriver(window::TFormMain& form) : form_(form)
    {
        window::QtServices& s = form.services();
        s.answerQuestion = [](const std::string&) { return true; };
        s.seeMessage = [this](const std::string&) { ++messages; };
        s.chooseOpenFile = [this](const std::string&) -> std::optional<fs::path> { return take(opens_); };
        s.chooseSaveFile = [this](core::WindowServices::SaveDialog) -> std::optional<fs::path> { return take(saves_); };
    }

    long messages = 0;

    app::Program& program() override { return form_.program(); }
    void openNext(const fs::path& file) override { opens_.push_back(file); }
    void saveNext(const fs::path& file) override { saves_.push_back(file); }
    void run(const char* handler) override { form_.run(handler); }

private:
    static std::optional<fs::path> take(std::deque<fs::path>& files)
    {
        if (files.empty())
            return std::nullopt;
        fs::path f = files.front();
        files.pop_front();
        return f;
    }

    window::TFormMain& form_;
    std::deque<fs::path> opens_;
    std::deque<fs::path> saves_;
};

/// Lines of a pasted text: every line ended by a line feed but perhaps the last.
long linesOf(const QByteArray& text)
{
    if (text.isEmpty())
        return 0;
    return static_cast<long>(text.count('\n')) + (text.endsWith('\n') ? 0 : 1);
}

QApplication* makeApplication()
{
    static int argc = 1;
    static char name[] = "tallix-windowbench";
    static char* argv[] = {name, nullptr};
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return new QApplication(argc, argv);
}

/// The program with its window built, shown and painted once, as the program starts.
struct OpenWindow {
    std::unique_ptr<QApplication> qapp{makeApplication()};
    app::Program program;
    std::unique_ptr<window::TFormMain> form;

    explicit OpenWindow(const fs::path& home) : program(optionsFor(home))
    {
        program.FormCreate();
        form = std::make_unique<window::TFormMain>(program);
        program.FormShow();
        form->loadFields();
        form->show();
        settle(*form);
    }
};

/// Start-up and shut-down with the window: built, shown, its first paint, then closed.
int windowStartup(const fs::path& home)
{
    OpenWindow w(home);
    w.form->close();
    return 0;
}

int windowSteps(const fs::path& work)
{
    OpenWindow w(work);
    window::TFormMain& form = *w.form;
    WindowDriver driver(form);
    for (const CommandStep& c : commandSteps()) {
        timedStep(c.key, [&] {
            c.run(driver, work);
            settle(form);
        });
        if (c.key != "process")
            continue;
        timedStep("resultpage", [&] {
            form.services().showPage("Result");
            settle(form);
        });
        long copied = 0;
        timedStep("copylog", [&] {
            QWidget* log = form.resultLog();
            log->setFocus();
            pressKey(log, Qt::Key_A, Qt::ControlModifier);
            pressKey(log, Qt::Key_C, Qt::ControlModifier);
            settle(form);
            const QMimeData* pasted = QGuiApplication::clipboard()->mimeData();
            copied = pasted != nullptr ? linesOf(pasted->data("text/plain")) : 0;
        });
        std::printf("copied %ld\n", copied);
        // Back to the page the clerk works on, outside the timing.
        form.pages()->setCurrentIndex(0);
        settle(form);
    }
    form.close();
    std::printf("messages %ld\n", driver.messages);
    return 0;
}

// ---- the runs and the table -------------------------------------------------------------

struct Timing {
    std::vector<double> seconds;
    double peak = 0;
};

/// A child's report by step key, and its counters ("lines", "copied", "messages").
struct ChildReport {
    std::map<std::string, std::pair<double, double>> steps;
    std::map<std::string, long> counters;
};

ChildReport parse(const std::string& output)
{
    ChildReport r;
    std::istringstream in(output);
    std::string word;
    while (in >> word) {
        if (word == "step") {
            std::string key;
            double secs = 0;
            double peak = 0;
            in >> key >> secs >> peak;
            r.steps[key] = {secs, peak};
        } else {
            long n = 0;
            in >> n;
            r.counters[word] = n;
        }
    }
    return r;
}

int run(const fs::path& home, int runs)
{
    const fs::path work = home.parent_path() / (home.filename().string() + "-window");
    struct Row {
        std::string key;
        std::string name;
        std::string target; ///< an absolute limit for a step of the window only
        double limitSeconds = 0;
        bool windowOnly = false;
        Timing window;
        Timing plain;
    };
    std::vector<Row> rows{{"startup", kStartupStep, "", 0, false, {}, {}}};
    for (const CommandStep& c : commandSteps()) {
        rows.push_back({c.key, c.name, "", 0, false, {}, {}});
        if (c.key == "process")
            for (const WindowOnlyStep& w : windowOnlySteps())
                rows.push_back({w.key, w.name, w.target, w.limitSeconds, true, {}, {}});
    }
    auto add = [](Timing& t, double secs, double peak) {
        t.seconds.push_back(secs);
        t.peak = std::max(t.peak, peak);
    };
    std::vector<std::string> problems;
    std::map<std::string, long> plainCounters; ///< of the run without a window just before
    for (int r = 0; r < runs; ++r) {
        for (const bool inWindow : {false, true}) {
            copyHome(home, work);
            const ChildRun start = runSelf({inWindow ? "startup-window" : "startup", work.string()});
            const ChildRun steps = runSelf({inWindow ? "steps-window" : "steps", work.string()});
            const ChildReport rep = parse(steps.output);
            for (Row& row : rows) {
                Timing& t = inWindow ? row.window : row.plain;
                if (row.key == "startup") {
                    add(t, start.seconds, start.peakMb);
                    continue;
                }
                const auto it = rep.steps.find(row.key);
                if (it != rep.steps.end())
                    add(t, it->second.first, it->second.second);
                else if (inWindow || !row.windowOnly)
                    throw std::runtime_error("no timing of step '" + row.key + "' in a child's report");
            }
            if (!inWindow) {
                plainCounters = rep.counters;
                continue;
            }
            if (rep.counters.at("messages") != plainCounters.at("messages"))
                problems.push_back("run " + std::to_string(r + 1) + ": the window showed "
                                   + std::to_string(rep.counters.at("messages")) + " messages, the run without it "
                                   + std::to_string(plainCounters.at("messages")));
            if (rep.counters.at("copied") != plainCounters.at("lines"))
                problems.push_back("run " + std::to_string(r + 1) + ": the clipboard gave "
                                   + std::to_string(rep.counters.at("copied")) + " lines, processing wrote "
                                   + std::to_string(plainCounters.at("lines")));
            if (r == 0)
                std::printf("Result log lines written by Reset and Process Clock Data: %ld; lines read back from "
                            "the clipboard: %ld\n",
                            plainCounters.at("lines"), rep.counters.at("copied"));
        }
        std::cerr << "run " << r + 1 << " of " << runs << " done\n";
    }

    std::printf("\nSite %s, %d run(s), release build. Medians in seconds; peak resident memory of the whole "
                "process during the step (start-up: of its own process). Target: window / without a window <= "
                "%.1f (or at most 10 ms more), and the window's peak <= %.0f MB.\n\n",
                home.filename().c_str(), runs, kRatioLimit, kPeakLimitMb);
    std::printf(
        "| step | window median s | in-process median s | ratio | peak MB | in-process peak MB | target | met |\n"
        "|---|---:|---:|---:|---:|---:|---|---|\n");
    bool allMet = problems.empty();
    double wholePeak = 0;
    for (const Row& row : rows) {
        const double w = median(row.window.seconds);
        wholePeak = std::max(wholePeak, row.window.peak);
        const bool peakMet = row.window.peak <= kPeakLimitMb;
        char ratio[32] = "-";
        char plain[32] = "-";
        char plainPeak[32] = "-";
        std::string target;
        bool met = peakMet;
        if (row.windowOnly) {
            met = met && w <= row.limitSeconds;
            target = row.target + ", <= " + std::to_string(static_cast<int>(kPeakLimitMb)) + " MB";
        } else {
            const double p = median(row.plain.seconds);
            const double q = p > 0 ? w / p : 0;
            std::snprintf(plain, sizeof plain, "%.3f", p);
            std::snprintf(ratio, sizeof ratio, "%.2f", q);
            std::snprintf(plainPeak, sizeof plainPeak, "%.0f", row.plain.peak);
            met = met && (q <= kRatioLimit || w - p <= kSlackSeconds);
            target = "ratio <= 1.5 (or <= 10 ms more), <= " + std::to_string(static_cast<int>(kPeakLimitMb)) + " MB";
        }
        allMet = allMet && met;
        std::printf("| %s | %.3f | %s | %s | %.0f | %s | %s | %s |\n", row.name.c_str(), w, plain, ratio,
                    row.window.peak, plainPeak, target.c_str(), met ? "yes" : "NO");
    }
    std::printf("| whole window run | | | | %.0f | | <= %.0f MB | %s |\n", wholePeak, kPeakLimitMb,
                wholePeak <= kPeakLimitMb ? "yes" : "NO");
    for (const std::string& p : problems)
        std::printf("\nNOT met: %s\n", p.c_str());
    fs::remove_all(work);
    return allMet ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // No display needed: the window renders into memory.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() >= 2 && args[0] == "run")
            return run(fs::absolute(args[1]), args.size() > 2 ? std::stoi(args[2]) : 3);
        if (args.size() == 2 && args[0] == "startup") {
            startUpAndShutDown(args[1]);
            return 0;
        }
        if (args.size() == 2 && args[0] == "startup-window")
            return windowStartup(args[1]);
        if (args.size() == 2 && args[0] == "steps")
            return plainSteps(args[1]);
        if (args.size() == 2 && args[0] == "steps-window")
            return windowSteps(args[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tallix-windowbench: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: tallix-windowbench run DIR [RUNS]\n");
    return 2;
}
