#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace store {

class Database;

/// The version of the program's tables, kept in the database as PRAGMA user_version. Release
/// 0.1.0 wrote none (0) beside its nine tables: such a database is version 1.
inline constexpr int kSchemaVersion = 1;

/// One step from version `to - 1` to `to`: it adds a table or a column and fills it where
/// needed; it never drops data. A new column in a later release is one more step here, and
/// kSchemaVersion moves to its `to`.
struct UpgradeStep {
    int to;
    std::string what; ///< for the clerk when the step fails: "add the column Employee.Badge"
    std::function<void(Database&)> run;
};

/// The program's steps, in order (none yet: version 1 is the first).
const std::vector<UpgradeStep>& upgradeSteps();

/// The version of an open database: its user_version, 1 for one of release 0.1.0 (no version
/// but the program's tables), 0 for an empty one.
int schemaVersion(Database& db);

/// Refuses a database file made by a newer release (a version above `known`) with a word that
/// names both versions. The file is only read, through a read-only connection that changes no
/// setting: not one byte of it changes. A missing file passes (it is made new).
void refuseNewer(const std::filesystem::path& file, int known = kSchemaVersion);

/// Brings an open database to `target`: a new one gets every table at once; an older one runs
/// each step above its version in order, all in one transaction, and then gets any table it
/// lacks. A step that fails rolls everything back (the database as it was) and throws
/// core::Error naming the file, the versions and the step.
void upgradeSchema(Database& db, int target = kSchemaVersion, const std::vector<UpgradeStep>& steps = upgradeSteps());

} // namespace store
