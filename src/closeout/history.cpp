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
    const bool detail = which == HistoryView::Detail;
    const std::string table = detail ? "History" : "Summaries";
    const std::string employee = detail ? "EmployeeNo" : "Employee";
    bool any = false;
    {
        store::Statement st(db, "SELECT EXISTS (SELECT 1 FROM " + table + ")");
        any = st.step() && st.columnInt(0) != 0;
    }
    if (any) {
        std::int64_t fromEmployee = 0;
        std::int64_t toEmployee = 0;
        std::int64_t fromPeriod = 0;
        std::int64_t toPeriod = 0;
        try {
            fromEmployee = core::parseInt(b.fromEmployee);
            toEmployee = core::parseInt(b.toEmployee);
            fromPeriod = core::parseInt(b.fromPeriod);
            toPeriod = core::parseInt(b.toPeriod);
        } catch (...) {
            resetHistoryFilter(view); // no mark changed; the view shows every row
            throw;
        }
        // Only rows whose mark changes are written, and both statements go through the
        // indexes on Report and Period instead of reading every posted day.
        const std::string employeeIn = "ifnull(" + employee + ", 0) BETWEEN ?1 AND ?2";
        store::Statement clear(db, "UPDATE " + table
                                       + " SET Report = 0 WHERE (Report IS NULL OR Report < 0 OR "
                                         "Report > 0) AND NOT ("
                                       + employeeIn + " AND ifnull(Period, 0) BETWEEN ?3 AND ?4)");
        store::Statement mark(db, "UPDATE " + table
                                      + " SET Report = 1 WHERE (Period BETWEEN ?3 AND ?4 OR (Period IS "
                                        "NULL AND 0 BETWEEN ?3 AND ?4)) AND "
                                      + employeeIn + " AND Report IS NOT 1");
        for (store::Statement* st : {&clear, &mark}) {
            st->bind(1, fromEmployee);
            st->bind(2, toEmployee);
            st->bind(3, fromPeriod);
            st->bind(4, toPeriod);
            st->run();
        }
    }
    // One re-read of the view: the new filter on a filtered view, or switching it on.
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
        "EmployeeNo", "Name",    "MobileNo", "PayrollNo", "Period", "Date", "DOW",  "Holiday", "Shift",
        "INTime",     "OUTTime", "NHrs",     "HrsIN",     "NT",     "OT1",  "OT2",  "Ht",      "In1",
        "Out1",       "In2",     "Out2",     "In3",       "Out3",   "In4",  "Out4", "In5",     "Out5"};
    static const char* const summaryColumns[] = {
        "Period",    "StartDate", "EndDate", "Employee", "Name",      "MobileNo", "PayrollNo",
        "NT",        "OT1",       "OT2",     "HT",       "FullHours", "Lunch",    "HrsBeforeLunch",
        "EarlyWork", "LateWork",  "Play",    "Shift",    "FlexiTime"};
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
            const std::string_view c(column);
            const std::string text = core::fileForm(rec.value(column), view.regional());
            // The people's texts are shown by the spreadsheet, never run as formulas.
            const bool person = c == "Name" || c == "MobileNo" || c == "PayrollNo";
            line += core::csvField(person ? core::asSpreadsheetText(text) : text);
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
