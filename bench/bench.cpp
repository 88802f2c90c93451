// tallix-bench: generates a program home for a site and times the commands on it.
//
//   tallix-bench generate SIZE DIR [SEED]    write a home (S, M or L)
//   tallix-bench run SIZE DIR [RUNS]         time every step on copies of that home

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/backups.h"
#include "app/commands.h"
#include "app/program.h"
#include "bench/cursorpass.h"
#include "bench/generate.h"
#include "bench/rowbyrow.h"
#include "bench/steps.h"
#include "core/services.h"
#include "register/process.h"
#include "store/sqlite.h"
#include "store/tables.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace bench;

struct Step {
    std::string name;
    std::string target;
    double limitSeconds;
    std::vector<double> seconds;
    double peak = 0;
};

std::vector<std::string> lines(store::Database& db, const std::string& sql)
{
    std::vector<std::string> out;
    store::Statement st(db, sql);
    while (st.step()) {
        std::string line;
        for (int i = 0; i < st.columnCount(); ++i)
            line += (i ? "|" : "") + (st.isNull(i) ? std::string("-") : st.columnText(i));
        out.push_back(line);
    }
    return out;
}

/// The phone import against the SQLite shell storing the same rows in the same table in
/// one transaction. Returns the shell's seconds, or a negative number without a shell.
double shellImport(const fs::path& home, const fs::path& importedDb, const fs::path& work)
{
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0)
        return -1;
    const fs::path sql = work / "rows.sql";
    {
        store::Database db(importedDb.string());
        std::ofstream out(sql, std::ios::binary | std::ios::trunc);
        out << "BEGIN;\n";
        store::Statement st(db, "SELECT quote(Date), quote(Time), quote(MobileNo), quote(Name), quote(Status), "
                                "quote(Distance), quote(Lat), quote(Lon) FROM ClkData");
        while (st.step()) {
            out << "INSERT INTO ClkData (Date, Time, MobileNo, Name, Status, Distance, Lat, Lon, Used) VALUES (";
            for (int i = 0; i < 8; ++i)
                out << st.columnText(i) << ", ";
            out << "0);\n";
        }
        out << "COMMIT;\n";
    }
    const fs::path fresh = work / "shell";
    copyHome(home, fresh);
    const std::string cmd = "sqlite3 '" + (fresh / "tallix.db").string() + "' < '" + sql.string() + "'";
    const double secs = secondsOf([&] {
        if (std::system(cmd.c_str()) != 0)
            throw std::runtime_error("the SQLite shell failed: " + cmd);
    });
    fs::remove_all(fresh);
    return secs;
}

/// SQLite's own shell writing a backup of the same database file (".backup"): seconds, or -1
/// without a shell.
double shellBackup(const fs::path& database, const fs::path& work)
{
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0)
        return -1;
    const fs::path copy = work / "shell-backup.db";
    fs::remove(copy);
    const std::string cmd = "sqlite3 '" + database.string() + "' \".backup '" + copy.string() + "'\"";
    const double secs = secondsOf([&] {
        if (std::system(cmd.c_str()) != 0)
            throw std::runtime_error("the SQLite shell failed: " + cmd);
    });
    fs::remove(copy);
    return secs;
}

/// The program's clock-processing pass against the plain row-by-row pass on two copies of
/// one home with its clockings imported: seconds of both, and whether every register pair,
/// used mark and log line agrees.
struct PassComparison {
    double fast = 0;
    double plain = 0; ///< the in-memory row-by-row reference
    double walk = 0;  ///< the same rules walking the cursors row by row
    bool identical = false;
    long logLines = 0;
};

