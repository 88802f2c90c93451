#include "bench/steps.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdexcept>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/commands.h"
#include "core/datetime.h"
#include "core/regional.h"
#include "store/cursor.h"
#include "store/tables.h"

namespace bench {

using Clock = std::chrono::steady_clock;

std::optional<fs::path> BenchServices::openFile(const std::string&)
{
    if (opens.empty())
        return std::nullopt;
    auto f = opens.front();
    opens.pop_front();
    return f;
}

std::optional<fs::path> BenchServices::saveFile(SaveDialog)
{
    if (saves.empty())
        return std::nullopt;
    auto f = saves.front();
    saves.pop_front();
    return f;
}

void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double peakMb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double secondsOf(const std::function<void()>& f)
{
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

app::ProgramOptions optionsFor(const fs::path& home)
{
    app::ProgramOptions o;
    o.home = home;
    o.today = core::encodeDate(2026, 4, 1);
    o.regional = core::Regional::pinned(QLocale(QLocale::English, QLocale::UnitedStates));
    return o;
}

void copyHome(const fs::path& from, const fs::path& to)
{
    fs::remove_all(to);
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from))
        if (e.is_regular_file())
            fs::copy_file(e.path(), to / e.path().filename());
}

void PlainDriver::run(const char* handler) { app::execute(p_, ui_, *app::findCommand(handler)); }

std::vector<CommandStep> commandSteps()
{
    using D = Driver;
    using P = const fs::path&;
    return {
        {"import", "Import clock data (with double entries)", "<= 2 s", 2.0,
         [](D& d, P work) {
             d.openNext(work / "clockdata.txt");
             d.run("ImportPreviousdownloadedfiles1Click");
         }},
        {"scanner", "Import from Biometric Unit", "", 0,
         [](D& d, P work) {
             d.openNext(work / "scanner.dat");
             d.run("DownloadfromBiometricUnit1Click");
         }},
        {"process", "Reset and Process Clock Data", "<= 3 s", 3.0, [](D& d, P) { d.run("ProcessClockData1Click"); }},
        {"new", "Import New Clock Data (one day)", "", 0,
         [](D& d, P work) {
             d.openNext(work / "clockdata_lastday.txt");
             d.run("AddNewClockings1Click");
         }},
        {"processnew", "Process the New Clock Data", "<= 1 s", 1.0,
         [](D& d, P) { d.run("AddClockDataToExistingRegister1Click"); }},
        {"summarise", "Summarise", "<= 1 s", 1.0, [](D& d, P) { d.run("Summarise1Click"); }},
        {"fullhours", "Apply FULL HOURS work before OVERTIME", "<= 1 s", 1.0,
         [](D& d, P) { d.run("ApplyFULLHOURSworkbeforeOVERTIME1Click"); }},
        {"payrolla", "Payroll export, format A", "<= 1 s", 1.0,
         [](D& d, P work) {
             d.saveNext(work / "payroll_a.csv");
             d.run("ExportNTOT1OT2HT1Click");
         }},
        {"payrollb", "Payroll export, format B", "<= 1 s", 1.0,
         [](D& d, P work) {
             d.saveNext(work / "payroll_b.csv");
             d.run("ExportNTHTOT1OT21Click");
         }},
        // The copy the posting and the deletion write before they run, timed on its own.
        {"backup", "Back Up Database (also before the posting and the deletion)", "", 0,
         [](D& d, P) { d.run("BackupDatabase1Click"); }},
        {"post", "POST CLOCK DATA TO HISTORY FILES (its backup included)", "<= 3 s + backup", 3.0,
         [](D& d, P) { d.run("POSTtoHISTORYFILE1Click"); }},
        {"deleteperiod", "Delete Pay Period (one among many, its backup included)", "<= 3 s + backup", 3.0,
         [](D& d, P) {
             store::Cursor& periods = d.program().tables().PerhistoryTable;
             periods.moveTo(periods.recordCount() / 2);
             d.run("DeletePayPeriod1Click");
         }},
        {"detail", "History - Detail: Show + Export csv (one period)", "<= 3 s", 3.0,
         [](D& d, P work) {
             app::Program& p = d.program();
             const std::string period = std::to_string(p.periodno - 1);
             p.detailFilter = {"1", "100000", period, period};
             d.saveNext(work / "history.csv");
             d.run("Button11Click");
             d.run("Button13Click");
         }},
        {"summaries", "History - Summaries: Show + Export csv (one period)", "<= 3 s", 3.0,
         [](D& d, P work) {
             app::Program& p = d.program();
             const std::string period = std::to_string(p.periodno - 1);
             p.summariesFilter = {"1", "100000", period, period};
             d.saveNext(work / "summaries.csv");
             d.run("Button14Click");
             d.run("Button16Click");
         }},
    };
}

void startUpAndShutDown(const fs::path& home)
{
    app::Program p(optionsFor(home));
    p.FormCreate();
    p.FormShow();
    p.FormClose();
}

ChildRun runSelf(const std::vector<std::string>& args) { return runProgram("/proc/self/exe", args); }

ChildRun runProgram(const std::string& program, const std::vector<std::string>& args)
{
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("no pipe for a child process");
    const auto t0 = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        // A fresh program, not a copy of this process and its memory.
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> argv;
        static char self[] = "tallix-bench-child";
        argv.push_back(program == "/proc/self/exe" ? self : const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ChildRun r;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) != 0;) {
        if (n < 0)
            break;
        r.output.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    r.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string cmd = program == "/proc/self/exe" ? "" : " " + program;
        for (const std::string& a : args)
            cmd += " " + a;
        throw std::runtime_error("the child run failed:" + cmd);
    }
    return r;
}

} // namespace bench
