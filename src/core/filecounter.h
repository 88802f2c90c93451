#pragma once

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
};

} // namespace core
