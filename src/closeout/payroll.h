#pragma once

namespace core {
class Regional;
class WindowServices;
} // namespace core

namespace store {
class Database;
struct Tables;
} // namespace store

namespace closeout {

enum class PayrollFormat {
    A, ///< PayrollNo,NT,OT1,OT2,HT,Name,MobileNo
    B, ///< PayrollNo,NT+HT,OT1,OT2,Name,MobileNo
};

/// Writes the employee totals as they stand for the payroll program, through the
/// "Export Employee File" save dialog. Empty totals give empty fields (NT+HT counts them 0).
void exportPayroll(store::Database& db, store::Tables& tables, core::WindowServices& ui,
                   const core::Regional& regional, PayrollFormat format);

} // namespace closeout
