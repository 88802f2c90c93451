#include "intake/upkeep.h"

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

std::int64_t secondsOf(const std::string& date, const std::string& time)
{
    const auto d = core::parseIsoDate(date);
    const auto t = core::parseIsoTime(time);
    if (!d || !t)
        throw core::ConvertError("'" + date + " " + time + "' is not a valid date and time");
    // Whole seconds: a gap of exactly 6 minutes is not a double entry.
    return (core::toMs(*d) + core::timeToMs(*t)) / 1000;
}

} // namespace

int deleteDoubleEntries(store::Database& db, core::WindowServices& ui)
{
    const int rows = countRows(db);
    core::startProgress(ui, "Deleting double clock entries...", rows, 1);
    store::Statement walk(db,
                          "SELECT rowid, Date, Time, substr(ifnull(MobileNo, ''), 1, 20), upper(ifnull(Status, '')) "
                          "FROM ClkData ORDER BY Date, Time, MobileNo, rowid");
    // Each clocking is compared with the previous clocking of its own number, whatever other
    // numbers fall between them (a busy gate at shift start), and whatever became of that
    // one: in a run of one phone's INs less than 6 minutes apart only the first stays. An OUT
    // and an IN a few minutes apart are a short break, not a double.
    struct Previous {
        std::int64_t seconds;
        std::string status;
    };
    std::unordered_map<std::string, Previous> previous;
    std::vector<std::int64_t> doubles;
    while (walk.step()) {
        const std::int64_t seconds = secondsOf(walk.columnText(1), walk.columnText(2));
        std::string status = walk.columnText(4);
        auto [it, fresh] = previous.try_emplace(walk.columnText(3), Previous{seconds, status});
        if (!fresh) {
            if (status == it->second.status && seconds - it->second.seconds < 6 * 60)
                doubles.push_back(walk.columnInt(0));
            it->second = {seconds, std::move(status)};
        }
        ui.stepProgress();
    }
    store::Statement mark(db, "UPDATE ClkData SET Used = 3 WHERE rowid = ?");
    for (const std::int64_t id : doubles) {
        mark.bind(1, id);
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
