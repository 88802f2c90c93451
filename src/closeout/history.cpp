#include "closeout/history.h"

#include "core/numparse.h"
#include "core/services.h"
#include "core/textfile.h"
#include "core/textform.h"
#include "store/cursor.h"
#include "store/sqlite.h"

namespace closeout {

void resetHistoryFilter(store::Cursor& cursor)
{
    cursor.setFiltered(false);
    cursor.setFilter("");
}

void showHistory(store::Database& db, store::Cursor& view, HistoryView which, const HistoryBounds& b)
{
    resetHistoryFilter(view);
    const bool detail = which == HistoryView::Detail;
    const std::string table = detail ? "History" : "Summaries";
    const std::string employee = detail ? "EmployeeNo" : "Employee";
    if (view.recordCount() > 0) {
        const std::int64_t fromEmployee = core::parseInt(b.fromEmployee);
        const std::int64_t toEmployee = core::parseInt(b.toEmployee);
        const std::int64_t fromPeriod = core::parseInt(b.fromPeriod);
        const std::int64_t toPeriod = core::parseInt(b.toPeriod);
        // Only rows whose mark changes are written.
        const std::string inside = "(CASE WHEN ifnull(" + employee + ", 0) BETWEEN ?1 AND ?2 AND ifnull(Period, 0) "
                                   "BETWEEN ?3 AND ?4 THEN 1 ELSE 0 END)";
        store::Statement mark(db, "UPDATE " + table + " SET Report = " + inside + " WHERE Report IS NOT " + inside);
        mark.bind(1, fromEmployee);
        mark.bind(2, toEmployee);
        mark.bind(3, fromPeriod);
        mark.bind(4, toPeriod);
        mark.run();
    }
    view.invalidateCache();
    view.setFilter("Report = 1");
    view.setFiltered(true);
}

void exportHistory(store::Cursor& view, HistoryView which, core::WindowServices& ui)
{
    const auto file = ui.saveFile(core::WindowServices::SaveDialog::Summary);
    if (!file)
        return;
    static const char* const detailColumns[] = {
        "EmployeeNo", "Name", "MobileNo", "PayrollNo", "Period", "Date", "DOW",  "Holiday", "Shift",
        "INTime",     "OUTTime", "NHrs",  "HrsIN",     "NT",     "OT1",  "OT2",  "Ht",      "In1",
        "Out1",       "In2",  "Out2",     "In3",       "Out3",   "In4",  "Out4", "In5",     "Out5"};
    static const char* const summaryColumns[] = {
        "Period", "StartDate", "EndDate", "Employee", "Name",          "MobileNo",  "PayrollNo",
        "NT",     "OT1",       "OT2",     "HT",       "FullHours",     "Lunch",     "HrsBeforeLunch",
        "EarlyWork", "LateWork", "Play",  "Shift",    "FlexiTime"};
    const bool detail = which == HistoryView::Detail;
    core::TextFileWriter out(*file);
    out.writeLine(detail ? "No,Name,MobileNo,PayrollNo,Period,Date,DOW,Holiday,Shift,INTime,OUTTime,NHrs,HrsIn,NT,OT1,"
                           "OT2,HT,In1,Out1,In2,Out2,In3,Out3,In4,Out4,In5,Out5"
                         : "Period,StartDate,EndDate,EmployeeNo,Name,MobileNo,PayrollNo,NT,OT1,OT2,HT,FullHours,Lunch,"
                           "HrsBeforeLunch,EarlyWork,LateWork,Play,Shift,FlexiTime");
    const int rows = view.recordCount();
    for (int i = 0; i < rows; ++i) {
        const store::Record rec = view.rowAt(i);
        std::string line;
        bool first = true;
        auto add = [&](const char* column) {
            if (!first)
                line += ',';
            first = false;
            line += core::csvField(rec.asText(column));
        };
        if (detail)
            for (const char* c : detailColumns)
                add(c);
        else
            for (const char* c : summaryColumns)
                add(c);
        out.writeLine(line);
    }
    out.close();
    view.last();
}

} // namespace closeout
