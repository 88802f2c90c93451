#include "store/connection.h"

#include "store/upgrade.h"

namespace store {

namespace {

void prepare(Database& db, bool wal)
{
    if (wal)
        db.exec("PRAGMA journal_mode = WAL");
    db.exec("PRAGMA synchronous = FULL");
    // A command of a big site touches tens of megabytes: keep them in memory (64 MB) instead of
    // spilling half-written pages into the log in the middle of a transaction.
    db.exec("PRAGMA cache_size = -65536");
    db.exec("PRAGMA temp_store = MEMORY");
    upgradeSchema(db);
}

} // namespace

std::unique_ptr<Database> openDatabase(const std::filesystem::path& file)
{
    std::unique_ptr<Database> db;
    try {
        // A database of a newer release is refused before anything in it is touched.
        refuseNewer(file);
        db = std::make_unique<Database>(file.string());
        prepare(*db, true);
    } catch (const SqlError& e) {
        const std::string what = e.what();
        throw SqlError(e.code(), what.find(file.string()) == std::string::npos ? what + ": " + file.string() : what);
    }
    return db;
}

std::unique_ptr<Database> openMemoryDatabase()
{
    auto db = std::make_unique<Database>(":memory:");
    prepare(*db, false);
    return db;
}

} // namespace store
