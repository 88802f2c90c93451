// The demo pay period under the regional settings that real desks have: the files written
// must read back, with a standard CSV reader, into as many fields as their headers name and
// into the same numbers whatever the decimal separator.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <QLocale>

#include "app/commands.h"
#include "app/demo.h"
#include "app/program.h"
#include "core/regional.h"
#include "support/fakeservices.h"
#include "support/process.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

using Rows = std::vector<std::vector<std::string>>;

/// The rows of a CSV file as Python's csv module reads them: an independent reader, so that
/// a quoting fault of the program cannot hide behind a reader with the same fault.
Rows readCsv(const fs::path& file)
{
    const std::string script = "import csv,sys\n"
                               "with open(sys.argv[1], newline='', encoding='latin-1') as f:\n"
                               "    for row in csv.reader(f):\n"
                               "        sys.stdout.write('\\x1e'.join(row) + '\\x1d')\n";
    const fs::path scriptFile = file.parent_path() / "read_csv.py";
    testsupport::writeFile(scriptFile, script);
    const testsupport::ProcessResult r =
        testsupport::runProcess("/usr/bin/python3", {scriptFile.string(), file.string()});
    EXPECT_EQ(r.code, 0) << "python3 could not read " << file;
    const std::string& out = r.out;
    Rows rows;
    std::size_t start = 0;
    for (std::size_t end = out.find('\x1d'); end != std::string::npos; end = out.find('\x1d', start)) {
        std::vector<std::string> fields;
        const std::string line = out.substr(start, end - start);
        std::size_t f = 0;
        for (std::size_t g = line.find('\x1e');; g = line.find('\x1e', f)) {
            fields.push_back(line.substr(f, g == std::string::npos ? std::string::npos : g - f));
            if (g == std::string::npos)
                break;
            f = g + 1;
        }
        rows.push_back(std::move(fields));
        start = end + 1;
    }
    return rows;
}

/// The value of a text written with a point, when the whole text is a number.
std::optional<double> numberWithPoint(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("-0123456789.E") != std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return std::nullopt;
    return v;
}

std::string withPoint(std::string text, const std::string& separator)
{
    if (separator == ".")
        return text;
    const std::size_t at = text.find(separator);
    if (at != std::string::npos)
        text.replace(at, separator.size(), ".");
    return text;
}

/// The files of the demo pay period, by name, run under the regional settings.
std::map<std::string, fs::path> runDemoPeriod(const core::Regional& regional, const fs::path& home)
{
    app::ProgramOptions o;
    o.home = home;
    o.today = core::encodeDate(2026, 4, 1);
    o.regional = regional;
    app::Program p(o);
    p.FormCreate();
    p.FormShow();
    app::prepareDemo(p, app::examplesFolder());
    testsupport::FakeServices ui;
    ui.answerAllYes = true;
    const fs::path out = home / "out";
    fs::create_directories(out);
    std::map<std::string, fs::path> files;
    auto run = [&](const char* handler) {
        const app::Command* c = app::findCommand(handler);
        EXPECT_NE(c, nullptr) << handler;
        app::execute(p, ui, *c);
    };
    auto save = [&](const char* handler, const std::string& name) {
        files[name] = out / name;
        ui.saveFiles.push_back(files[name]);
        run(handler);
    };
    ui.openFiles.push_back(home / "clockdata.txt");
    run("ImportPreviousdownloadedfiles1Click");
    ui.openFiles.push_back(home / "scanner.dat");
    run("DownloadfromBiometricUnit1Click");
    run("ProcessClockData1Click");
    run("Summarise1Click");
    run("ApplyFULLHOURSworkbeforeOVERTIME1Click");
    save("ExportNTOT1OT2HT1Click", "payroll_a.csv");
    save("ExportNTHTOT1OT21Click", "payroll_b.csv");
    save("ExportEmployees1Click", "employees.csv");
    run("POSTtoHISTORYFILE1Click");
    run("Button11Click");
    save("Button13Click", "history_detail.csv");
    run("Button14Click");
    save("Button16Click", "history_summaries.csv");
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
    p.FormClose();
    return files;
}

TEST(Locales, DemoPayPeriodWritesTheSameNumbersUnderEveryRegionalSetting)
{
    const std::vector<std::pair<const char*, QLocale>> locales{
        {"C", QLocale::c()},
        {"en_US", QLocale(QLocale::English, QLocale::UnitedStates)},
        {"en_GB", QLocale(QLocale::English, QLocale::UnitedKingdom)},
        {"en_ZA", QLocale(QLocale::English, QLocale::SouthAfrica)},
        {"de_DE", QLocale(QLocale::German, QLocale::Germany)},
        {"fr_FR", QLocale(QLocale::French, QLocale::France)},
    };
    testsupport::TempDir dir;
    std::map<std::string, Rows> reference; ///< the files under C
    bool sawAComma = false;
    for (const auto& [name, locale] : locales) {
        SCOPED_TRACE(name);
        const core::Regional regional = core::Regional::pinned(locale);
        const std::string separator = regional.decimalSeparator();
        const auto files = runDemoPeriod(regional, dir / name);
        for (const auto& [file, path] : files) {
            SCOPED_TRACE(file);
            ASSERT_TRUE(fs::exists(path));
            const Rows rows = readCsv(path);
            ASSERT_GE(rows.size(), 2u) << "a header and at least one line";
            for (std::size_t r = 1; r < rows.size(); ++r)
                ASSERT_EQ(rows[r].size(), rows[0].size()) << "line " << r + 1 << " of " << path;
            if (std::string(name) == "C") {
                reference[file] = rows;
                continue;
            }
            const Rows& c = reference.at(file);
            ASSERT_EQ(rows.size(), c.size());
            EXPECT_EQ(rows[0], c[0]) << "the header";
            for (std::size_t r = 1; r < rows.size(); ++r) {
                for (std::size_t f = 0; f < rows[r].size(); ++f) {
                    const std::optional<double> want = numberWithPoint(c[r][f]);
                    if (!want)
                        continue; // a name, a date or a time: its form is regional
                    if (separator != "." && rows[r][f].find(separator) != std::string::npos)
                        sawAComma = true;
                    EXPECT_EQ(numberWithPoint(withPoint(rows[r][f], separator)), want)
                        << "line " << r + 1 << ", " << c[0][f] << ": '" << rows[r][f] << "' against '" << c[r][f]
                        << "'";
                }
            }
        }
    }
    EXPECT_TRUE(sawAComma) << "some total of the demo period is not whole, so the comma locales wrote one";
}

} // namespace
