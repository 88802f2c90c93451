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

    /// tallix-cli on the home, on an American desk whatever this machine says.
    void cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"LC_ALL=en_US.UTF-8", "LANG=en_US.UTF-8", TALLIX_CLI, "--home", home.string(),
                                   "--today", "2026-04-01"});
        const testsupport::ProcessResult r = testsupport::runProcess("/usr/bin/env", args);
        ASSERT_EQ(r.code, 0) << r.out;
    }
    std::string pdfText(const fs::path& pdf)
    {
        const testsupport::ProcessResult r =
            testsupport::runProcess("/usr/bin/pdftotext", {"-layout", pdf.string(), "-"});
        EXPECT_EQ(r.code, 0) << "pdftotext could not read " << pdf << " (scripts/deps installs poppler-utils)";
        return r.out;
    }
};

TEST_F(Printing, TimesheetsAndPeriodReportHoldEveryEmployeeWithThePayrollTotals)
{
    cli({"--demo"});
    const auto h = [&](const char* name) { return (home / name).string(); };
    cli({"--open", h("clockdata.txt"), "ImportPreviousdownloadedfiles1Click", "--open", h("scanner.dat"),
         "DownloadfromBiometricUnit1Click", "--yes", "ProcessClockData1Click", "Summarise1Click", "--save", h("pay"),
         "ExportNTOT1OT2HT1Click", "--save", h("sheets"), "PrintTimesheets1Click", "--save", h("report"),
         "PrintPeriodReport1Click"});
    ASSERT_TRUE(fs::exists(home / "sheets.pdf")) << "the default extension pdf";
    ASSERT_TRUE(fs::exists(home / "report.pdf"));

    // PayrollNo,NT,OT1,OT2,HT,Name,MobileNo
    std::vector<std::vector<std::string>> payroll;
    for (const std::string& line : split(testsupport::readFile(home / "pay.csv"), '\n'))
        if (!line.empty() && line.rfind("PayrollNo,", 0) != 0)
            payroll.push_back(split(line.substr(0, line.find('\r')), ','));
    ASSERT_EQ(payroll.size(), 6u);

    const std::string sheets = pdfText(home / "sheets.pdf");
    const std::string report = pdfText(home / "report.pdf");
    // A timesheet per employee, each its own section from "TIMESHEET" to the next.
    std::vector<std::string> sections;
    for (std::size_t at = sheets.find("TIMESHEET"); at != std::string::npos;) {
        const std::size_t next = sheets.find("TIMESHEET\n", at + 1);
        sections.push_back(sheets.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    ASSERT_EQ(sections.size(), payroll.size()) << sheets;
    for (std::size_t i = 0; i < payroll.size(); ++i) {
        const std::vector<std::string>& p = payroll[i];
        const std::string& name = p[5];
        SCOPED_TRACE(name);
        EXPECT_NE(sections[i].find(name), std::string::npos);
        EXPECT_NE(sections[i].find("PayrollNo " + p[0]), std::string::npos);
        EXPECT_NE(sections[i].find("Employee's signature"), std::string::npos);
        EXPECT_NE(sections[i].find("Page "), std::string::npos);
        std::string totals;
        for (const std::string& line : split(sections[i], '\n'))
            if (line.find("Totals") != std::string::npos)
                totals = line;
        // NHrs HrsIN NT OT1 OT2 HT: the last four are the payroll's NT, OT1, OT2, HT.
        const std::vector<std::string> t = lastWords(totals, 6);
        ASSERT_EQ(t.size(), 6u) << totals;
        EXPECT_EQ(
            (std::vector<std::string>{t[2], t[3], t[4], t[5]}),
            (std::vector<std::string>{twoDecimals(p[1]), twoDecimals(p[2]), twoDecimals(p[3]), twoDecimals(p[4])}))
            << totals;

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
}

TEST_F(Printing, ATimeTypedIntoTheRegisterCarriesAnAsteriskAndTheFootnote)
{
    cli({"--demo"});
    cli({"--open", (home / "clockdata.txt").string(), "ImportPreviousdownloadedfiles1Click", "--yes",
         "ProcessClockData1Click"});
    {
        // What the grid leaves behind when the clerk types Thandi's OUT of 2 March.
        store::Database db((home / "tallix.db").string());
        db.exec("UPDATE Attendance SET Out2 = '17:30:00' WHERE EmployeeNo = 1 AND Date = '2026-03-02'");
        db.exec("INSERT INTO TypedTimes (EmployeeNo, Date, Field, OldValue, NewValue, ChangedAt) VALUES "
                "(1, '2026-03-02', 'Out2', '17:03:33', '17:30:00', '2026-04-01 10:00:00')");
    }
    cli({"--save", (home / "sheets.pdf").string(), "PrintTimesheets1Click"});
    const std::string text = pdfText(home / "sheets.pdf");
    const std::size_t second = text.find("TIMESHEET\n", 1);
    const std::string first = text.substr(0, second);
    EXPECT_NE(first.find("5:30:00 PM*"), std::string::npos) << first; // as the register shows it, marked
    EXPECT_NE(first.find("* typed into the register by hand, not clocked"), std::string::npos);
    EXPECT_EQ(text.find('*', second), std::string::npos) << "the other timesheets hold no typed time";
}

TEST_F(Printing, AnEmptySiteStillGivesADocumentThatSaysSo)
{
    cli({"--save", (home / "sheets.pdf").string(), "PrintTimesheets1Click", "--save", (home / "report.pdf").string(),
         "PrintPeriodReport1Click"});
    EXPECT_NE(pdfText(home / "sheets.pdf").find("No employee is on the register."), std::string::npos);
    EXPECT_NE(pdfText(home / "report.pdf").find("Grand totals (0 employees)"), std::string::npos);
}

} // namespace
