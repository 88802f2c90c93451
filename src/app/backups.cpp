#include "app/backups.h"

#include <algorithm>
#include <string_view>

#include <QDateTime>

#include "app/program.h"
#include "core/error.h"
#include "store/backup.h"
#include "store/sqlite.h"

namespace app {

namespace {

/// "2026-12-11_171503.123_" and a command: the name of a backup starts with its moment, so
/// that the names sort as the moments do.
constexpr std::string_view kMomentShape = "0000-00-00_000000.000_";

bool isBackupName(const std::string& name)
{
    if (name.size() < kMomentShape.size() + 4 || name.substr(name.size() - 3) != ".db")
        return false;
    for (std::size_t i = 0; i < kMomentShape.size(); ++i) {
        const char shape = kMomentShape[i];
        if (shape == '0' ? (name[i] < '0' || name[i] > '9') : name[i] != shape)
            return false;
    }
    return true;
}

std::uintmax_t sizeOf(const std::filesystem::path& file)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    return ec ? 0 : size;
}

} // namespace

std::filesystem::path backupsFolder(const Program& program)
{
    return std::filesystem::path(program.path()) / "backups";
}

std::vector<std::filesystem::path> backupsIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (e.is_regular_file(ec) && isBackupName(e.path().filename().string()))
            found.push_back(e.path());
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.filename().string() < b.filename().string(); });
    return found;
}

void pruneBackups(const std::filesystem::path& folder, std::uintmax_t databaseSize, const BackupPolicy& policy)
{
    std::vector<std::filesystem::path> kept = backupsIn(folder);
    const std::uintmax_t budget = std::max(databaseSize * policy.sizeFactor, policy.minBudget);
    std::uintmax_t total = 0;
    for (const auto& f : kept)
        total += sizeOf(f);
    std::size_t oldest = 0;
    std::error_code ec;
    while (kept.size() - oldest > 1 && (kept.size() - oldest > policy.keep || total > budget)) {
        total -= sizeOf(kept[oldest]);
        std::filesystem::remove(kept[oldest], ec);
        ++oldest;
    }
}

std::filesystem::path backUp(Program& program, const std::string& command, const BackupPolicy& policy)
{
    const std::filesystem::path folder = backupsFolder(program);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        throw core::Error("The backup folder " + folder.string() + " cannot be made: " + ec.message());
    const std::string moment =
        QDateTime::currentDateTime().toString("yyyy-MM-dd_HHmmss.zzz").toStdString() + "_" + command;
    std::filesystem::path file = folder / (moment + ".db");
    for (int n = 2; std::filesystem::exists(file, ec); ++n)
        file = folder / (moment + "-" + std::to_string(n) + ".db");
    store::backupTo(program.db(), file);
    pruneBackups(folder, sizeOf(program.databaseFile()), policy);
    return file;
}

} // namespace app
