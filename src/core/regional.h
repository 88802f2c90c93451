#pragma once

#include <QLocale>
#include <QString>
#include <string>

#include "core/datetime.h"

namespace core {

/// The user's regional settings as the program uses them: short date, long time and the
/// decimal separator. Taken from QLocale::system(); tests pin a locale of their own.
class Regional {
public:
    static Regional system();
    static Regional pinned(const QLocale& locale);

    const QLocale& locale() const { return locale_; }
    /// The decimal separator as UTF-8 text (one character, "." or "," in practice).
    const std::string& decimalSeparator() const { return decimal_; }
    /// Qt format string of the short date, e.g. "M/d/yy".
    const QString& shortDateFormat() const { return shortDate_; }
    /// The short date with its four-digit year, for dates written to files: "M/d/yyyy",
    /// "dd.MM.yyyy" (a spreadsheet reads "3/1/30" as 1 March 1930).
    const QString& fileDateFormat() const { return fileDate_; }
    /// Qt format string of the long time without a time zone, e.g. "h:mm:ss AP".
    const QString& longTimeFormat() const { return longTime_; }

    std::string formatDate(DateTime value) const;
    /// A date as the files the program writes carry it: in the regional order, four-digit year.
    std::string formatFileDate(DateTime value) const;
    std::string formatTime(DateTime value) const;

private:
    explicit Regional(const QLocale& locale);
    QLocale locale_;
    std::string decimal_;
    QString shortDate_;
    QString fileDate_;
    QString longTime_;
};

/// A Qt date format with every year written in four digits ("yy" -> "yyyy"), quoted text kept.
QString withFourDigitYear(const QString& format);

/// A Qt time format without its time-zone letters (t ... tttt outside quotes) and the blanks or
/// empty brackets they leave: "h:mm:ss AP t" -> "h:mm:ss AP", "H:mm:ss (t)" -> "H:mm:ss".
QString timeFormatWithoutZone(const QString& format);

} // namespace core
