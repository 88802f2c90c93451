#include "app/windowlock.h"

#include <QLockFile>
#include <QString>

namespace app {

WindowLock::WindowLock(const std::filesystem::path& home) : home_(home)
{
    std::error_code ec;
    std::filesystem::create_directories(home_, ec);
    lock_ = std::make_unique<QLockFile>(QString::fromStdString((home_ / "window.lock").string()));
    // Stale only when the window that made it is gone, however long it has been open.
    lock_->setStaleLockTime(0);
}

WindowLock::~WindowLock() = default;

bool WindowLock::acquire()
{
    if (lock_->tryLock(0))
        return true;
    const std::string folder = home_.string();
    if (lock_->error() != QLockFile::LockFailedError) {
        refusal_ = "The window cannot mark the program folder " + folder
                   + " as in use (window.lock cannot be written): check the folder's permissions.";
        return false;
    }
    qint64 pid = 0;
    QString host;
    QString name;
    const std::string holder =
        lock_->getLockInfo(&pid, &host, &name) ? " (process " + std::to_string(pid) + ")" : std::string();
    refusal_ = "A TALLIX window is already open on this site" + holder + ", on the program folder " + folder
               + ". Please use that window: two windows on one site would overwrite each other's work.";
    return false;
}

} // namespace app
