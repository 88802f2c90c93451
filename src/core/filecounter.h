#pragma once

#include <filesystem>
#include <functional>
#include <system_error>

#include "core/datetime.h"

namespace core {

/// The date and counter of the files written by a download or a fingerprint import, shared
/// by both and kept in the settings file, so that the first file of a day carries 1, the
/// next 2, and so on.
struct FileCounter {
    DateTime filedate = 43717; ///< 9 September 2019 unless loaded
    int teller = 1;

    /// Advances the counter for a file written today and returns it: the same day one up,
    /// a later day back to 1, an earlier day (clock set back) unchanged.
    int advance(DateTime today)
    {
        const DateTime day = dateOf(today);
        if (day == filedate)
            ++teller;
        else if (day > filedate)
            teller = 1;
        return teller;
    }

    /// Called once the file of that day exists: its date becomes the counter's date.
    void markWritten(DateTime today) { filedate = dateOf(today); }

    /// The next file of the day, named by `nameOf(counter)`: the counter advances, and moves
    /// on past every name that already exists (two dates of a year can give the same digits,
    /// a file may have been copied in), so no earlier file is ever replaced.
    std::filesystem::path nextFile(DateTime today, const std::function<std::filesystem::path(int)>& nameOf)
    {
        advance(today);
        std::filesystem::path file = nameOf(teller);
        std::error_code ec;
        while (std::filesystem::exists(file, ec))
            file = nameOf(++teller);
        markWritten(today);
        return file;
    }
};

} // namespace core
