#include "closeout/payroll.h"

#include <optional>

#include "core/counted.h"
#include "core/services.h"
#include "core/textfile.h"
#include "core/textform.h"
#include "store/sqlite.h"

namespace closeout {

namespace {

std::optional<double> realOf(store::Statement& st, int col)
{
    return st.isNull(col) ? std::nullopt : std::optional<double>(st.columnReal(col));
}

/// A total as a field: quoted like any other field that holds a comma ("37,5" under a decimal
/// comma), so that a payroll reader finds as many fields as the header names.
std::string field(const std::optional<double>& v, const core::Regional& regional)
{
    return v ? core::csvField(core::formatReal(*v, regional)) : std::string();
}

} // namespace

std::optional<PayrollExport> exportPayroll(store::Database& db, core::WindowServices& ui,
                                           const core::Regional& regional, PayrollFormat format)
{
    const auto file = ui.saveFile(core::WindowServices::SaveDialog::EmployeeFile);
    if (!file)
        return std::nullopt;
    PayrollExport written{*file, 0};
    core::TextFileWriter out(*file);
    out.writeLine(format == PayrollFormat::A ? "PayrollNo,NT,OT1,OT2,HT,Name,MobileNo"
                                             : "PayrollNo,NT+HT,OT1,OT2,Name,MobileNo");
    store::Statement st(db, "SELECT ifnull(PayrollNo, ''), NT, OT1, OT2, HT, ifnull(Name, ''), ifnull(MobileNo, '') "
                            "FROM Employee ORDER BY No");
    while (st.step()) {
        const auto nt = realOf(st, 1);
        const auto ot1 = realOf(st, 2);
        const auto ot2 = realOf(st, 3);
        const auto ht = realOf(st, 4);
        // The people's texts are shown by the spreadsheet, never run as formulas.
        std::string line = core::csvField(core::asSpreadsheetText(st.columnText(0)));
        if (format == PayrollFormat::A)
            line += "," + field(nt, regional) + "," + field(ot1, regional) + "," + field(ot2, regional) + ","
                    + field(ht, regional);
        else
            line += "," + field(nt.value_or(0) + ht.value_or(0), regional) + "," + field(ot1, regional) + ","
                    + field(ot2, regional);
        line += "," + core::csvField(core::asSpreadsheetText(st.columnText(5))) + ","
                + core::csvField(core::asSpreadsheetText(st.columnText(6)));
        out.writeLine(line);
        ++written.lines;
    }
    out.close();
    ui.appendResult(file->filename().string() + ": " + core::counted(written.lines, "employee line", "employee lines")
                    + " written");
    return written;
}

} // namespace closeout
