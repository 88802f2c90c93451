// The printed timesheets and period report of the demo period, read back from the PDF files
// with pdftotext, against the payroll file of the same totals.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "store/sqlite.h"
#include "support/process.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep))
        parts.push_back(part);
    return parts;
}

/// The last `n` words of a line.
std::vector<std::string> lastWords(const std::string& line, std::size_t n)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    if (words.size() < n)
        return {};
    return {words.end() - static_cast<long>(n), words.end()};
}

std::string twoDecimals(const std::string& number)
{
    if (number.empty())
        return "";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", std::stod(number));
    return buf;
}

class Printing : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    fs::path home = dir / "home";

public:
    /// tallix-cli on the home, on an American desk whatever this machine says; its output.
    std::string cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"LC_ALL=en_US.UTF-8", "LANG=en_US.UTF-8", TALLIX_CLI, "--home", home.string(),
                                   "--today", "2026-04-01"});
        const testsupport::ProcessResult r = testsupport::runProcess("/usr/bin/env", args);
        EXPECT_EQ(r.code, 0) << r.out;
        return r.out;
    }
    std::string pdfText(const fs::path& pdf)
    {
        const testsupport::ProcessResult r =
            testsupport::runProcess("/usr/bin/pdftotext", {"-layout", pdf.string(), "-"});
        EXPECT_EQ(r.code, 0) << "pdftotext could not read " << pdf << " (scripts/deps installs poppler-utils)";
        return r.out;
    }
};

