#include "intake/clockimport.h"

#include <algorithm>
#include <exception>
#include <unordered_map>
#include <vector>

#include "core/counted.h"
#include "core/error.h"
#include "core/filecounter.h"
#include "core/numparse.h"
#include "core/regional.h"
#include "core/services.h"
#include "core/textfile.h"
#include "core/textlines.h"
#include "intake/clockfile.h"
#include "intake/upkeep.h"
#include "store/cursor.h"
#include "store/sqlite.h"

namespace intake {

namespace {

std::int64_t momentMs(core::DateTime date, core::DateTime time)
{
    return core::toMs(core::dateOf(date)) + core::timeToMs(time);
}

core::Error lineError(const std::filesystem::path& file, int line, const std::exception& e)
{
    return core::Error(file.string() + ", line " + std::to_string(line) + ": " + e.what());
}

/// A coordinate of the default clock location: the locale's rules, or a point.
bool parseSetupCoordinate(const std::string& text, const core::Regional& regional, double& out)
{
    return core::tryParseReal(text, regional, out) || core::tryParseRealPoint(text, out);
}

/// Stores rows in ClkData through one prepared statement.
class ClkDataWriter : public ClockSink {
public:
    explicit ClkDataWriter(store::Database& db)
        : insert_(db, "INSERT INTO ClkData (Date, Time, MobileNo, Name, Status, Distance, Lat, Lon, Used) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0)")
    {}
    void store(const ClockRow& r) override
    {
        insert_.bind(1, std::string_view(core::toIsoDate(r.date)));
        insert_.bind(2, std::string_view(core::toIsoTime(r.time)));
        insert_.bind(3, std::string_view(r.mobileNo));
        if (r.name)
            insert_.bind(4, std::string_view(*r.name));
        else
            insert_.bindNull(4);
        insert_.bind(5, std::string_view(r.status));
        if (r.distance)
            insert_.bind(6, std::string_view(*r.distance));
        else
            insert_.bindNull(6);
        if (r.lat)
            insert_.bind(7, *r.lat);
        else
            insert_.bindNull(7);
        if (r.lon)
            insert_.bind(8, *r.lon);
        else
            insert_.bindNull(8);
        insert_.run();
    }

private:
    store::Statement insert_;
};

class FileCopy : public LineCopy {
public:
    explicit FileCopy(core::TextFileWriter& out) : out_(out) {}
    void line(const std::string& text) override { out_.writeLine(text); }

private:
    core::TextFileWriter& out_;
};

/// A stored date or time text as a value; 0 for one that is no date or time.
core::DateTime storedDate(const std::string& text) { return core::parseIsoDate(text).value_or(0.0); }
core::DateTime storedTime(const std::string& text) { return core::parseIsoTime(text).value_or(0.0); }

ImportWindow windowOf(store::Database& db)
{
    store::Statement st(db, "SELECT min(Date), max(Date) FROM Period");
    if (!st.step() || st.isNull(0))
        return {};
    return {core::dateOf(storedDate(st.columnText(0))) - 1, core::dateOf(storedDate(st.columnText(1))) + 1};
}

/// The employee lookup: the first employee in number order whose MobileNo begins with the
/// clock number (letters compared exactly). The employees are read once per run and searched
/// in memory; the No of the last employee found goes to `lastFound`, for the employee grid to
/// stand on, as a locate would leave it.
class EmployeeNumbers {
public:
    EmployeeNumbers(store::Database& db, std::optional<std::int64_t>& lastFound) : lastFound_(lastFound)
    {
        store::Statement st(db, "SELECT No, ifnull(MobileNo, ''), ifnull(Name, ''), ifnull(Lat, 0), ifnull(Lon, 0) "
                                "FROM Employee ORDER BY No");
        while (st.step()) {
            const std::size_t rank = people_.size();
            people_.push_back({st.columnInt(0), EmployeeMatch{st.columnText(2), st.columnReal(3), st.columnReal(4)}});
            byMobile_.emplace_back(st.columnText(1), rank);
        }
        std::sort(byMobile_.begin(), byMobile_.end());
    }

