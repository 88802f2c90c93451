#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/error.h"

namespace core {
class Regional;
class WindowServices;
} // namespace core

namespace store {
class Cursor;
class Database;
class Record;
} // namespace store

namespace workforce {

/// The setup values a new employee starts with, as the Setup page's fields hold them at the
/// moment the row is made.
struct EmployeeDefaults {
    std::string flexiTime; ///< "YES" or "NO"
    std::string latitude;
    std::string longitude;
    std::string minutesBreak;
    std::string minHours;
    std::string vroeg;
    std::string laat;
    std::string speling;
};

/// A setup value that is no number, named by its setting: "Setup value LATITUDE (the Lat of a
/// new employee): '-33,8x' is not a valid floating point value".
class SetupValueError : public core::ConvertError {
public:
    using core::ConvertError::ConvertError;
};

/// The employee cursor's new-row hook: fills FlexiTime, Lat, Lon, ShiftNo 1, Lunch,
/// HrsBefore, WorkEarly, WorkLate and Play. The numbers take the regional separator or a
/// point; a value that is no number raises SetupValueError and the row is not made.
void EmployeeTableNewRecord(store::Cursor& employees, const EmployeeDefaults& defaults, const core::Regional& regional);

/// The refusal of a Name, MobileNo or PayrollNo that begins like a spreadsheet formula
/// (core::formulaStart), in plain words, or nothing: the payroll files and exports are opened
/// in spreadsheets, which would run it.
std::optional<std::string> formulaRefusal(const char* column, const std::string& text);

/// Why a clock number may not be given to an employee: a non-empty MobileNo or PayrollNo
/// that another employee (any row but `rowid`; 0 for a new one) already has as either would
/// pay every clocking of it to both. Empty when the numbers are free.
std::optional<std::string> numberInUse(store::Database& db, const std::string& mobile, const std::string& payroll,
                                       std::int64_t rowid);

/// The employee cursor's check before a row is written: a new row, or one whose Name,
/// MobileNo or PayrollNo changed, is refused (core::Error) when formulaRefusal or numberInUse
/// says so. A value stored before and left as it was is not refused.
void EmployeeTableBeforePost(store::Database& db, const store::Cursor& employees, const store::Record* before,
                             const store::Record& after);

/// "Set FLEXITIME to YES"/"NO" on the current employee; nothing when there is none.
void setFlexiTime(store::Cursor& employees, bool yes);

/// The fields of an import line: Number, Name, MobileNo, PayrollNo, each ended by a comma or
/// by the line's end (a spreadsheet writes no comma after the last field); the fields after
/// the line's end read as empty. A field
/// in double quotes is read as one field with doubled quotes made single, but only when its
/// closing quote is followed by the comma or the line end; any other field stands as it is.
std::array<std::string, 4> splitEmployeeLine(std::string_view line);

/// "Export Employees": the save dialog, then the header and one line per employee.
void exportEmployees(store::Cursor& employees, core::WindowServices& ui);
/// "Import Employees": the open dialog, then one employee per valid line; problems on "Result".
void importEmployees(store::Database& db, store::Cursor& employees, core::WindowServices& ui);
/// "Delete Current Employee" with its two questions.
void deleteCurrentEmployee(store::Cursor& employees, core::WindowServices& ui);
/// "Delete All Employees" with its two questions.
void deleteAllEmployees(store::Cursor& employees, core::WindowServices& ui);

} // namespace workforce
