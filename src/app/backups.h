#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace app {

class Program;

/// How many backups are kept: the latest `keep`, within `sizeFactor` times the database's own
/// size or `minBudget` bytes, whichever is larger. The oldest go first; the newest always stays.
struct BackupPolicy {
    std::size_t keep = 20;
    std::uintmax_t sizeFactor = 5;
    std::uintmax_t minBudget = std::uintmax_t{1} << 30;
};

/// The folder of the backups: "backups" in the program's folder.
std::filesystem::path backupsFolder(const Program& program);

/// The backups in the folder (files named by moment and command,
/// "2026-12-11_171503.250_POSTtoHISTORYFILE1Click.db"), oldest first. Other files there are
/// not the program's and are left alone.
std::vector<std::filesystem::path> backupsIn(const std::filesystem::path& folder);

/// Writes a backup of the program's database named by this moment and `command` (a handler
/// name), then prunes the folder by `policy`. Returns its path. Throws core::Error saying why
/// when it cannot be written (then nothing is pruned).
std::filesystem::path backUp(Program& program, const std::string& command, const BackupPolicy& policy = {});

/// Removes the oldest backups beyond the policy; the newest always stays.
void pruneBackups(const std::filesystem::path& folder, std::uintmax_t databaseSize, const BackupPolicy& policy);

} // namespace app
