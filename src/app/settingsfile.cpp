#include "app/settingsfile.h"

#include <QLockFile>
#include <QString>

#include "core/error.h"
#include "core/inifile.h"

namespace app {

namespace {

bool sameCounter(const FileCounter& a, const FileCounter& b)
{
    return a.filedate == b.filedate && a.teller == b.teller;
}

bool sameCounter(const std::optional<FileCounter>& a, const FileCounter& b) { return a && sameCounter(*a, b); }

/// The site's settings lock: held only while the file is read for a change and written.
/// A lock left by a program that ended without letting go (a crash) is taken over.
class SettingsLock {
public:
    explicit SettingsLock(const std::filesystem::path& file) : lock_(QString::fromStdString(file.string() + ".lock"))
    {
        lock_.setStaleLockTime(0); // stale only when its program is gone
        if (lock_.tryLock(10'000))
            return;
        if (lock_.error() == QLockFile::LockFailedError)
            throw core::Error("The settings file " + file.string()
                              + " is being written by another program for more than 10 seconds: please try again.");
        throw core::Error("The settings file " + file.string() + " cannot be written: its lock file "
                          + file.filename().string() + ".lock cannot be made there (check the folder's permissions).");
    }

private:
    QLockFile lock_;
};

} // namespace

SettingsFile::SettingsFile(std::filesystem::path file, const core::Regional& regional)
    : file_(std::move(file)), regional_(regional)
{}

std::vector<std::optional<std::string>> SettingsFile::textsOf(const core::IniFile& ini) const
{
    // Each entry as this program would write it back: read into a field and written out.
    SetupFields f;
    FileCounter c;
    loadSettings(ini, f, c, regional_);
    const std::vector<SettingKey>& keys = settingKeys();
    std::vector<std::optional<std::string>> texts(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (ini.hasKey(keys[i].section, keys[i].key))
            texts[i] = settingText(f, i, regional_);
    return texts;
}

std::optional<FileCounter> SettingsFile::counterIn(const core::IniFile& ini)
{
    return hasCounter(ini) ? std::optional(counterOf(ini)) : std::nullopt;
}

void SettingsFile::load(const core::IniFile& ini, SetupFields& fields, FileCounter& counter)
{
    loadSettings(ini, fields, counter, regional_);
    known_ = textsOf(ini);
    knownCounter_ = counterIn(ini);
}

bool SettingsFile::saveChanges(const SetupFields& fields, const FileCounter& counter)
{
    const std::size_t n = settingKeys().size();
    known_.resize(n);
    std::vector<bool> changed(n, false);
    bool any = false;
    for (std::size_t i = 0; i < n; ++i) {
        changed[i] = known_[i] != settingText(fields, i, regional_);
        any = any || changed[i];
    }
    const bool counterChanged = !sameCounter(knownCounter_, counter);
    if (!any && !counterChanged)
        return false;
    const SettingsLock lock(file_);
    core::IniFile disk(file_);
    writeSettings(disk, fields, changed, counterChanged ? &counter : nullptr, regional_);
    disk.flush();
    for (std::size_t i = 0; i < n; ++i)
        if (changed[i])
            known_[i] = settingText(fields, i, regional_);
    if (counterChanged)
        knownCounter_ = counter;
    return true;
}

bool SettingsFile::takeChanges(SetupFields& fields, FileCounter& counter)
{
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec))
        return false;
    const core::IniFile disk(file_);
    const std::vector<std::optional<std::string>> theirs = textsOf(disk);
    const std::vector<SettingKey>& keys = settingKeys();
    known_.resize(keys.size());
    bool taken = false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!theirs[i] || theirs[i] == known_[i] || known_[i] != settingText(fields, i, regional_))
            continue; // not changed on disk, or changed here: this program's value stands
        takeSettingText(fields, i, disk.readString(keys[i].section, keys[i].key, ""), regional_);
        known_[i] = theirs[i];
        taken = true;
    }
    const std::optional<FileCounter> theirCounter = counterIn(disk);
    if (theirCounter && !sameCounter(knownCounter_, *theirCounter) && sameCounter(knownCounter_, counter)) {
        counter = *theirCounter;
        knownCounter_ = counter;
    }
    return taken;
}

std::filesystem::path SettingsFile::nextCountedFile(const SetupFields& fields, FileCounter& counter,
                                                    core::DateTime today,
                                                    const std::function<std::filesystem::path(int)>& nameOf)
{
    const SettingsLock lock(file_);
    core::IniFile disk(file_);
    if (const std::optional<FileCounter> onDisk = counterIn(disk))
        counter = *onDisk;
    const std::filesystem::path file = counter.nextFile(today, nameOf);
    // A file written for the first time gets the other entries too, each in its place.
    const std::vector<SettingKey>& keys = settingKeys();
    std::vector<bool> missing(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        missing[i] = !disk.hasKey(keys[i].section, keys[i].key);
    writeSettings(disk, fields, missing, &counter, regional_);
    disk.flush();
    known_.resize(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (missing[i])
            known_[i] = settingText(fields, i, regional_);
    knownCounter_ = counter;
    return file;
}

} // namespace app