PassComparison comparePasses(const fs::path& prepared, const fs::path& work)
{
    const fs::path a = work / "fast";
    const fs::path b = work / "plain";
    copyHome(prepared, a);
    copyHome(prepared, b);
    PassComparison c;
    std::vector<std::string> fastLog;
    {
        app::Program p(optionsFor(a));
        p.FormCreate();
        p.FormShow();
        BenchServices ui;
        ui.keepLog = &fastLog;
        // The pass as its command runs it: with the grids read afresh afterwards.
        const app::Command& command = *app::findCommand("ProcessClockData1Click");
        c.fast = secondsOf([&] {
            p.runCommand(command.effects, &ui,
                         [&] { registers::processClockData(p.db(), ui, p.regional(), registers::ProcessMode::Reset); });
        });
        p.FormClose();
    }
    // The pass closes its log with a summary line that the references do not write.
    if (!fastLog.empty() && fastLog.back().find(" placed, ") != std::string::npos)
        fastLog.pop_back();
    std::vector<std::string> plainLog;
    {
        store::Database db((b / "tallix.db").string());
        reference::Tally tally;
        c.plain = secondsOf([&] { plainLog = reference::pass(db, true, tally); });
    }
    const fs::path w = work / "walk";
    copyHome(prepared, w);
    std::vector<std::string> walkLog;
    {
        app::Program p(optionsFor(w));
        p.FormCreate();
        p.FormShow();
        BenchServices ui;
        c.walk = secondsOf([&] {
            store::Transaction tx(p.db());
            walkLog = bench::cursorWalkPass(p.db(), p.tables(), ui, p.regional());
            tx.commit();
        });
        p.FormClose();
    }
    store::Database fa((a / "tallix.db").string());
    store::Database pl((b / "tallix.db").string());
    store::Database wa((w / "tallix.db").string());
    const std::string reg = "SELECT EmployeeNo, Date, Shift, INTime, OUTTime, In1, Out1, In2, Out2, In3, Out3, In4, "
                            "Out4, In5, Out5 FROM Attendance ORDER BY EmployeeNo, Date";
    const std::string used = "SELECT Inc, Used FROM ClkData ORDER BY Inc";
    c.identical = lines(fa, reg) == lines(pl, reg) && lines(fa, used) == lines(pl, used) && fastLog == plainLog
                  && lines(fa, reg) == lines(wa, reg) && lines(fa, used) == lines(wa, used) && fastLog == walkLog;
    c.logLines = static_cast<long>(fastLog.size());
    fs::remove_all(a);
    fs::remove_all(b);
    fs::remove_all(w);
    return c;
}

