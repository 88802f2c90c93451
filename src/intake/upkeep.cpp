#include "intake/upkeep.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/datetime.h"
#include "core/error.h"
#include "core/services.h"
#include "store/sqlite.h"

namespace intake {

namespace {

int countRows(store::Database& db)
{
    store::Statement st(db, "SELECT count(*) FROM ClkData");
    st.step();
    return static_cast<int>(st.columnInt(0));
}

/// A clocking's moment in whole milliseconds.
std::int64_t momentOf(const std::string& date, const std::string& time)
{
    const auto d = core::parseIsoDate(date);
    const auto t = core::parseIsoTime(time);
    if (!d || !t)
        throw core::ConvertError("'" + date + " " + time + "' is not a valid date and time");
    return core::toMs(*d) + core::timeToMs(*t);
}

} // namespace

int deleteDoubleEntries(store::Database& db, core::WindowServices& ui)
{
    const int rows = countRows(db);
    core::startProgress(ui, "Deleting double clock entries...", rows, 1);
    // The clockings in table order (Date, Time, MobileNo with none first, then storing
    // order). They are read in storage order and sorted here: walking the order's index
    // would look every row's Status up in the table.
    struct Row {
        std::int64_t rowid;
        std::int64_t ms;
        bool numbered;
        std::string number;
        std::string status; ///< in capitals
    };
    std::vector<Row> table;
    table.reserve(static_cast<std::size_t>(rows));
    {
        store::Statement read(db, "SELECT rowid, Date, Time, MobileNo, ifnull(Status, '') FROM ClkData");
        while (read.step()) {
            Row r{read.columnInt(0), momentOf(read.columnText(1), read.columnText(2)), !read.isNull(3),
                  read.columnText(3), read.columnText(4)};
            for (char& ch : r.status)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            table.push_back(std::move(r));
        }
    }
    std::sort(table.begin(), table.end(), [](const Row& a, const Row& b) {
        if (a.ms != b.ms)
            return a.ms < b.ms;
        if (a.numbered != b.numbered)
            return !a.numbered;
        if (const int n = a.number.compare(b.number))
            return n < 0;
        return a.rowid < b.rowid;
    });
    // Each clocking is compared with the previous clocking of its own number (the first 20
    // characters), whatever other numbers fall between them (a busy gate at shift start),
    // and whatever became of that one: in a run of one phone's INs less than 6 minutes apart
    // only the first stays. An OUT and an IN a few minutes apart are a short break, not a
    // double. Whole seconds: a gap of exactly 6 minutes is not a double entry.
    struct Previous {
        std::int64_t seconds;
        const std::string* status;
    };
    std::unordered_map<std::string, Previous> previous;
    std::vector<std::int64_t> doubles;
    for (const Row& r : table) {
        const std::int64_t seconds = r.ms / 1000;
        auto [it, fresh] = previous.try_emplace(r.number.substr(0, 20), Previous{seconds, &r.status});
        if (!fresh) {
            if (r.status == *it->second.status && seconds - it->second.seconds < 6 * 60)
                doubles.push_back(r.rowid);
            it->second = {seconds, &r.status};
        }
        ui.stepProgress();
    }
    // One statement marks them all (their rowids as a JSON array), in rowid order.
    if (!doubles.empty()) {
        std::sort(doubles.begin(), doubles.end());
        std::string list = "[";
        for (const std::int64_t id : doubles)
            list += (list.size() > 1 ? "," : "") + std::to_string(id);
        list += ']';
        store::Statement mark(db, "UPDATE ClkData SET Used = 3 WHERE rowid IN (SELECT value FROM json_each(?))");
        mark.bind(1, std::string_view(list));
        mark.run();
    }
    ui.setProgressPosition(0);
    store::Statement remove(db, "DELETE FROM ClkData WHERE Used = 3");
    remove.run();
    const int deleted = db.changes();
    ui.setProgressPosition(rows);
    return deleted;
}

namespace {

/// One statement over the clockings, with the bar over the table's rows.
int changeClockings(store::Database& db, core::WindowServices& ui, const char* caption, const char* sql)
{
    const int rows = countRows(db);
    core::startProgress(ui, caption, rows, 1);
    db.exec(sql);
    const int changed = db.changes();
    ui.setProgressPosition(rows);
    return changed;
}

} // namespace

int deleteUsedClockData(store::Database& db, core::WindowServices& ui)
{
    return changeClockings(db, ui, "Deleting used clock data...", "DELETE FROM ClkData WHERE Used = 1");
}

int resetUsedField(store::Database& db, core::WindowServices& ui)
{
    return changeClockings(db, ui, "Resetting the USED field...", "UPDATE ClkData SET Used = NULL WHERE Used = 1");
}

} // namespace intake
