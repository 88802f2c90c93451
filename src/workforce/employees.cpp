#include "workforce/employees.h"

#include <algorithm>
#include <limits>

#include "core/csvline.h"
#include "core/error.h"
#include "core/numparse.h"
#include "core/services.h"
#include "core/textfile.h"
#include "core/textlines.h"
#include "store/cursor.h"
#include "store/record.h"
#include "store/sqlite.h"

namespace workforce {

using core::Value;

namespace {

/// A setup value as a number: the regional separator or a point, as the Setup page takes it.
double setupNumber(const char* key, const char* column, const std::string& text, const core::Regional& regional)
{
    double v = 0;
    if (core::tryParseRealOrPoint(text, regional, v))
        return v;
    throw SetupValueError(std::string("Setup value ") + key + " (the " + column + " of a new employee): '" + text
                          + "' is not a valid floating point value");
}

/// The columns people type and spreadsheets show.
constexpr const char* kPersonColumns[] = {"Name", "MobileNo", "PayrollNo"};

bool isPersonColumn(std::string_view column)
{
    return std::find(std::begin(kPersonColumns), std::end(kPersonColumns), column) != std::end(kPersonColumns);
}

/// Employee numbers are 32-bit throughout (the register link, the history, the payroll files).
constexpr const char* kNumberTooLarge = "The employee number is above the highest employee number, 2147483647!";

/// Digits with an optional sign: a number, even when it is too large for an employee number.
bool isWholeNumber(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

void EmployeeTableNewRecord(store::Cursor& c, const EmployeeDefaults& d, const core::Regional& regional)
{
    c.setText("FlexiTime", d.flexiTime);
    c.setReal("Lat", setupNumber("LATITUDE", "Lat", d.latitude, regional));
    c.setReal("Lon", setupNumber("LONGITUDE", "Lon", d.longitude, regional));
    c.setInteger("ShiftNo", 1);
    c.setReal("Lunch", setupNumber("MINUTES_BREAK", "Lunch", d.minutesBreak, regional));
    c.setReal("HrsBefore", setupNumber("MIN_HOURS", "HrsBefore", d.minHours, regional));
    c.setReal("WorkEarly", setupNumber("VROEG", "WorkEarly", d.vroeg, regional));
    c.setReal("WorkLate", setupNumber("LAAT", "WorkLate", d.laat, regional));
    c.setReal("Play", setupNumber("SPELING", "Play", d.speling, regional));
}

std::optional<std::string> formulaRefusal(const char* column, const std::string& text)
{
    const std::optional<std::string> start = core::formulaStart(text);
    if (!start)
        return std::nullopt;
    return std::string(column) + " '" + text + "' begins with " + *start
           + ", which a spreadsheet opening the payroll files would run as a formula: please type it without "
             "that at the start.";
}

std::optional<std::string> numberInUse(store::Database& db, const std::string& mobile, const std::string& payroll,
                                       std::int64_t rowid)
{
    store::Statement st(db, "SELECT No, ifnull(Name, '') FROM Employee WHERE rowid <> ? AND (MobileNo = ? OR "
                            "PayrollNo = ?) ORDER BY No LIMIT 1");
    for (const auto& [column, number] : {std::pair{"MobileNo", &mobile}, std::pair{"PayrollNo", &payroll}}) {
        if (number->empty())
            continue;
        st.bind(1, rowid);
        st.bind(2, std::string_view(*number));
        st.bind(3, std::string_view(*number));
        if (st.step())
            return std::string(column) + " " + *number + " is already the clock number of employee "
                   + std::to_string(st.columnInt(0)) + " " + st.columnText(1)
                   + ": one clock number clocks for one employee only.";
        st.reset();
    }
    return std::nullopt;
}

void EmployeeTableBeforePost(store::Database& db, const store::Cursor& c, const store::Record* before,
                             const store::Record& after)
{
    for (const char* column : kPersonColumns) {
        const std::string text = after.asText(column);
        if (before != nullptr && before->asText(column) == text)
            continue;
        if (const auto refusal = formulaRefusal(column, text))
            throw core::Error(*refusal);
    }
    const std::string mobile = after.asText("MobileNo");
    const std::string payroll = after.asText("PayrollNo");
    if (before != nullptr && before->asText("MobileNo") == mobile && before->asText("PayrollNo") == payroll)
        return;
    if (const auto refusal = numberInUse(db, mobile, payroll, c.editedRowid()))
        throw core::Error(*refusal);
}

void setFlexiTime(store::Cursor& c, bool yes)
{
    if (c.recordCount() == 0)
        return;
    c.edit();
    c.setText("FlexiTime", yes ? "YES" : "NO");
    c.post();
}

std::array<std::string, 4> splitEmployeeLine(std::string_view line)
{
    std::array<std::string, 4> fields;
    core::LineCursor cursor(line, core::lineRules::employeeFile);
    for (std::string& field : fields) {
        if (auto f = cursor.tryField()) {
            field = std::move(*f);
            continue;
        }
        // A spreadsheet writes no comma after the last field: the rest of the line is it.
        field = cursor.rest();
        break;
    }
    return fields;
}

void exportEmployees(store::Cursor& c, core::WindowServices& ui)
{
    const auto file = ui.saveFile(core::WindowServices::SaveDialog::EmployeeFile);
    if (!file)
        return;
    static const char* const columns[] = {"No",       "Name",    "MobileNo", "PayrollNo", "FlexiTime",
                                          "ShiftNo",  "FullHrs", "Lunch",    "HrsBefore", "WorkEarly",
                                          "WorkLate", "Play",    "Lat",      "Lon"};
    core::TextFileWriter out(*file);
    out.writeLine(
        "No,Name,MobileNo,PayrollNo,FlexiTime,ShiftNo,FullHrs,Lunch,HrsBefore,WorkEarly,WorkLate,Play,Lat,Lon");
    store::DisplaySuspended quiet(c);
    for (c.first(); !c.eof(); c.next()) {
        std::string line;
        for (const char* col : columns) {
            if (!line.empty() || col != columns[0])
                line += ',';
            const std::string text = c.asText(col);
            line += core::csvField(isPersonColumn(col) ? core::asSpreadsheetText(text) : text);
        }
        out.writeLine(line);
    }
    out.close();
}

void importEmployees(store::Database& db, store::Cursor& c, core::WindowServices& ui)
{
    ui.clearResult();
    c.last();
    std::int64_t k = c.asInteger("No");
    bool aboveHistory = false;
    const auto file = ui.openFile("Import Employees");
    if (!file)
        return;
    core::TextLineReader in(*file); // a "CSV UTF-8" file starts with a mark that is no part of the first line
    {
        store::DisplaySuspended quiet(c);
        core::startProgress(ui, "Importing employees...",
                            static_cast<int>(std::min<std::uintmax_t>(in.size(), 1u << 30)));
        std::string line;
        while (in.readLine(line)) {
            ui.setProgressPosition(static_cast<int>(std::min<std::uintmax_t>(in.position(), 1u << 30)));
            const auto fields = splitEmployeeLine(line);
            std::int32_t number = 0;
            if (!core::tryParseInt(fields[0], number)) {
                if (isWholeNumber(fields[0]))
                    ui.appendResult(line + ":" + kNumberTooLarge);
                else
                    ui.appendResult(line + ":This line contains an invalid number for the first field!");
                continue;
            }
            std::int64_t no = number;
            if (no == 0) {
                if (!aboveHistory) {
                    // New numbers start above every number the posted history holds too: a
                    // number of someone deleted since would mix two people's history under
                    // one No. Each posted employee has a row of summaries, a far smaller
                    // table than the history's days; it is read once, and only when needed.
                    store::Statement st(db, "SELECT ifnull(max(Employee), 0) FROM Summaries");
                    if (st.step())
                        k = std::max(k, st.columnInt(0));
                    aboveHistory = true;
                }
                if (k >= std::numeric_limits<std::int32_t>::max()) {
                    ui.appendResult(line + ":" + kNumberTooLarge);
                    continue;
                }
                no = ++k;
            }
            if (c.findKey(Value::integer(no))) {
                ui.appendResult(std::to_string(no) + " ='" + std::to_string(no)
                                + "' already exists in the employee table");
                continue;
            }
            std::optional<std::string> formula;
            for (std::size_t i = 0; i < 3 && !formula; ++i)
                formula = formulaRefusal(kPersonColumns[i], fields[i + 1]);
            if (formula) {
                ui.appendResult(line + ":" + *formula);
                continue;
            }
            if (const auto refusal = numberInUse(db, fields[2], fields[3], 0)) {
                ui.appendResult(line + ":" + *refusal);
                continue;
            }
            try {
                c.append();
                c.setInteger("No", no);
                c.setText("Name", fields[1]);
                c.setText("MobileNo", fields[2]);
                c.setText("PayrollNo", fields[3]);
                c.post();
            } catch (const SetupValueError&) {
                c.cancel();
                throw; // the Setup page is at fault, not the line
            } catch (const core::Error& e) {
                c.cancel();
                throw core::Error(file->string() + ", line " + std::to_string(in.lineNumber()) + ": " + e.what());
            }
            ui.repaint();
        }
    }
    if (in.encoding() == core::TextLineReader::Encoding::Windows1252)
        ui.appendResult(file->filename().string() + ": read as Windows-1252 (the file is not UTF-8)");
    ui.message("Done, please check the RESULT page for any messages");
    ui.showPage("Result");
}

void deleteCurrentEmployee(store::Cursor& c, core::WindowServices& ui)
{
    if (!ui.question("Delete current Employee - are you sure?"))
        return;
    if (!ui.question("Final Warning - Delete Current Employee?"))
        return;
    if (c.recordCount() == 0)
        return;
    c.remove();
}

void deleteAllEmployees(store::Cursor& c, core::WindowServices& ui)
{
    if (!ui.question("Delete all Employees - are you sure?"))
        return;
    if (!ui.question("Final Warning - Delete all Employees?"))
        return;
    store::DisplaySuspended quiet(c);
    // From the first row: a cursor left past the last row (after an export) would
    // otherwise delete nothing and still look done.
    c.first();
    while (!c.eof())
        c.remove();
}

} // namespace workforce
