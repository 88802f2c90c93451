#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/datetime.h"

namespace core {
class Regional;
class WindowServices;
struct FileCounter;
} // namespace core

namespace store {
class Cursor;
class Database;
} // namespace store

namespace intake {

/// One clocking as an import stores it in ClkData.
struct ClockRow {
    core::DateTime date = 0;
    core::DateTime time = 0;
    std::string mobileNo;
    std::optional<std::string> name;
    std::string status;
    std::optional<double> lat;
    std::optional<double> lon;
    std::optional<std::string> distance;
};

/// Where the readers put the rows they accept.
class ClockSink {
public:
    virtual ~ClockSink() = default;
    virtual void store(const ClockRow& row) = 0;
};

/// The employee a clock number belongs to, as the import sees it.
struct EmployeeMatch {
    std::string name;
    double lat = 0; ///< an empty Lat reads as 0
    double lon = 0;
};

/// The first employee in number order whose MobileNo begins with the clock number.
using EmployeeLookup = std::function<std::optional<EmployeeMatch>(const std::string& number)>;
/// Bytes read so far and the file's size.
using ProgressFn = std::function<void(std::uintmax_t done, std::uintmax_t total)>;

/// The days from the day before the period's first day to the day after its last day.
struct ImportWindow {
    core::DateTime first = 1;
    core::DateTime last = 0; ///< first > last: no day is inside (an empty calendar)
    bool contains(core::DateTime day) const { return day >= first && day <= last; }
};

struct PhoneRules {
    enum class Mode { All, New } mode = Mode::All;
    ImportWindow window;
    /// The default clock location as typed on the Setup page.
    std::string defaultLatitude;
    std::string defaultLongitude;
    /// "Import New Clock Data": the moment (in ms) of each clock number's latest stored
    /// clocking. A line is new when it is later than its own number's latest: one phone whose
    /// date was set wrong does not hold back the others.
    std::unordered_map<std::string, std::int64_t> latestByNumber;
    bool isNew(const std::string& number, std::int64_t momentMs) const
    {
        const auto it = latestByNumber.find(number);
        return it == latestByNumber.end() || momentMs > it->second;
    }
};

/// What a reader did with the file's lines: each line is stored or counted under one reason.
struct ImportResult {
    int lines = 0;
    int stored = 0;
    int outsideWindow = 0;    ///< dated outside the import window
    int notNewer = 0;         ///< "Import New Clock Data": not later than their number's latest clocking
    int noNumber = 0;         ///< without a clock number
    bool windows1252 = false; ///< the file was no UTF-8 and was read as Windows-1252
};

/// Reads a phone clock-data file. A line whose date (or, where it is formed, time) is not
/// valid ends the read with a core::Error naming the file, the line and the text; the rows
/// stored before stay stored.
ImportResult readPhoneFile(const std::filesystem::path& file, const PhoneRules& rules, const core::Regional& regional,
                           const EmployeeLookup& lookup, ClockSink& sink, const ProgressFn& progress);

/// Reads a fingerprint-scanner file; every line read is first written to `copy` with CR LF.
class LineCopy {
public:
    virtual ~LineCopy() = default;
    virtual void line(const std::string& text) = 0;
};
ImportResult readScannerFile(const std::filesystem::path& file, const ImportWindow& window,
                             const EmployeeLookup& lookup, LineCopy& copy, ClockSink& sink, const ProgressFn& progress);

/// What the import commands read, and the one thing they tell back besides their result.
/// The imports read and write the tables by SQL only; the grids are the caller's.
struct IntakeContext {
    store::Database& db;
    core::WindowServices& ui;
    const core::Regional& regional;
    std::string defaultLatitude;
    std::string defaultLongitude;
    /// The No of the employee whose number the last matched line carried (the employee grid
    /// goes there, as a search for it would leave it); also set by an import that fails.
    std::optional<std::int64_t> lastEmployee;
};

/// What an import command did, as its line in the "Result" log tells it.
struct ImportSummary {
    int stored = 0;    ///< clockings of the file still stored after the double-entry deletion
    int doubles = 0;   ///< rows the double-entry deletion removed (of this file or stored before)
    ImportResult read; ///< what the reader stored and what it left, line by line
};

/// "Import clock data" (All) and "Import New Clock Data" (New), ending with the double-entry
/// deletion and a Result line "FILE: N clockings stored, M double entries deleted", followed
/// by "; not stored: ..." with the count of each kind of line left out (outside the import
/// window, with its dates; not newer than its number's latest clocking; without a number).
/// Empty when the dialog was cancelled (no line then).
std::optional<ImportSummary> importClockData(IntakeContext& context, PhoneRules::Mode mode);

/// "Import from Biometric Unit": the dated, counted copy (its path given by `nextCopy`, which
/// moves the day's counter on), then the import, the double-entry deletion and the Result
/// line of the phone import with "(copied to FP_...)". Returns the copy's path; a cancelled
/// dialog writes nothing (no copy, `nextCopy` not asked, no line) and returns an empty path.
std::filesystem::path importScannerData(IntakeContext& context, const std::function<std::filesystem::path()>& nextCopy);

/// Runs an import (one of the two above) and then puts the employee cursor on the employee of
/// the last matched line, as a search for it would leave it; also when the import stops at a
/// bad line, whose error is passed on. The commands' adapters and their tests run imports so.
template <typename Import>
void leavingEmployeeFound(store::Cursor& employees, IntakeContext& context, Import&& import);

/// "FP_" + year + month + day (no leading zeros) + "_" + counter + ".dat".
std::string scannerCopyName(core::DateTime today, int counter);

void placeEmployeeCursor(store::Cursor& employees, const IntakeContext& context);

template <typename Import>
void leavingEmployeeFound(store::Cursor& employees, IntakeContext& context, Import&& import)
{
    try {
        import(context);
    } catch (...) {
        placeEmployeeCursor(employees, context);
        throw; // the import's error is the one the front end shows
    }
    placeEmployeeCursor(employees, context);
}

} // namespace intake