/// The demo period processed and summarised (and the full-hours rule applied when asked), the
/// payroll file, the timesheets and the period report written; every timesheet and report
/// line holds the payroll file's totals. Returns the timesheets, one section per employee,
/// by name.
std::map<std::string, std::string> printDemoPeriod(Printing& t, const fs::path& home, bool fullHours,
                                                   std::vector<std::string>& cliOut)
{
    t.cli({"--demo"});
    const auto h = [&](const char* name) { return (home / name).string(); };
    std::vector<std::string> args{"--open", h("clockdata.txt"),       "ImportPreviousdownloadedfiles1Click",
                                  "--open", h("scanner.dat"),         "DownloadfromBiometricUnit1Click",
                                  "--yes",  "ProcessClockData1Click", "Summarise1Click"};
    if (fullHours)
        args.push_back("ApplyFULLHOURSworkbeforeOVERTIME1Click");
    args.insert(args.end(), {"--save", h("pay"), "ExportNTOT1OT2HT1Click", "--save", h("sheets"),
                             "PrintTimesheets1Click", "--save", h("report"), "PrintPeriodReport1Click"});
    cliOut = split(t.cli(args), '\n');
    EXPECT_TRUE(fs::exists(home / "sheets.pdf")) << "the default extension pdf";
    EXPECT_TRUE(fs::exists(home / "report.pdf"));

    // PayrollNo,NT,OT1,OT2,HT,Name,MobileNo
    std::vector<std::vector<std::string>> payroll;
    for (const std::string& line : split(testsupport::readFile(home / "pay.csv"), '\n'))
        if (!line.empty() && line.rfind("PayrollNo,", 0) != 0)
            payroll.push_back(split(line.substr(0, line.find('\r')), ','));
    EXPECT_EQ(payroll.size(), 6u);

    const std::string sheets = t.pdfText(home / "sheets.pdf");
    const std::string report = t.pdfText(home / "report.pdf");
    // A timesheet per employee, each its own section from "TIMESHEET" to the next.
    std::vector<std::string> sections;
    for (std::size_t at = sheets.find("TIMESHEET"); at != std::string::npos;) {
        const std::size_t next = sheets.find("TIMESHEET\n", at + 1);
        sections.push_back(sheets.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    EXPECT_EQ(sections.size(), payroll.size()) << sheets;
    std::map<std::string, std::string> byName;
    for (std::size_t i = 0; i < payroll.size() && i < sections.size(); ++i) {
        const std::vector<std::string>& p = payroll[i];
        const std::string& name = p[5];
        SCOPED_TRACE(name);
        byName[name] = sections[i];
        EXPECT_NE(sections[i].find(name), std::string::npos);
        EXPECT_NE(sections[i].find("PayrollNo " + p[0]), std::string::npos);
        EXPECT_NE(sections[i].find("Employee's signature"), std::string::npos);
        EXPECT_NE(sections[i].find("Page "), std::string::npos);
        std::string totals;
        for (const std::string& line : split(sections[i], '\n'))
            if (line.find("Totals") != std::string::npos)
                totals = line;
        // NHrs HrsIN NT OT1 OT2 HT: the last four are the payroll's NT, OT1, OT2, HT.
        const std::vector<std::string> w = lastWords(totals, 6);
        EXPECT_EQ(w.size(), 6u) << totals;
        if (w.size() == 6u) {
            EXPECT_EQ(
                (std::vector<std::string>{w[2], w[3], w[4], w[5]}),
                (std::vector<std::string>{twoDecimals(p[1]), twoDecimals(p[2]), twoDecimals(p[3]), twoDecimals(p[4])}))
                << totals;
        }

        std::string reportLine;
        for (const std::string& line : split(report, '\n'))
            if (line.find(name) != std::string::npos)
                reportLine = line;
        EXPECT_EQ(lastWords(reportLine, 4), (std::vector<std::string>{twoDecimals(p[1]), twoDecimals(p[2]),
                                                                      twoDecimals(p[3]), twoDecimals(p[4])}))
            << reportLine;
    }
    EXPECT_NE(report.find("Grand totals (6 employees)"), std::string::npos) << report;
    EXPECT_NE(report.find("Page 1 of 1"), std::string::npos) << report;
    return byName;
}

TEST_F(Printing, TimesheetsAndPeriodReportHoldEveryEmployeeWithThePayrollTotals)
{
    std::vector<std::string> out;
    for (const auto& [name, sheet] : printDemoPeriod(*this, home, false, out)) {
        SCOPED_TRACE(name);
        EXPECT_EQ(sheet.find("FULL HOURS"), std::string::npos);
        EXPECT_EQ(sheet.find("These totals are"), std::string::npos);
    }
}

// The paper the employee signs says what the payroll file pays, also after the full-hours
// rule moved OT1 into NT, and says so.
TEST_F(Printing, AfterTheFullHoursRuleTheTimesheetHoldsThePayrollTotalsAndSaysWhatMoved)
{
    std::vector<std::string> out;
    const std::map<std::string, std::string> sheets = printDemoPeriod(*this, home, true, out);
    ASSERT_TRUE(sheets.count("Pieter van Wyk"));
    const std::string& pieter = sheets.at("Pieter van Wyk");
    EXPECT_NE(pieter.find("FULL HOURS before OVERTIME applied:"), std::string::npos) << pieter;
    EXPECT_NE(pieter.find("of the days' OT1 are paid as NT"), std::string::npos) << pieter;
    std::size_t moved = 0;
    for (const auto& [name, sheet] : sheets) {
        moved += sheet.find("FULL HOURS before OVERTIME applied:") != std::string::npos ? 1 : 0;
        EXPECT_EQ(sheet.find("These totals are"), std::string::npos) << name;
    }
    EXPECT_LT(moved, sheets.size()) << "the rule moves hours only where NT falls short";
}

TEST_F(Printing, ATimeTypedIntoTheRegisterCarriesAnAsteriskAndTheFootnote)
{
    cli({"--demo"});
    cli({"--open", (home / "clockdata.txt").string(), "ImportPreviousdownloadedfiles1Click", "--yes",
         "ProcessClockData1Click"});
    // The clerk types Thandi's OUT of 2 March; a late file makes the register be rebuilt.
    cli({"--type", "1,2026-03-02,Out2=17:30:00"});
    cli({"--yes", "ProcessClockData1Click"});
    const std::string out = cli({"--save", (home / "sheets.pdf").string(), "PrintTimesheets1Click"});
    const std::string text = pdfText(home / "sheets.pdf");
    const std::size_t second = text.find("TIMESHEET\n", 1);
    const std::string first = text.substr(0, second);
    EXPECT_NE(first.find("5:30:00 PM*"), std::string::npos) << first; // as the register shows it, marked
    EXPECT_NE(first.find("* typed into the register by hand, not clocked"), std::string::npos);
    // Not summarised since: the totals that would go to payroll are not the days, and the
    // sheet and the Result page say so.
    EXPECT_NE(first.find("These totals are the employee's totals as they stand, not the days above"), std::string::npos)
        << first;
    EXPECT_NE(out.find("result: 6 timesheets show totals that are not the sum of the days: run \"Summarise\" and "
                       "print again."),
              std::string::npos)
        << out;
    EXPECT_EQ(text.find('*', second), std::string::npos) << "the other timesheets hold no typed time";
}

// Timesheets onto a full disk (here a file-size limit of 40 KiB, in the shell's 512-byte
// blocks: room for the database's 32 KiB shared-memory file, not for the timesheets): the
// runner fails with the system's words, and the timesheets printed before stay as they were.
TEST_F(Printing, TimesheetsOntoAFullDiskFailAndLeaveTheOnesBefore)
{
    std::vector<std::string> out;
    printDemoPeriod(*this, home, false, out);
    const std::string before = testsupport::readFile(home / "sheets.pdf");
    ASSERT_GT(before.size(), 40u * 1024u);
    const testsupport::ProcessResult r = testsupport::runProcess(
        "/bin/sh", {"-c", "ulimit -f 80; exec \"$0\" \"$@\" 2>&1", TALLIX_CLI, "--home", home.string(), "--today",
                    "2026-04-01", "--save", (home / "sheets.pdf").string(), "PrintTimesheets1Click"});
    EXPECT_NE(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("File too large"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("written"), std::string::npos) << r.out;
    EXPECT_EQ(testsupport::readFile(home / "sheets.pdf"), before);
}

TEST_F(Printing, AnEmptySiteStillGivesADocumentThatSaysSo)
{
    cli({"--save", (home / "sheets.pdf").string(), "PrintTimesheets1Click", "--save", (home / "report.pdf").string(),
         "PrintPeriodReport1Click"});
    EXPECT_NE(pdfText(home / "sheets.pdf").find("No employee is on the register."), std::string::npos);
    EXPECT_NE(pdfText(home / "report.pdf").find("Grand totals (0 employees)"), std::string::npos);
}

} // namespace
