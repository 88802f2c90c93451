#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace bench {

struct SiteSize {
    int employees = 200;
    int postedPeriods = 6;
};

/// "M" (200 employees, 6 posted periods), "L" (2,000 employees, 60 posted periods) or "XL"
/// (10,000 employees, 12 posted periods: a year).
SiteSize siteSize(const std::string& name);

/// What the generator wrote, for the benchmark's steps.
struct GeneratedSite {
    std::filesystem::path home;
    std::filesystem::path phoneFile;    ///< the period's clockings but its last day
    std::filesystem::path extraDayFile; ///< the last day's clockings ("Import New Clock Data")
    std::filesystem::path scannerFile;
    int phoneLines = 0;
    int extraLines = 0;
    int scannerLines = 0;
    std::int64_t historyRows = 0;
    int firstPostedPeriod = 1;
    int postedPeriods = 0;
};

/// Writes a program home for a site: settings, database (employees of every kind, shift
/// times for the six slots, a 31-day calendar with two holidays, posted history) and the
/// clock files. The same seed and size give the same bytes.
GeneratedSite generateSite(const std::filesystem::path& home, const SiteSize& size, std::uint32_t seed);

} // namespace bench
