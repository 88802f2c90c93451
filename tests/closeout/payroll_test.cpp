// The two payroll files: the employee totals as they stand, one line per employee.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "closeout/payroll.h"
#include "core/regional.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using closeout::PayrollFormat;
using core::WindowServices;
using testsupport::FakeServices;
using testsupport::readFile;

class PayrollTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Database& db = *s.db;
    store::Tables& t = *s.tables;
    FakeServices ui;
    testsupport::TempDir dir;

    void SetUp() override { t.openAll(); }

    void sql(const std::string& text)
    {
        db.exec(text);
        t.EmployeeTable.invalidateCache();
        t.EmployeeTable.refresh();
    }

    /// Four employees, stored out of number order: plain values, values that need the general
    /// format and quoting, a row with nothing in it, and empty totals among filled ones.
    void addEmployees()
    {
        sql("INSERT INTO Employee (No, PayrollNo, Name, MobileNo, NT, OT1, OT2, HT) VALUES "
            "(2, 'P2', 'Smith, \"Bob\"', '0822', 1.0 / 3, 5e-5, NULL, 0),"
            "(4, 'P4', 'Dan', '0824', 120.5, NULL, NULL, 8),"
            "(1, 'P1', 'Ann', '0821', 37.5, 0, 2.25, 40),"
            "(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    }

    std::string exportTo(PayrollFormat format, const core::Regional& regional, const std::string& name = "pay.csv")
    {
        ui.saveFiles.push_back(dir / name);
        const auto written =
            testsupport::asCommand(s, ui, {}, [&] { return closeout::exportPayroll(db, ui, regional, format); });
        EXPECT_TRUE(written && written->file == dir / name);
        return readFile(dir / name);
    }
};

TEST_F(PayrollTest, FormatAHasEveryTotalAsItStands)
{
    addEmployees();
    testsupport::writeFile(dir / "pay.csv", std::string(500, 'x')); // an older, longer file is replaced

    const std::string file = exportTo(PayrollFormat::A, s.regional);

    EXPECT_EQ(file, "PayrollNo,NT,OT1,OT2,HT,Name,MobileNo\r\n"
                    "P1,37.5,0,2.25,40,Ann,0821\r\n"
                    "P2,0.333333333333333,5E-5,,0,\"Smith, \"\"Bob\"\"\",0822\r\n"
                    ",,,,,,\r\n"
                    "P4,120.5,,,8,Dan,0824\r\n");
    EXPECT_EQ(ui.saveDialogs, std::vector<WindowServices::SaveDialog>{WindowServices::SaveDialog::EmployeeFile});
    // The row with nothing in it is an employee's line too; the header is not counted.
    EXPECT_EQ(ui.result, std::vector<std::string>{"pay.csv: 4 employee lines written"});
}

TEST_F(PayrollTest, FormatBAddsHolidayHoursToNormalTimeCountingEmptyAsZero)
{
    addEmployees();

    const std::string file = exportTo(PayrollFormat::B, s.regional);

    EXPECT_EQ(file, "PayrollNo,NT+HT,OT1,OT2,Name,MobileNo\r\n"
                    "P1,77.5,0,2.25,Ann,0821\r\n"
                    "P2,0.333333333333333,5E-5,,\"Smith, \"\"Bob\"\"\",0822\r\n"
                    ",0,,,,\r\n"
                    "P4,128.5,,,Dan,0824\r\n");
    EXPECT_EQ(ui.saveDialogs, std::vector<WindowServices::SaveDialog>{WindowServices::SaveDialog::EmployeeFile});
    EXPECT_EQ(ui.result, std::vector<std::string>{"pay.csv: 4 employee lines written"});
}

TEST_F(PayrollTest, RealsTakeTheLocalesDecimalSeparatorAndAreQuotedWhenItIsAComma)
{
    // Ann's totals hold fractions; Bob's are whole, so his line stays the plain layout.
    sql("INSERT INTO Employee (No, PayrollNo, Name, NT, OT1, OT2, HT) VALUES (1, 'P1', 'Ann', 37.5, 1.25, 40, 8), "
        "(2, 'P2', 'Bob', 40, 0, 0, 8)");
    const core::Regional german = core::Regional::pinned(QLocale(QLocale::German, QLocale::Germany));

    EXPECT_EQ(exportTo(PayrollFormat::A, german, "a.csv"),
              "PayrollNo,NT,OT1,OT2,HT,Name,MobileNo\r\nP1,\"37,5\",\"1,25\",40,8,Ann,\r\nP2,40,0,0,8,Bob,\r\n");
    EXPECT_EQ(exportTo(PayrollFormat::B, german, "b.csv"),
              "PayrollNo,NT+HT,OT1,OT2,Name,MobileNo\r\nP1,\"45,5\",\"1,25\",40,Ann,\r\nP2,48,0,0,Bob,\r\n");
    EXPECT_EQ(ui.result,
              (std::vector<std::string>{"a.csv: 2 employee lines written", "b.csv: 2 employee lines written"}));
}

TEST_F(PayrollTest, WithoutEmployeesOnlyTheHeaderIsWritten)
{
    EXPECT_EQ(exportTo(PayrollFormat::A, s.regional, "a.csv"), "PayrollNo,NT,OT1,OT2,HT,Name,MobileNo\r\n");
    EXPECT_EQ(exportTo(PayrollFormat::B, s.regional, "b.csv"), "PayrollNo,NT+HT,OT1,OT2,Name,MobileNo\r\n");
    EXPECT_EQ(ui.result,
              (std::vector<std::string>{"a.csv: 0 employee lines written", "b.csv: 0 employee lines written"}));
}

TEST_F(PayrollTest, CancelledDialogWritesNothing)
{
    addEmployees();
    for (PayrollFormat format : {PayrollFormat::A, PayrollFormat::B}) {
        ui.saveFiles.push_back(std::nullopt);
        EXPECT_FALSE(
            testsupport::asCommand(s, ui, {}, [&] { return closeout::exportPayroll(db, ui, s.regional, format); }));
    }
    EXPECT_EQ(ui.saveDialogs.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_TRUE(ui.result.empty());
}

} // namespace
