#include "store/upgrade.h"

#include "core/error.h"
#include "store/schema.h"
#include "store/sqlite.h"

namespace store {

namespace {

int userVersion(Database& db)
{
    Statement st(db, "PRAGMA user_version");
    return st.step() ? static_cast<int>(st.columnInt(0)) : 0;
}

} // namespace

const std::vector<UpgradeStep>& upgradeSteps()
{
    static const std::vector<UpgradeStep> steps;
    return steps;
}

int schemaVersion(Database& db)
{
    const int v = userVersion(db);
    if (v != 0)
        return v;
    // Release 0.1.0 kept no version; its databases hold the employee table.
    return db.tableExists("Employee") ? 1 : 0;
}

void refuseNewer(const std::filesystem::path& file, int known)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) || std::filesystem::file_size(file, ec) == 0)
        return;
    int version = 0;
    {
        Database probe(file.string(), Database::Mode::ReadOnly);
        version = userVersion(probe);
    }
    if (version > known)
        throw core::Error("The database " + file.string() + " is of version " + std::to_string(version)
                          + ", written by a newer release of the program; this release knows versions up to "
                          + std::to_string(known)
                          + ". Please run the newer release on it. Nothing in the database was changed.");
}

void upgradeSchema(Database& db, int target, const std::vector<UpgradeStep>& steps)
{
    const int from = schemaVersion(db);
    if (from > target)
        throw core::Error("The database " + db.file() + " is of version " + std::to_string(from)
                          + ", written by a newer release of the program; this release knows versions up to "
                          + std::to_string(target) + ".");
    if (from == target && userVersion(db) == target) {
        createSchema(db); // a table missing from a database of this version is added
        return;
    }
    Transaction tx(db);
    int at = from;
    if (from > 0) {
        for (const UpgradeStep& step : steps) {
            if (step.to <= at || step.to > target)
                continue;
            try {
                step.run(db);
            } catch (const std::exception& e) {
                tx.rollback();
                throw core::Error("The database " + db.file() + " could not be brought from version "
                                  + std::to_string(at) + " to " + std::to_string(step.to) + " (" + step.what
                                  + "): " + e.what() + ". It is as it was before; nothing was changed.");
            }
            at = step.to;
        }
    }
    createSchema(db);
    db.exec("PRAGMA user_version = " + std::to_string(target));
    tx.commit();
}

} // namespace store