int run(const std::string& size, const fs::path& home, int runs)
{
    const fs::path work = home.parent_path() / (home.filename().string() + "-run");
    const std::vector<CommandStep> commands = commandSteps();
    std::vector<Step> steps{{kStartupStep, "<= 1 s, <= 200 MB", 1.0, {}}};
    for (const CommandStep& c : commands)
        steps.push_back({c.name, c.target, c.limitSeconds, {}});
    double wholePeak = 0;
    long resultLines = 0;
    std::vector<double> shellBackups;
    for (int r = 0; r < runs; ++r) {
        copyHome(home, work);
        {
            // Start-up and shut-down in a process of their own, as the program starts:
            // its time and its peak memory, not this process's.
            const ChildRun child = runSelf({"startup", work.string()});
            steps[0].seconds.push_back(child.seconds);
            steps[0].peak = std::max(steps[0].peak, child.peakMb);
        }
        app::Program p(optionsFor(work));
        p.FormCreate();
        p.FormShow();
        BenchServices ui;
        PlainDriver driver(p, ui);
        for (std::size_t s = 0; s < commands.size(); ++s) {
            const CommandStep& c = commands[s];
            Step& st = steps[s + 1];
            resetPeak();
            const auto t0 = Clock::now();
            c.run(driver, work);
            st.seconds.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
            st.peak = std::max(st.peak, peakMb());
            wholePeak = std::max(wholePeak, st.peak);
            if (c.key == "process")
                resultLines = ui.resultLines;
            if (c.key == "backup") {
                // The same database copied by SQLite's own shell: the copy just written, not
                // the live file (this process has opened the live file outside SQLite, which
                // drops its locks; another program on it would take it for unused and remove
                // its log under this one).
                const std::vector<fs::path> made = app::backupsIn(work / "backups");
                const double shell = made.empty() ? -1 : shellBackup(made.back(), work);
                if (shell > 0)
                    shellBackups.push_back(shell);
            }
            if (r == 0 && c.key == "import") {
                // The clockings as the phone import stored them, for the SQLite shell comparison.
                p.db().exec("PRAGMA wal_checkpoint(TRUNCATE)");
                fs::copy_file(work / "tallix.db", work.parent_path() / "imported.db",
                              fs::copy_options::overwrite_existing);
            }
            if (r == 0 && c.key == "scanner") {
                // The home with both imports done: where the two processing passes start.
                p.db().exec("PRAGMA wal_checkpoint(TRUNCATE)");
                copyHome(work, work.parent_path() / "prepared");
            }
        }
        p.FormClose();
        std::cerr << "run " << r + 1 << " of " << runs << " done\n";
    }

    {
        // "Reset and Process Clock Data" as a script runs it: a tallix-cli process of its own
        // on the home with both imports done, start-up, the pass, its log on standard output
        // and shut-down included.
        Step cli{"Reset and Process Clock Data, a whole tallix-cli process", "<= 1.5 s", 1.5, {}};
        const fs::path cliHome = work.parent_path() / (home.filename().string() + "-cli");
        for (int r = 0; r < runs; ++r) {
            copyHome(work.parent_path() / "prepared", cliHome);
            ::sync(); // the copy's write-back is no part of the run
            const ChildRun child = runProgram(
                TALLIX_CLI, {"--home", cliHome.string(), "--today", "2026-04-01", "--yes", "ProcessClockData1Click"});
            cli.seconds.push_back(child.seconds);
            cli.peak = std::max(cli.peak, child.peakMb);
        }
        fs::remove_all(cliHome);
        const auto process = std::find_if(steps.begin(), steps.end(),
                                          [](const Step& st) { return st.name == "Reset and Process Clock Data"; });
        steps.insert(process == steps.end() ? steps.end() : process + 1, cli);
    }

    std::printf("\nSite %s, %d run(s), release build. Medians in seconds; peak resident memory per step.\n\n",
                size.c_str(), runs);
    std::printf("| step | median s | peak MB | target | met |\n|---|---:|---:|---|---|\n");
    bool allMet = true;
    for (const Step& st : steps) {
        const double m = median(st.seconds);
        const bool startup = &st == &steps.front();
        const bool met = (st.limitSeconds == 0 || m <= st.limitSeconds) && (!startup || st.peak <= 200);
        allMet = allMet && met;
        std::printf("| %s | %.3f | %.0f | %s | %s |\n", st.name.c_str(), m, st.peak,
                    st.target.empty() ? "-" : st.target.c_str(),
                    st.limitSeconds == 0 ? "-"
                    : met                ? "yes"
                                         : "NO");
    }
    std::printf("| whole run | | %.0f | <= 1024 MB | %s |\n", wholePeak, wholePeak <= 1024 ? "yes" : "NO");
    std::printf("\nResult log lines written by Reset and Process Clock Data: %ld\n", resultLines);

    const double ours = median(steps[1].seconds);
    const double shell = shellImport(home, work.parent_path() / "imported.db", work);
    if (shell > 0) {
        const bool met = ours <= 2 * shell;
        allMet = allMet && met;
        std::printf("\nPhone import against the SQLite shell storing the same rows in one transaction: %.3f s against "
                    "%.3f s, ratio %.2f (target <= 2): %s\n",
                    ours, shell, ours / shell, met ? "met" : "NOT met");
    } else {
        std::printf("\nPhone import against the SQLite shell: no sqlite3 shell on this machine\n");
    }
    const auto backup = std::find_if(steps.begin(), steps.end(),
                                     [](const Step& st) { return st.name.rfind("Back Up Database", 0) == 0; });
    if (!shellBackups.empty() && backup != steps.end()) {
        const double oursBackup = median(backup->seconds);
        const double shellMedian = median(shellBackups);
        const bool met = oursBackup <= shellMedian * 1.1;
        allMet = allMet && met;
        std::printf("Back Up Database against the SQLite shell's .backup of the same file: %.3f s against %.3f s, "
                    "ratio %.2f (target <= 1, 10%% for noise): %s\n",
                    oursBackup, shellMedian, oursBackup / shellMedian, met ? "met" : "NOT met");
    }
    if (size == "M" || size == "S") {
        const PassComparison c = comparePasses(work.parent_path() / "prepared", work);
        const double ratio = c.fast > 0 ? c.walk / c.fast : 0;
        const bool met = c.identical && ratio >= 100;
        allMet = allMet && met;
        std::printf("Reset and Process Clock Data, the program's pass against the row-by-row walk of the cursors: "
                    "%.3f s against %.3f s, %.0fx (target >= 100x); against the in-memory row-by-row reference "
                    "%.3f s (%.1fx); results of all three %s (%ld log lines): %s\n",
                    c.fast, c.walk, ratio, c.plain, c.fast > 0 ? c.plain / c.fast : 0,
                    c.identical ? "identical" : "DIFFERENT", c.logLines, met ? "met" : "NOT met");
    }
    fs::remove_all(work);
    fs::remove(work.parent_path() / "imported.db");
    fs::remove_all(work.parent_path() / "prepared");
    return allMet ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() >= 3 && args[0] == "generate") {
            const auto site =
                bench::generateSite(args[2], bench::siteSize(args[1]),
                                    args.size() > 3 ? static_cast<std::uint32_t>(std::stoul(args[3])) : 2026);
            std::printf("%s: %d phone lines (+%d on the last day), %d scanner lines, %lld history rows\n",
                        site.home.c_str(), site.phoneLines, site.extraLines, site.scannerLines,
                        static_cast<long long>(site.historyRows));
            return 0;
        }
        if (args.size() >= 2 && args[0] == "startup") {
            startUpAndShutDown(args[1]);
            return 0;
        }
        if (args.size() >= 3 && args[0] == "run")
            return run(args[1], args[2], args.size() > 3 ? std::stoi(args[3]) : 3);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tallix-bench: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: tallix-bench generate S|M|L|XL DIR [SEED]\n       tallix-bench run S|M|L|XL DIR [RUNS]\n");
    return 2;
}
