#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/datetime.h"
#include "core/filecounter.h"
#include "core/inifile.h"

namespace core {
class Regional;
}

namespace app {

/// The setup values as they stand in the window's fields. Operations read them at the
/// moment of use; start-up loads them from SetupValues.ini, and what changed is written back
/// (see SettingsFile).
struct SetupFields {
    std::string minutesBreak = "60"; ///< MINUTES_BREAK: minutes of lunch and tea deducted
    std::string minHours = "5";      ///< MIN_HOURS: hours clocked before lunch is deducted
    std::string speling = "10";      ///< SPELING: overtime tolerance in minutes
    std::string vroeg = "5";         ///< VROEG: hours allowed to start early
    std::string laat = "5";          ///< LAAT: hours allowed to work on after a shift
    std::string earlyMinutes = "0";  ///< EARLY_MINUTES: minutes before a shift's start that still count as within it
    std::string lateMinutes = "0";   ///< LATE_MINUTES: minutes after a shift's end that still count as within it
    int flexi = 0;                   ///< FLEXI: position in the choice "YES", "NO"
    std::string latitude = "-33.866";
    std::string longitude = "18.623";
    int twoShiftDay = 0;      ///< TWO_SHIFT_DAY: position in the choice 2, 3
    int threeShiftDay = 0;    ///< THREE_SHIFT_DAY: position in the choice 4, 5, 6
    std::string number = "1"; ///< NUMBER: the next pay period number

    /// The text of the chosen flexitime entry: "YES" or "NO".
    std::string flexiText() const;
    /// The chosen starting shift numbers: 2 or 3, and 4, 5 or 6.
    int startingTwoShift() const;
    int startingThreeShift() const;

    /// Sets a field by its settings key; choices take their entry text ("NO", "3", "5").
    /// Returns false for an unknown key; throws core::Error for a text not in a choice and
    /// for a value setupRefusal refuses, leaving the field as it was.
    bool setByKey(std::string_view key, std::string_view value, const core::Regional& regional);
    /// The typed field of a settings key (MINUTES_BREAK, ..., NUMBER), or null.
    std::string* textField(std::string_view key);

    bool operator==(const SetupFields&) const = default;
};

using FileCounter = core::FileCounter;

/// The Setup page's captions of the typed fields.
inline constexpr const char* kCaptionMinutesBreak = "Lunch and Tea breaks in MINUTES to be deducted:";
inline constexpr const char* kCaptionMinHours = "Minimum HOURS required to work before deducting lunch?";
inline constexpr const char* kCaptionVroeg = "The number of hours allowed to start earlier for Paid Shift Work. :";
inline constexpr const char* kCaptionLaat = "The number of hours allowed to work overtime after a shift. :";
inline constexpr const char* kCaptionSpeling =
    "Time in MINUTES provided by the system to arrive earlier or leave later without consider it as overtime?";
inline constexpr const char* kCaptionEarlyMinutes =
    "Shift work: MINUTES before the start of a shift that a clocking still belongs to it:";
inline constexpr const char* kCaptionLateMinutes =
    "Shift work: MINUTES after the end of a shift that a clocking still belongs to it:";
inline constexpr const char* kCaptionFlexi = "Do most of the employees work flexitime?";
inline constexpr const char* kCaptionLatitude = "What is the default clock location :  LATITUDE :";
inline constexpr const char* kCaptionLongitude = "LONGITUDE :";
inline constexpr const char* kCaptionNumber = "Current Pay Period Number :";

/// Why a typed setup value is not a value of its kind, with the field's caption (minutes and
/// hours from 0, a latitude, a whole period number; the regional separator or a point), or
/// nothing when it is one. Keys without such a rule (the choices, unknown keys) are not refused.
std::optional<std::string> setupRefusal(std::string_view key, std::string_view text, const core::Regional& regional);
/// The Setup page's caption of a settings key, or null.
const char* setupCaption(std::string_view key);

/// The place of a setup field in the settings file.
struct SettingKey {
    const char* section;
    const char* key;
};
/// The setup fields' places, in the file's order (the file counter's FILEDATE section, kept
/// apart, comes before PERIOD).
const std::vector<SettingKey>& settingKeys();
/// Field `index` of settingKeys() as the file keeps it: a number with a point, a choice as
/// its position.
std::string settingText(const SetupFields& fields, std::size_t index, const core::Regional& regional);
/// Sets field `index` from the file's text; a missing entry (nullopt) gives the default.
void takeSettingText(SetupFields& fields, std::size_t index, const std::optional<std::string>& text,
                     const core::Regional& regional);

/// The file counter as the file holds it, and whether it holds all four of its entries.
FileCounter counterOf(const core::IniFile& ini);
bool hasCounter(const core::IniFile& ini);
void writeCounter(core::IniFile& ini, const FileCounter& counter);
/// Writes the fields whose `which` is set, and the counter when given, each in its place: a
/// new file gets the sections LUNCH, OVERTIME, FLEXITIME, LOCATION, STARTINGSHIFT, FILEDATE
/// and PERIOD in that order, the choices as positions, the numbers with a point.
void writeSettings(core::IniFile& ini, const SetupFields& fields, const std::vector<bool>& which,
                   const FileCounter* counter, const core::Regional& regional);

/// The file keeps its numbers with a point; a field shows a number in the regional form. A
/// number is read from the file with a point or the regional separator, and a text that is
/// no number is taken as it stands.
void loadSettings(const core::IniFile& ini, SetupFields& fields, FileCounter& counter, const core::Regional& regional);
/// A setup number as the settings file keeps it ("-33,866" -> "-33.866" under a decimal
/// comma) and as a field shows it ("-33.866" -> "-33,866"); any other text stays as it is.
std::string numberInFileForm(const std::string& text, const core::Regional& regional);
std::string numberInFieldForm(const std::string& text, const core::Regional& regional);

} // namespace app