    std::optional<EmployeeMatch> operator()(const std::string& number)
    {
        auto it = seen_.find(number);
        if (it == seen_.end()) {
            // Every MobileNo that begins with the number sorts in one run from the number on.
            std::optional<std::size_t> best;
            for (auto m = std::lower_bound(byMobile_.begin(), byMobile_.end(), std::make_pair(number, std::size_t(0)));
                 m != byMobile_.end() && m->first.compare(0, number.size(), number) == 0; ++m)
                if (!best || m->second < *best)
                    best = m->second;
            it = seen_.emplace(number, best).first;
        }
        if (!it->second)
            return std::nullopt;
        lastFound_ = people_[*it->second].no;
        return people_[*it->second].match;
    }

private:
    struct Person {
        std::int64_t no;
        EmployeeMatch match;
    };
    std::vector<Person> people_;
    std::vector<std::pair<std::string, std::size_t>> byMobile_;
    std::unordered_map<std::string, std::optional<std::size_t>> seen_;
    std::optional<std::int64_t>& lastFound_;
};

ProgressFn barOf(core::WindowServices& ui)
{
    return [&ui, lastStep = std::uintmax_t(0)](std::uintmax_t done, std::uintmax_t total) mutable {
        const std::uintmax_t step = total > 0 ? done * 1000 / total : 0;
        if (step == lastStep)
            return;
        lastStep = step;
        ui.setProgressPosition(static_cast<int>(step));
        ui.repaint();
    };
}

/// The highest row number in ClkData: every row an import stores gets a higher one.
std::int64_t lastRowid(store::Database& db)
{
    store::Statement st(db, "SELECT ifnull(max(rowid), 0) FROM ClkData");
    st.step();
    return st.columnInt(0);
}

/// The double-entry deletion that ends every import, then how many of the rows stored after
/// `before` it left.
ImportSummary deleteDoublesOf(store::Database& db, core::WindowServices& ui, std::int64_t before)
{
    ImportSummary summary;
    summary.doubles = deleteDoubleEntries(db, ui);
    store::Statement st(db, "SELECT count(*) FROM ClkData WHERE rowid > ?");
    st.bind(1, before);
    st.step();
    summary.stored = static_cast<int>(st.columnInt(0));
    return summary;
}

std::string summaryLine(const std::filesystem::path& file, const ImportSummary& s)
{
    return file.filename().string() + ": " + core::counted(s.stored, "clocking", "clockings") + " stored, "
           + core::counted(s.doubles, "double entry", "double entries") + " deleted";
}

} // namespace

ImportResult readPhoneFile(const std::filesystem::path& file, const PhoneRules& rules, const core::Regional& regional,
                           const EmployeeLookup& lookup, ClockSink& sink, const ProgressFn& progress)
{
    core::TextLineReader in(file);
    ImportResult result;
    result.windows1252 = in.encoding() == core::TextLineReader::Encoding::Windows1252;
    std::string text;
    while (in.readLine(text)) {
        ++result.lines;
        if (progress)
            progress(in.position(), in.size());
        try {
            const ClockLine line = splitClockLine(text);
            const core::DateTime day = fieldsToDate(line.jaar, line.maand, line.dag);
            std::optional<core::DateTime> time;
            if (rules.mode == PhoneRules::Mode::New)
                time = fieldsToTime(line.uur, line.min, line.sek);
            if (!rules.window.contains(day)) {
                ++result.outsideWindow;
                continue;
            }
            if (line.nommer.empty()) {
                ++result.noNumber;
                continue;
            }
            if (rules.mode == PhoneRules::Mode::New) {
                if (!rules.isNew(line.nommer, momentMs(day, *time))) {
                    ++result.notNewer;
                    continue;
                }
            } else {
                time = fieldsToTime(line.uur, line.min, line.sek);
            }
            ClockRow row;
            row.date = day;
            row.time = *time;
            row.mobileNo = line.nommer;
            row.status = line.status;
            const std::optional<EmployeeMatch> employee = lookup(line.nommer);
            double lat = 0;
            double lon = 0;
            double refLat = 0;
            double refLon = 0;
            bool ok = core::tryParseRealPoint(line.slat, lat) && core::tryParseRealPoint(line.slon, lon);
            if (ok && rules.mode == PhoneRules::Mode::All && employee) {
                refLat = employee->lat;
                refLon = employee->lon;
            } else if (ok) {
                ok = parseSetupCoordinate(rules.defaultLatitude, regional, refLat)
                     && parseSetupCoordinate(rules.defaultLongitude, regional, refLon);
            }
            if (ok) {
                row.lat = lat;
                row.lon = lon;
                row.distance = distanceText(lat, lon, refLat, refLon);
            } else {
                row.lat = 0.0;
                row.lon = 0.0;
                row.distance = "Unknown";
            }
            if (employee)
                row.name = employee->name;
            sink.store(row);
            ++result.stored;
        } catch (const core::Error& e) {
            throw lineError(file, in.lineNumber(), e);
        }
    }
    return result;
}

ImportResult readScannerFile(const std::filesystem::path& file, const ImportWindow& window,
                             const EmployeeLookup& lookup, LineCopy& copy, ClockSink& sink, const ProgressFn& progress)
{
    core::TextLineReader in(file);
    ImportResult result;
    result.windows1252 = in.encoding() == core::TextLineReader::Encoding::Windows1252;
    std::string text;
    while (in.readLine(text)) {
        ++result.lines;
        // The copy keeps the line as the scanner wrote it.
        copy.line(in.rawLine());
        if (progress)
            progress(in.position(), in.size());
        ScannerLine line;
        try {
            line = readScannerLine(text);
        } catch (const core::Error& e) {
            throw lineError(file, in.lineNumber(), e);
        }
        // A line read at the fixed columns only for want of a better fit: its conversion
        // error also says what the two layouts are.
        auto failed = [&](const core::Error& e) {
            if (!line.fallback)
                return lineError(file, in.lineNumber(), e);
            return core::Error(lineError(file, in.lineNumber(), e).what() + std::string("; ") + scannerLayouts());
        };
        try {
            const core::DateTime day = fieldsToDate(line.jaar, line.maand, line.dag);
            if (!window.contains(day)) {
                ++result.outsideWindow;
                continue;
            }
            if (line.nommer.empty()) {
                ++result.noNumber;
                continue;
            }
            ClockRow row;
            row.date = day;
            row.time = fieldsToTime(line.uur, line.min, line.sek);
            // A user number with a control character (a NUL of a file that is no scanner
            // file) is never stored.
            if (hasControlCharacter(line.nommer))
                throw core::ConvertError("'" + core::visibleText(line.nommer)
                                         + "' is not a user number: it holds a control character");
            row.mobileNo = line.nommer;
            row.status = line.status;
            if (const auto employee = lookup(line.nommer))
                row.name = employee->name;
            sink.store(row);
            ++result.stored;
        } catch (const core::ConvertError& e) {
            throw failed(e);
        } catch (const core::Error& e) {
            throw lineError(file, in.lineNumber(), e);
        }
    }
    return result;
}

namespace {

/// The moment of each clock number's latest stored clocking. "YYYY-MM-DD HH:MM:SS[.zzz]"
/// texts sort as the moments do.
void latestClockings(store::Database& db, PhoneRules& rules)
{
    store::Statement st(db, "SELECT MobileNo, max(Date || ' ' || Time) FROM ClkData WHERE MobileNo IS NOT NULL "
                            "GROUP BY MobileNo");
    while (st.step()) {
        const std::string moment = st.columnText(1);
        const std::size_t gap = moment.find(' ');
        rules.latestByNumber[st.columnText(0)] = momentMs(
            storedDate(moment.substr(0, gap)), storedTime(gap == std::string::npos ? "" : moment.substr(gap + 1)));
    }
}

/// The Result line's account of the lines an import did not store; empty when it stored all.
std::string notStoredText(const ImportResult& r, const ImportWindow& window, const core::Regional& regional)
{
    std::vector<std::string> parts;
    if (r.outsideWindow > 0)
        parts.push_back(core::counted(r.outsideWindow, "line", "lines") + " outside the import window ("
                        + (window.first <= window.last
                               ? regional.formatDate(window.first) + " to " + regional.formatDate(window.last)
                               : std::string("no pay period"))
                        + ")");
    if (r.notNewer > 0)
        parts.push_back(core::counted(r.notNewer, "line", "lines")
                        + " not newer than the latest clocking of its number");
    if (r.noNumber > 0)
        parts.push_back(core::counted(r.noNumber, "line", "lines") + " without a clock number");
    std::string text;
    for (const std::string& p : parts)
        text += (text.empty() ? "; not stored: " : ", ") + p;
    if (r.windows1252)
        text += "; read as Windows-1252 (the file is not UTF-8)";
    return text;
}

} // namespace

std::optional<ImportSummary> importClockData(IntakeContext& c, PhoneRules::Mode mode)
{
    PhoneRules rules;
    rules.mode = mode;
    rules.defaultLatitude = c.defaultLatitude;
    rules.defaultLongitude = c.defaultLongitude;
    if (mode == PhoneRules::Mode::New)
        latestClockings(c.db, rules);
    rules.window = windowOf(c.db);
    const auto file = c.ui.openFile("Get TallixData file");
    if (!file)
        return std::nullopt;
    const std::int64_t before = lastRowid(c.db);
    ImportResult read;
    {
        EmployeeNumbers employees(c.db, c.lastEmployee);
        ClkDataWriter writer(c.db);
        core::startProgress(c.ui, "Importing clock data...", 1000);
        read = readPhoneFile(*file, rules, c.regional, std::ref(employees), writer, barOf(c.ui));
    }
    ImportSummary summary = deleteDoublesOf(c.db, c.ui, before);
    summary.read = read;
    c.ui.appendResult(summaryLine(*file, summary) + notStoredText(read, rules.window, c.regional));
    return summary;
}

void placeEmployeeCursor(store::Cursor& employees, const IntakeContext& context)
{
    if (context.lastEmployee)
        employees.findKey(core::Value::integer(*context.lastEmployee));
}

std::string scannerCopyName(core::DateTime today, int counter)
{
    const core::Ymd d = core::decodeDate(today);
    return "FP_" + std::to_string(d.year) + std::to_string(d.month) + std::to_string(d.day) + "_"
           + std::to_string(counter) + ".dat";
}

std::filesystem::path importScannerData(IntakeContext& c, const std::function<std::filesystem::path()>& nextCopy)
{
    // The file is asked for first: a cancelled dialog writes no copy and moves no counter.
    const auto file = c.ui.openFile("Get FingerPrintScanner ClockData file");
    if (!file)
        return {};
    const std::filesystem::path copyPath = nextCopy();
    core::TextFileWriter copy(copyPath);
    const ImportWindow window = windowOf(c.db);
    const std::int64_t before = lastRowid(c.db);
    ImportResult read;
    {
        EmployeeNumbers employees(c.db, c.lastEmployee);
        ClkDataWriter writer(c.db);
        FileCopy lines(copy);
        core::startProgress(c.ui, "Importing fingerprint clock data...", 1000);
        try {
            read = readScannerFile(*file, window, std::ref(employees), lines, writer, barOf(c.ui));
        } catch (...) {
            try {
                copy.close();
            } catch (...) {
                // The reading error is the one to report; the copy is as complete as the
                // lines read before it.
            }
            throw;
        }
        copy.close();
    }
    const ImportSummary summary = deleteDoublesOf(c.db, c.ui, before);
    c.ui.appendResult(summaryLine(*file, summary) + " (copied to " + copyPath.filename().string() + ")"
                      + notStoredText(read, window, c.regional));
    return copyPath;
}

} // namespace intake
