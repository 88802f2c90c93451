#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"

namespace core {
class IniFile;
class Regional;
} // namespace core

namespace app {

/// SetupValues.ini as one of several programs on the site sees it (the window open all day,
/// the nightly runner): each writes only the values it changed, into the file as it stands
/// on disk at that moment, under the site's settings lock, so that no program puts back an
/// older value another has written since.
class SettingsFile {
public:
    SettingsFile(std::filesystem::path file, const core::Regional& regional);

    const std::filesystem::path& file() const { return file_; }

    /// Reads the fields and the counter from `ini` (the file as just read); these values are
    /// what later changes are measured against.
    void load(const core::IniFile& ini, SetupFields& fields, FileCounter& counter);

    /// Writes each value that differs from the one last read or written, and each that the
    /// file lacks. True when it wrote. Throws core::Error naming the file on failure.
    bool saveChanges(const SetupFields& fields, const FileCounter& counter);

    /// Takes into the fields (and the counter) the values another program wrote since, where
    /// this program has not changed them itself. True when a field changed.
    bool takeChanges(SetupFields& fields, FileCounter& counter);

    /// The next file of a day's series (FileCounter::nextFile) with the counter as the file
    /// holds it, under the lock, the counter written at once: two programs never count the
    /// same number.
    std::filesystem::path nextCountedFile(const SetupFields& fields, FileCounter& counter, core::DateTime today,
                                          const std::function<std::filesystem::path(int)>& nameOf);

private:
    std::vector<std::optional<std::string>> textsOf(const core::IniFile& ini) const;
    static std::optional<FileCounter> counterIn(const core::IniFile& ini);

    std::filesystem::path file_;
    const core::Regional& regional_;
    /// Each field as the file held it when last read or written; nullopt: not in the file.
    std::vector<std::optional<std::string>> known_;
    std::optional<FileCounter> knownCounter_;
};

} // namespace app
