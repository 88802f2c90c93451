#pragma once

#include <filesystem>
#include <memory>
#include <string>

class QLockFile;

namespace app {

/// The one window of a site. A window holds it from start-up to its close, so a second window
/// on the same program folder is refused (the two would overwrite each other's grids and
/// settings); the runner never takes it and may work beside the window. A lock left by a
/// window that ended without letting go (a crash, a power cut) does not count.
class WindowLock {
public:
    /// The lock file "window.lock" in the program's folder (made when missing).
    explicit WindowLock(const std::filesystem::path& home);
    ~WindowLock();
    WindowLock(const WindowLock&) = delete;
    WindowLock& operator=(const WindowLock&) = delete;

    /// True when this window now holds the site; false when another window holds it, and
    /// refusal() says so.
    bool acquire();
    /// The plain word for the clerk when acquire() failed.
    const std::string& refusal() const { return refusal_; }

private:
    std::filesystem::path home_;
    std::unique_ptr<QLockFile> lock_;
    std::string refusal_;
};

} // namespace app
