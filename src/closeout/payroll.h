#pragma once

#include <filesystem>
#include <optional>

namespace core {
class Regional;
class WindowServices;
} // namespace core

namespace store {
class Database;
}

namespace closeout {

enum class PayrollFormat {
    A, ///< PayrollNo,NT,OT1,OT2,HT,Name,MobileNo
    B, ///< PayrollNo,NT+HT,OT1,OT2,Name,MobileNo
};

/// A payroll file as written.
struct PayrollExport {
    std::filesystem::path file;
    int lines = 0; ///< employee lines, the header not counted
};

/// Writes the employee totals as they stand for the payroll program, through the
/// "Export Employee File" save dialog. Empty totals give empty fields (NT+HT counts them 0).
/// Ends with the Result line "FILE: N employee lines written"; empty when the dialog was
/// cancelled (no file, no line).
std::optional<PayrollExport> exportPayroll(store::Database& db, core::WindowServices& ui,
                                           const core::Regional& regional, PayrollFormat format);

} // namespace closeout
